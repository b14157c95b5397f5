#include "pagecheck/uploadquestion.h"

#include "common/regularfile.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "pagecheck/pagecheck.h"
#include "pagecheck/pagecheckoptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// A page larger than this is not one a beginner writes by hand; it goes up unchecked rather
// than hold the window for seconds.
constexpr qint64 kLargestCheckedPage = 4 * 1024 * 1024;

} // namespace

UploadQuestion::UploadQuestion(UserDialogs &dialogs, QWidget *parent, const QString &optionsPath)
    : m_dialogs(dialogs), m_parent(parent), m_optionsPath(optionsPath)
{}

bool UploadQuestion::isPage(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive)
        || fileName.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

QString UploadQuestion::question(const QString &fileName, qsizetype errors)
{
    return QStringLiteral("%1 にはページチェックでエラーが %2 件あります。\n\nこのままアップロードしますか？")
        .arg(fileName)
        .arg(errors);
}

qsizetype UploadQuestion::pageErrors(const QString &path)
{
    const QFileInfo file(path);
    if (!isPage(file.fileName()))
        return 0;
    DecodedText page;
    try {
        page = TextCodec::decode(RegularFile::readAll(path, kLargestCheckedPage));
    } catch (const UserError &) {
        return 0; // the upload itself reports a file it cannot read
    }
    const CheckRows rows = PageCheck::run({page.text, file.path(), page.format.encoding, {}});
    return std::count_if(
        rows.cbegin(), rows.cend(), [](const CheckRow &row) { return row.level == CheckRow::Level::Error; });
}

QList<QByteArray> UploadQuestion::operator()(const QString &folder, const QList<QByteArray> &names) const
{
    if (!PageCheckOptions::read(m_optionsPath).askBeforeUpload)
        return names;
    QList<QByteArray> going;
    for (const QByteArray &name : names) {
        const QString fileName = QFile::decodeName(name);
        const qsizetype errors = pageErrors(QDir(folder).filePath(fileName));
        if (errors == 0
            || m_dialogs.confirm(m_parent, question(fileName, errors), {DialogButton::Yes, DialogButton::No})
                == DialogButton::Yes)
            going.append(name);
    }
    return going;
}
