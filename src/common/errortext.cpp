#include "common/errortext.h"

#include <cerrno>
#include <cstring>

QString errorBoxText(const QString &failure)
{
    // A sentence that already ends in a stop of its own, Japanese or not, gets no second one.
    static const QString kOwnStops = QStringLiteral("?。｡．！？");
    if (failure.isEmpty() || failure.back() <= QLatin1Char('.') || kOwnStops.contains(failure.back()))
        return failure;
    return failure + QLatin1Char('.');
}

namespace {

struct SystemErrorRow
{
    int number;
    const char *text;
};

constexpr SystemErrorRow kSystemErrors[] = {
    {ENOENT, "指定されたファイルが見つかりません"},
    {ENOTDIR, "指定されたパスが見つかりません"},
    {EACCES, "ファイルへのアクセスが拒否されました"},
    {EPERM, "ファイルへのアクセスが拒否されました"},
    {EROFS, "書き込み禁止のディスクです"},
    {ENOSPC, "ディスクに十分な空き領域がありません"},
    {EDQUOT, "ディスクに十分な空き領域がありません"},
    {EISDIR, "フォルダはファイルとして開けません"},
    {EEXIST, "ファイルは既に存在します"},
    {EMFILE, "開いているファイルが多すぎます"},
    {ENAMETOOLONG, "ファイル名が長すぎます"},
    {EIO, "デバイスの入出力エラーです"},
    {EBUSY, "ファイルは別のプロセスが使用中です"},
};

} // namespace

QString systemErrorText(int errorNumber)
{
    for (const auto &row : kSystemErrors) {
        if (row.number == errorNumber)
            return QString::fromUtf8(row.text);
    }
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}
