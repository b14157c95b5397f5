#include "pagecheck/tidyreport.h"

#include <memory>
#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

namespace {

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

} // namespace TidyReport
