#include "preview/errorpage.h"

namespace {

// Chromium's numbers from its list of network errors; only those with a page of their own.
constexpr int kFileNotFound = -6;
constexpr int kTimedOut = -7;
constexpr int kConnectionRefused = -102;
constexpr int kNameNotResolved = -105;
constexpr int kConnectionTimedOut = -118;
constexpr int kNameResolutionFailed = -137;

// A data address longer than this is refused by the engine, and nobody reads so long a line;
// the rest of the address is cut off with an ellipsis.
constexpr qsizetype kShownAddressLength = 2000;

struct Wording
{
    const char16_t *title;
    const char16_t *explanation;
};

Wording wordingFor(ErrorPage::Cause cause)
{
    using Cause = ErrorPage::Cause;
    switch (cause) {
    case Cause::Offline:
        return {u"オフラインです",
                u"オフラインなので、次のページはインターネットから読み込みません。"
                u"オフラインで表示できるのは、この起動中にオンラインで表示したページだけです。"};
    case Cause::FileNotFound:
        return {u"ファイルが見つかりません", u"次のファイルはありません。名前と場所を確かめてください。"};
    case Cause::ConnectionRefused:
        return {u"接続できません",
                u"次のページのサーバーに接続を断られました。サーバーが動いているか確かめてください。"};
    case Cause::HostNotFound:
        return {u"サーバーが見つかりません",
                u"次のページのサーバーの名前が見つかりません。アドレスを確かめてください。"};
    case Cause::NoAnswer:
        return {u"応答がありません",
                u"次のページのサーバーから応答がありませんでした。しばらくしてからもう一度試してください。"};
    case Cause::HttpStatus:
        return {u"ページを表示できません", u"次のページのサーバーがエラーを返しました。"};
    case Cause::Other:
        break;
    }
    return {u"ページを表示できません", u"次のページを表示できませんでした。"};
}

} // namespace

ErrorPage::Cause ErrorPage::causeOfNetError(int netError)
{
    switch (netError) {
    case kFileNotFound:
        return Cause::FileNotFound;
    case kConnectionRefused:
        return Cause::ConnectionRefused;
    case kNameNotResolved:
    case kNameResolutionFailed:
        return Cause::HostNotFound;
    case kTimedOut:
    case kConnectionTimedOut:
        return Cause::NoAnswer;
    default:
        return Cause::Other;
    }
}

QString ErrorPage::html(Cause cause, const QString &address, int code)
{
    const Wording wording = wordingFor(cause);
    const QString title = QString::fromUtf16(wording.title);
    QString shown = address;
    if (shown.size() > kShownAddressLength)
        shown = shown.left(kShownAddressLength) + QChar(0x2026);

    QString detail;
    if (cause == Cause::Offline)
        detail = QStringLiteral("<p>「ｵﾝﾗｲﾝ」を選んでから「反映」を押すと、インターネットから読み込みます。</p>");
    else if (cause == Cause::HttpStatus && code != 0)
        detail = QStringLiteral("<p>HTTP の状態 %1</p>").arg(code);
    else if (cause == Cause::Other && code != 0)
        detail = QStringLiteral("<p>エラー番号 %1</p>").arg(code);

    // The empty icon keeps the engine from asking the failed address's server for one.
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\">"
                          "<link rel=\"icon\" href=\"data:,\"><title>%1</title></head>\n"
                          "<body><h1>%1</h1>\n<p>%2</p>\n<p><code style=\"word-break: break-all\">%3</code></p>\n%4"
                          "</body></html>\n")
        .arg(title.toHtmlEscaped(), QString::fromUtf16(wording.explanation), shown.toHtmlEscaped(), detail);
}
