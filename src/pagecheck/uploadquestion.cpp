#include "pagecheck/uploadquestion.h"

#include "common/regularfile.h"
#include "common/userdialogs.h"
#include "common/usererror.h"
#include "pagecheck/pagecheck.h"
#include "pagecheck/pagecheckoptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace {

// A page larger than this is not one a beginner writes by hand; it goes up unchecked rather
// than hold the window for seconds.
constexpr qint64 kLargestCheckedPage = 4 * 1024 * 1024;

} // namespace

UploadQuestion::UploadQuestion(UserDialogs &dialogs, QWidget *parent, const QString &optionsPath, ShowCheck showCheck)
    : m_dialogs(dialogs), m_parent(parent), m_optionsPath(optionsPath), m_showCheck(std::move(showCheck))
{}

bool UploadQuestion::isPage(const QString &fileName)
{
    return fileName.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive)
        || fileName.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

QString UploadQuestion::question(const QString &fileName, const CheckRows &errors)
{
    QStringList shown;
    for (const CheckRow &row : errors.first(std::min(errors.size(), kRowsShown)))
        shown.append(QStringLiteral("・%1 行目: %2").arg(row.line).arg(row.sentence));
    if (errors.size() > kRowsShown)
        shown.append(QStringLiteral("・ほか %1 件").arg(errors.size() - kRowsShown));
    return QStringLiteral("%1 にはページチェックでエラーが %2 件あります。\n\n%3\n\nこのままアップロードしますか？")
        .arg(fileName)
        .arg(errors.size())
        .arg(shown.join(QLatin1Char('\n')));
}

CheckRows UploadQuestion::pageErrorRows(const QString &path)
{
    const QFileInfo file(path);
    if (!isPage(file.fileName()))
        return {};
    DecodedText page;
    try {
        page = TextCodec::decode(RegularFile::readAll(path, kLargestCheckedPage));
    } catch (const UserError &) {
        return {}; // the upload itself reports a file it cannot read
    }
    CheckRows errors = PageCheck::run({page.text, file.path(), page.format.encoding, {}});
    errors.removeIf([](const CheckRow &row) { return row.level != CheckRow::Level::Error; });
    return errors;
}

std::optional<QList<QByteArray>> UploadQuestion::operator()(const QString &folder, const QList<QByteArray> &names) const
{
    if (!PageCheckOptions::read(m_optionsPath).askBeforeUpload)
        return names;
    static const QList<DialogButton> kAnswers{DialogButton::Yes, DialogButton::No, DialogButton::ShowPageCheck};
    QList<QByteArray> going;
    for (const QByteArray &name : names) {
        const QString fileName = QFile::decodeName(name);
        const QString path = QDir(folder).filePath(fileName);
        const CheckRows errors = pageErrorRows(path);
        if (errors.isEmpty()) {
            going.append(name);
            continue;
        }
        switch (m_dialogs.confirm(m_parent, question(fileName, errors), kAnswers)) {
        case DialogButton::Yes:
            going.append(name);
            break;
        case DialogButton::ShowPageCheck:
            if (m_showCheck)
                m_showCheck(path);
            return std::nullopt;
        default:
            break;
        }
    }
    return going;
}
