#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// Asked on the window's thread before the selected files are uploaded: given their folder and
// their names (as the local walk read them), answers the names that still go up. The program
// plugs its page check in here; the transfer window knows nothing of it.
using UploadCheck = std::function<QList<QByteArray>(const QString &folder, const QList<QByteArray> &names)>;
