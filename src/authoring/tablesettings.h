#pragma once

#include <QString>

#include <optional>

// What the table settings dialog edits and the table commands read: the four texts exactly as
// typed. The dialog is a view over this, so the commands' rules can be tested without a window.
struct TableSettings
{
    QString rows = QStringLiteral("2");
    QString columns = QStringLiteral("2");
    QString width = QStringLiteral("120");
    QString height = QStringLiteral("50");
};

enum class TableField {
    Rows,
    Columns,
    Width,
    Height,
};

// A text counts as not filled in when it sorts below "1": empty, or starting with a blank, a
// sign, a point or "0". Text starting with a letter passes; the grid's conversion catches it.
bool isFilledIn(const QString &text);

// The first field, in the order rows, columns, width, height, that is not filled in.
std::optional<TableField> firstUnfilledField(const TableSettings &settings);
