#pragma once

#include "transfer/remoteitem.h"

#include <QByteArray>
#include <QDate>
#include <QList>

#include <optional>
#include <string>
#include <vector>

// Turns the lines of a LIST answer into remote items. Understands the Unix long format of
// vsftpd, ProFTPD, Pure-FTPd, pyftpdlib and busybox (names kept whole with their blanks, links
// named by their own name, device numbers, a year instead of the time) and the MS-DOS format
// of Windows servers. Lines of any other shape are skipped.
namespace RemoteListingParser {

// The blank- and comma-separated tokens of a line, quotes honoured (the rule older listings
// were read by).
QList<QByteArray> splitTokens(const QByteArray &line);

// today: where a date without its year belongs (see RemoteDate::dayWithoutYear).
std::optional<RemoteItem> parseLine(const QByteArray &line, const QDate &today = QDate::currentDate());
RemoteItems parse(const std::vector<std::string> &lines, const QDate &today = QDate::currentDate());

// "#,0" grouping, padded with leading blanks to 10 characters so the texts sort and line up.
QString sizeText(qint64 size);

} // namespace RemoteListingParser
