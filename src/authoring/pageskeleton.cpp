#include "authoring/pageskeleton.h"

namespace PageSkeleton {

namespace {

const QString kHead =
    QStringLiteral("<html>\r\n"
                   "<head><title>&lt;タイトルになります&gt;</title></head>\r\n"
                   "<body background=\"背景画像ファイル名\" bgcolor=\"#ffffff\" text=\"#000000\" link=\"#0000ff\" "
                   "vlink=\"#cc00ff\" alink=\"#ff0000\">\r\n");
const QString kTail = QStringLiteral("\r\n</body>\r\n</html>");

} // namespace

QString text()
{
    return kHead + kTail;
}

int caretPosition()
{
    return int(kHead.size());
}

QString confirmation()
{
    return QStringLiteral("現在の書き込まれてある文字を初期化します。\r\n\r\n\u3000…よろしいですか？");
}

} // namespace PageSkeleton
