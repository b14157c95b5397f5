#include "pagecheck/tidyreport.h"

#include <QHash>

#include <memory>
#include <mutex>
#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

namespace {

// One argument as tidy's own message writes it ("%s", "%u", "%04X").
QString argumentText(TidyMessage message, TidyMessageArgument *argument)
{
    const QByteArray conversion(tidyGetArgFormat(message, argument));
    switch (tidyGetArgType(message, argument)) {
    case tidyFormatType_STRING:
        return QString::fromUtf8(tidyGetArgValueString(message, argument));
    case tidyFormatType_INT:
        return QString::asprintf(conversion.constData(), tidyGetArgValueInt(message, argument));
    case tidyFormatType_UINT:
        return QString::asprintf(conversion.constData(), tidyGetArgValueUInt(message, argument));
    case tidyFormatType_DOUBLE:
        return QString::asprintf(conversion.constData(), tidyGetArgValueDouble(message, argument));
    case tidyFormatType_UNKNOWN:
        break;
    }
    return {};
}

QStringList argumentsOf(TidyMessage message)
{
    QStringList arguments;
    for (TidyIterator it = tidyGetMessageArguments(message); it;) {
        TidyMessageArgument argument = tidyGetNextMessageArgument(message, &it);
        arguments.append(argumentText(message, &argument));
    }
    return arguments;
}

Bool TIDY_CALL collect(TidyMessage message)
{
    auto *messages = static_cast<QList<TidyReport::Message> *>(tidyGetAppData(tidyGetMessageDoc(message)));
    const TidyReportLevel level = tidyGetMessageLevel(message);
    const int line = tidyGetMessageLine(message);
    if (line > 0 && (level == TidyWarning || level == TidyError)) {
        messages->append(
            {QByteArray(tidyGetMessageKey(message)),
             level == TidyError ? TidyReport::Message::Severity::Error : TidyReport::Message::Severity::Warning,
             line,
             tidyGetMessageColumn(message),
             argumentsOf(message),
             QString::fromUtf8(tidyGetMessageDefault(message))});
    }
    // Collected here; tidy itself prints nothing.
    return no;
}

struct DocRelease
{
    void operator()(TidyDoc doc) const { tidyRelease(doc); }
};

} // namespace

namespace TidyReport {

QList<Message> check(const QByteArray &utf8)
{
    // The words tidy puts into its arguments ("plain text") are read in English, whatever the
    // locale; tidy keeps its language for the whole process.
    static std::once_flag english;
    std::call_once(english, [] { tidySetLanguage("en"); });
    QList<Message> messages;
    std::unique_ptr<std::remove_pointer_t<TidyDoc>, DocRelease> doc(tidyCreate());
    tidySetAppData(doc.get(), &messages);
    tidySetMessageCallback(doc.get(), collect);
    tidySetInCharEncoding(doc.get(), "utf8");
    // tidy stops reporting after six errors unless told otherwise; a beginner's page has more.
    tidyOptSetInt(doc.get(), TidyShowErrors, 1000000);
    tidyOptSetBool(doc.get(), TidyShowWarnings, yes);
    tidyOptSetBool(doc.get(), TidyQuiet, yes);
    tidyOptSetInt(doc.get(), TidyTabSize, 8);
    TidyBuffer input;
    tidyBufInit(&input);
    tidyBufAttach(&input, reinterpret_cast<byte *>(const_cast<char *>(utf8.constData())), uint(utf8.size()));
    if (tidyParseBuffer(doc.get(), &input) >= 0) {
        tidyCleanAndRepair(doc.get());
        tidyRunDiagnostics(doc.get());
    }
    tidyBufDetach(&input);
    return messages;
}

QString format(const QByteArray &key)
{
    static const QHash<QByteArray, QString> formats = [] {
        QHash<QByteArray, QString> map;
        for (TidyIterator it = getErrorCodeList(); it;) {
            const uint code = getNextErrorCode(&it);
            if (const char *text = tidyDefaultString(code))
                map.insert(QByteArray(tidyErrorCodeAsKey(code)), QString::fromUtf8(text));
        }
        return map;
    }();
    return formats.value(key);
}

} // namespace TidyReport
