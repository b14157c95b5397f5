#include "transfer/ftp/ftperrortext.h"

#include "common/cp932codec.h"
#include "common/errortext.h"
#include "common/textcodec.h"
#include "common/usererror.h"
#include "transfer/ftp/ftpreplyerror.h"
#include "transfer/ftp/socketerror.h"
#include "transfer/remoteerrors.h"

#include <QByteArray>

#include <array>
#include <chrono>
#include <string>

namespace {

// What the user reads first for each kind of failure. %1 is the name or path the failure is
// about, %2 the time limit that ran out. withDetail: the client's message follows, being the
// server's reply or the protocol's own text rather than the client's English.
struct FaultText
{
    FtpFault fault;
    const char16_t *lead;
    bool withDetail;
};

constexpr std::array faultTexts{
    FaultText{FtpFault::ConnectionLost, u"サーバーとの接続が切れました。もう一度接続してください。", true},
    FaultText{FtpFault::ServerEndedConnection, u"サーバーが接続を終了しました。もう一度接続してください。", true},
    FaultText{FtpFault::ReplyTimeout, u"サーバーから%2以内に返事がありませんでした。もう一度接続してください。", false},
    FaultText{FtpFault::CommandTimeout,
              u"サーバーが%2以内にコマンドを受け取りませんでした。もう一度接続してください。",
              false},
    FaultText{FtpFault::AcceptTimeout,
              u"サーバーから%2以内にデータ接続がありませんでした。しばらくしてからもう一度試してください。",
              false},
    FaultText{
        FtpFault::IdleTimeout, u"データの転送が%2止まったままだったので中止しました。もう一度試してください。", false},
    FaultText{FtpFault::Cancelled, u"操作を中止しました。", false},
    FaultText{FtpFault::Protocol,
              u"サーバーから正しくない返事が届いたので中止しました。サーバーの管理者に問い合わせてください。",
              true},
    FaultText{FtpFault::LineBreakInName, u"「%1」には改行が含まれているので送れません。名前を変えてください。", false},
    FaultText{
        FtpFault::ShortDownload,
        u"「%1」のダウンロードが途中で終わりました。手元のファイルはそのままです。もう一度ダウンロードしてください。",
        false},
    FaultText{FtpFault::EncryptionRefused,
              u"サーバーが暗号化（FTPS）を断りました。パスワードを守るため接続しませんでした。"
              u"サーバーがFTPSに対応しているか確かめてください。",
              true},
    FaultText{FtpFault::EncryptionRequired,
              u"このサーバーは暗号化（FTPS）が必要です。接続方式を FTPS にしてください。",
              true},
    FaultText{FtpFault::Tls,
              u"暗号化した通信（TLS）ができませんでした。サーバーがFTPSに対応しているか確かめてください。",
              true},
    FaultText{FtpFault::Certificate, u"サーバーの証明書を確かめられなかったので接続しませんでした。", false},
    FaultText{FtpFault::TruncatedDownload,
              u"「%1」の受信が途中で切れました。手元のファイルはそのままです。もう一度試してください。",
              false},
    FaultText{FtpFault::LocalOpen, u"「%1」を開けません。ファイルがあるか確かめてください。", false},
    FaultText{FtpFault::LocalRead, u"「%1」を読めません。ファイルを確かめてください。", false},
    FaultText{FtpFault::LocalWrite,
              u"「%1」を書き込めません。手元のファイルはそのままです。ディスクの空きを確かめてください。",
              false},
    FaultText{
        FtpFault::LocalCreate, u"「%1」の隣にファイルを作れません。フォルダに書き込めるか確かめてください。", false},
    FaultText{FtpFault::LocalReplace, u"「%1」を置き換えられません。フォルダに書き込めるか確かめてください。", false},
    FaultText{FtpFault::LocalLink, u"「%1」のリンクをたどれません。リンク先を確かめてください。", false},
    FaultText{FtpFault::LocalPermissions, u"「%1」の属性を元どおりにできません。", false},
};

// Refused replies, by code; a code not listed takes the row of its class (400 or 500).
struct CodeText
{
    int code;
    const char16_t *lead;
};

constexpr int anyTransient = 400;
constexpr int anyPermanent = 500;
constexpr int codesPerClass = 100;

constexpr std::array replyTexts{
    CodeText{530, u"ユーザー名かパスワードが違います。ユーザーＩＤとパスワードを確かめてください。"},
    CodeText{425, u"データ接続ができませんでした。しばらくしてからもう一度試してください。"},
    CodeText{426, u"データの転送が途中で切れました。もう一度試してください。"},
    CodeText{550, u"サーバーがこの操作を断りました。名前と権限を確かめてください。"},
    CodeText{552, u"サーバーの容量が足りません。不要なファイルを削除してください。"},
    CodeText{553, u"サーバーがこのファイル名を受け付けません。名前を確かめてください。"},
    CodeText{anyTransient, u"サーバーが一時的に処理できませんでした。しばらくしてからもう一度試してください。"},
    CodeText{anyPermanent, u"サーバーがこの操作を断りました。名前と権限を確かめてください。"},
};
constexpr const char16_t *unexpectedReply = u"サーバーから思いがけない返事が届きました。もう一度試してください。";

// Socket failures, by Windows Sockets number.
constexpr const char16_t *checkHost = u"サーバーに接続できませんでした。ホスト名とポートを確かめてください。";
constexpr const char16_t *unknownHost = u"ホスト名が見つかりませんでした。ホスト名とポートを確かめてください。";
constexpr const char16_t *unreachable = u"サーバーに届きませんでした。ネットワークの接続とホスト名を確かめてください。";
constexpr const char16_t *dropped = u"サーバーとの接続が切れました。もう一度接続してください。";

constexpr std::array socketTexts{
    CodeText{10061, checkHost},
    CodeText{10060, checkHost},
    CodeText{11001, unknownHost},
    CodeText{11002, unknownHost},
    CodeText{11003, unknownHost},
    CodeText{11004, unknownHost},
    CodeText{10050, unreachable},
    CodeText{10051, unreachable},
    CodeText{10064, unreachable},
    CodeText{10065, unreachable},
    CodeText{10052, dropped},
    CodeText{10053, dropped},
    CodeText{10054, dropped},
    CodeText{10058, dropped},
};
constexpr const char16_t *otherSocketFailure =
    u"通信中にエラーが起きました。ネットワークの接続を確かめて、もう一度試してください。";

// The protocol's own plain messages, each with the sentence that goes before it.
struct MessageText
{
    const char *message;
    const char16_t *lead;
};

constexpr std::array messageTexts{
    MessageText{"Already connected.", u"すでに接続しています。"},
    MessageText{"Destination file already exists.", u"同じ名前のファイルがすでにあります。"},
    MessageText{"No data to read.",
                u"アップロード中にファイルが短くなりました。ファイルを確かめて、もう一度アップロードしてください。"},
    MessageText{"Cannot allocate socket.",
                u"通信の準備ができませんでした。ほかのプログラムを閉じてから、もう一度試してください。"},
    MessageText{"Could not bind socket. Address and port are already in use.",
                u"通信の準備ができませんでした。しばらくしてからもう一度試してください。"},
};
constexpr const char16_t *otherFailure = u"FTPの操作ができませんでした。";

// Bytes no CP932 table knows come back from the codec as these; on screen they are unknowns.
constexpr char16_t firstUndecodable = 0xF780;
constexpr char16_t lastUndecodable = 0xF7FF;

bool isAscii(const QByteArray &bytes)
{
    for (const char byte : bytes) {
        if (static_cast<unsigned char>(byte) >= 0x80)
            return false;
    }
    return true;
}

// Directional overrides and isolates: invisible, yet they can reorder what the user reads.
bool isBidiControl(char16_t c)
{
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

QString decode(const QByteArray &bytes)
{
    if (isAscii(bytes) || TextCodec::isUtf8WithNonAscii(bytes))
        return QString::fromUtf8(bytes);
    QString text = Cp932Codec::decode(bytes).text;
    for (QChar &c : text) {
        if (c.unicode() >= firstUndecodable && c.unicode() <= lastUndecodable)
            c = QChar::ReplacementCharacter;
    }
    return text;
}

QString withoutControls(const QString &text)
{
    QString clean;
    clean.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar c = text.at(index);
        if (c == u'\r' && index + 1 < text.size() && text.at(index + 1) == u'\n') {
            clean += QStringLiteral("\r\n");
            ++index;
            continue;
        }
        if (c.category() == QChar::Other_Control || isBidiControl(c.unicode()))
            continue;
        clean += c;
    }
    return clean;
}

QString decode(const std::string &bytes)
{
    return decode(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

template<typename Table>
const char16_t *leadForCode(const Table &table, int code)
{
    for (const CodeText &row : table) {
        if (row.code == code)
            return row.lead;
    }
    return nullptr;
}

QString seconds(std::chrono::milliseconds limit)
{
    constexpr double millisecondsPerSecond = 1000.0;
    return QString::number(static_cast<double>(limit.count()) / millisecondsPerSecond, 'g', 3) + QStringLiteral("秒");
}

struct Wording
{
    QString lead;
    bool withDetail = true;
};

Wording wordingFor(const FtpError &error)
{
    const auto *reply = dynamic_cast<const FtpReplyError *>(&error);
    if (reply != nullptr && reply->fault() == FtpFault::ServerReply) {
        const char16_t *lead = leadForCode(replyTexts, reply->code());
        if (lead == nullptr && reply->code() >= anyTransient)
            lead = leadForCode(replyTexts, reply->code() / codesPerClass * codesPerClass);
        return {QString::fromUtf16(lead != nullptr ? lead : unexpectedReply)};
    }
    if (const auto *socket = dynamic_cast<const SocketError *>(&error)) {
        const char16_t *lead = leadForCode(socketTexts, socket->code());
        return {QString::fromUtf16(lead != nullptr ? lead : otherSocketFailure)};
    }
    for (const FaultText &row : faultTexts) {
        if (row.fault == error.fault()) {
            QString lead = QString::fromUtf16(row.lead);
            lead.replace(QStringLiteral("%1"), decode(error.subject()));
            lead.replace(QStringLiteral("%2"), seconds(error.limit()));
            return {lead, row.withDetail};
        }
    }
    for (const MessageText &row : messageTexts) {
        if (std::string(row.message) == error.what())
            return {QString::fromUtf16(row.lead)};
    }
    return {QString::fromUtf16(otherFailure)};
}

// Whose upload it was names the file, unless the caller's headline does already.
enum class Naming {
    Named,
    Unnamed,
};

QString unfinishedUploadText(const UnfinishedUpload &upload, FtpFault fault, Naming naming)
{
    QString text;
    if (naming == Naming::Named) {
        const QString name = decode(upload.remoteName);
        text = fault == FtpFault::Cancelled ? QStringLiteral("「%1」のアップロードを中止しました。").arg(name)
                                            : QStringLiteral("「%1」はアップロードできませんでした。").arg(name);
    }
    text += upload.removed ? QStringLiteral("途中までのファイルはサーバーから削除しました。")
                           : QStringLiteral("途中までのファイルがサーバーに残っているかもしれません。");
    return text;
}

QString textOf(const FtpError &error, Naming naming)
{
    const Wording wording = wordingFor(error);
    QString text;
    if (const auto &upload = error.unfinishedUpload()) {
        text = unfinishedUploadText(*upload, error.fault(), naming);
        if (error.fault() != FtpFault::Cancelled)
            text += wording.lead;
    } else {
        text = wording.lead;
    }
    // A socket error without a text for its number ends in a bare line break. A local file's
    // failure is told by the system's own words, as the editor's file errors are.
    QString detail;
    if (error.systemError() != 0)
        detail = systemErrorText(error.systemError());
    else if (wording.withDetail)
        detail = decode(std::string(error.what())).trimmed();
    if (!detail.isEmpty())
        text += QStringLiteral("\r\n") + detail;
    return text;
}

QString textOf(const std::exception &error, Naming naming)
{
    if (const auto *user = dynamic_cast<const UserError *>(&error))
        return withoutControls(user->text());
    if (const auto *ftp = dynamic_cast<const FtpError *>(&error))
        return withoutControls(textOf(*ftp, naming));
    if (dynamic_cast<const RemoteCancelled *>(&error) != nullptr)
        return QStringLiteral("操作を中止しました。");
    return withoutControls(decode(QByteArray(error.what())));
}

} // namespace

QString ftpErrorText(const std::exception &error)
{
    return textOf(error, Naming::Named);
}

QString ftpErrorText(const QString &headline, const std::exception &error)
{
    const QString text = textOf(error, Naming::Unnamed);
    return headline.isEmpty() ? text : headline + QLatin1Char('\n') + text;
}
