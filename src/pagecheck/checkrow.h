#pragma once

#include <QList>
#include <QString>

#include <optional>

// One thing the page check found: how serious it is, where (line and column from 1, the column
// counted in characters as the user sees them, a tab being one), the key that names the kind of
// fault, the sentence shown to the user and, for tidy's findings, tidy's own English words. A
// fault tidy meets again further down (an element left open goes on there) keeps those places as
// rows of their own under it; they are not further faults. Where the program can mend the fault
// itself (a missing charset declaration), the row carries the edit.
struct CheckRow
{
    enum class Level {
        Error,   // エラー: the page shows or works wrongly
        Caution, // 注意: it works, but not for every visitor or not for long
        Hint,    // ヒント: a better way exists
    };

    // An edit that mends the fault: text to insert at an offset of the text checked.
    struct Fix
    {
        qsizetype offset = 0;
        QString text;
        bool operator==(const Fix &) const = default;
    };

    Level level = Level::Error;
    int line = 1;
    int column = 1;
    QString key;
    QString sentence;
    QString tidyMessage;
    QList<CheckRow> continuations;
    std::optional<Fix> fix;

    bool operator==(const CheckRow &) const = default;

    // "エラー", "注意", "ヒント".
    static QString levelName(Level level);
};

using CheckRows = QList<CheckRow>;
