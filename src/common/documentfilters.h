#pragma once

#include <QString>
#include <QStringList>

// The file types the open and save dialogs offer for documents, in the order shown; both
// dialogs start on the first one and add ".htm" to a name typed without an extension.
namespace DocumentFilters {

inline const QString kDefaultSuffix = QStringLiteral("htm");

struct Filter
{
    QString caption;
    QString patterns; // separated by ";"
};

const QList<Filter> &filters();

// The filters as file dialogs take them: the caption followed by its patterns in parentheses.
QStringList nameFilters();

} // namespace DocumentFilters
