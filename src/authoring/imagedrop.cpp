#include "authoring/imagedrop.h"

#include "authoring/droppedimagetag.h"
#include "authoring/editorstack.h"
#include "authoring/fragmentinserter.h"
#include "authoring/imagesignature.h"
#include "authoring/pagecontext.h"
#include "authoring/relativepath.h"
#include "authoring/siteimagecopy.h"
#include "common/regularfile.h"
#include "common/userdialogs.h"
#include "workspace/document.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QTextCursor>
#include <QTextDocument>
#include <QWidget>

namespace {

const QString kCopyQuestion = QStringLiteral(
    "画像 %1 は、このページのフォルダの外にあります。このままでは、公開したページに画像が表示されません。\n"
    "画像をサイトのフォルダにコピーしますか？\n"
    "（コピー先: %2）\n"
    "「いいえ」を選ぶと、コピーせずに今の場所を指します。");
const QString kUntitledNotice =
    QStringLiteral("このページはまだ保存されていないため、画像の場所は %1 から見た相対パスで書きます。\n"
                   "ページをほかのフォルダに保存するときは、画像の場所も書き直してください。");
const QList<DialogButton> kYesNoCancel{DialogButton::Yes, DialogButton::No, DialogButton::Cancel};

// The size the page shows the picture at: a bitmap's stored size, turned as its own orientation
// tag turns it (a photo taken upright and stored on its side), as browsers turn it; a drawing's
// stated size, invalid when it states none. nullopt when Qt cannot read the file as the format
// its bytes say, or a bitmap's header holds no size (a file cut short).
std::optional<QSize> readableSize(const QString &path, ImageSignature::Format format, const QByteArray &start)
{
    QImageReader reader(path, ImageSignature::readerFormat(format));
    reader.setDecideFormatFromContent(false);
    if (!reader.canRead())
        return std::nullopt;
    if (format == ImageSignature::Format::Svg)
        return ImageSignature::svgSize(start).value_or(QSize());
    QSize size = reader.size();
    if (!size.isValid())
        return std::nullopt;
    if (reader.transformation().testFlag(QImageIOHandler::TransformationRotate90))
        size.transpose();
    return size;
}

// A path that climbs out of the folder it is written from, or starts anew on another drive.
bool leavesFolder(const QString &relative)
{
    return relative.startsWith(QLatin1String("../")) || QDir::isAbsolutePath(relative)
        || (relative.size() > 1 && relative.at(1) == QLatin1Char(':'));
}

} // namespace

ImageDrop::ImageDrop(PageContext &page, UserDialogs &dialogs, QWidget &window)
    : QObject(&window), m_page(page), m_dialogs(dialogs), m_window(window)
{}

bool ImageDrop::drop(const QStringList &paths, int position)
{
    if (paths.isEmpty())
        return false;
    const QString image = QFileInfo(paths.constFirst()).absoluteFilePath();
    const QByteArray start = RegularFile::readStart(image, ImageSignature::kBytesNeeded);
    const std::optional<ImageSignature::Format> format = ImageSignature::of(start);
    if (!format)
        return false;
    const std::optional<QSize> size = readableSize(image, *format, start);
    if (!size)
        return false;
    const std::optional<QString> address = relativeAddress(image);
    if (!address)
        return true;
    const DroppedImageTag::Tag tag = DroppedImageTag::build(*address, *size);
    insertTag(tag.text, tag.altPosition, position);
    return true;
}

std::optional<QString> ImageDrop::relativeAddress(const QString &image)
{
    const PathStyle style = PathStyle::native();
    const bool untitled = m_page.document().isUntitled();
    // As 挿入 > ファイル名 writes it: from the page's folder, or while it has none, from the
    // current folder, which is then said.
    const QString pageFolder =
        untitled ? QDir::currentPath() : QFileInfo(physicalPath(m_page.document().path())).absolutePath();
    const QString base = withTrailingSeparator(QDir::toNativeSeparators(pageFolder), style.separator);
    const auto relativeTo = [&](const QString &file) {
        return relativeFileName(base, QDir::toNativeSeparators(physicalPath(file)), style);
    };
    const QString relative = relativeTo(image);
    if (untitled) {
        m_dialogs.notify(&m_window, kUntitledNotice.arg(QDir::toNativeSeparators(pageFolder)));
        return relative;
    }
    if (!leavesFolder(relative))
        return relative;
    const QString target = SiteImageCopy::targetFolder(pageFolder);
    switch (m_dialogs.confirm(&m_window,
                              kCopyQuestion.arg(QDir::toNativeSeparators(image), QDir::toNativeSeparators(target)),
                              kYesNoCancel)) {
    case DialogButton::Yes:
        return relativeTo(SiteImageCopy::copy(image, target));
    case DialogButton::No:
        return relative;
    default:
        return std::nullopt;
    }
}

void ImageDrop::insertTag(const QString &tag, qsizetype altPosition, int position)
{
    // A bare caret at the drop point: a selection elsewhere is left in the text, not replaced.
    QTextCursor at = m_page.editor().textCursor();
    const int last = m_page.editor().document()->characterCount() - 1;
    at.setPosition(position < 0 ? at.position() : qBound(0, position, last));
    m_page.editor().setTextCursor(at);
    FragmentInserter(m_page).insert(tag);
    // The tag holds no line end, so its characters and the pane's positions match one to one.
    QTextCursor caret = m_page.editor().textCursor();
    caret.setPosition(caret.position() - int(tag.size() - altPosition));
    m_page.editor().setTextCursor(caret);
    m_window.activateWindow();
    m_page.editor().setFocus();
}
