#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Asked on the window's thread before the selected files are uploaded: given their folder and
// their names (as the local walk read them), answers the names that still go up, or nothing when
// the user stopped the whole upload. The program plugs its page check in here; the transfer
// window knows nothing of it.
using UploadCheck =
    std::function<std::optional<QList<QByteArray>>(const QString &folder, const QList<QByteArray> &names)>;

// How many エラー rows the page check finds in a file as saved (0 for what is not a page or
// cannot be read), so that 更新分を公開 can mark such pages before they go online.
using PageErrorCount = std::function<qsizetype(const QString &path)>;
