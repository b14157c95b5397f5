#include "authoring/tablesettings.h"

bool isFilledIn(const QString &text)
{
    // Every character below "1" is ASCII, so comparing the first UTF-16 unit orders the text
    // exactly as comparing its Shift_JIS bytes would.
    return !text.isEmpty() && text.front() >= QLatin1Char('1');
}

std::optional<TableField> firstUnfilledField(const TableSettings &settings)
{
    const std::pair<TableField, const QString *> fields[] = {
        {TableField::Rows, &settings.rows},
        {TableField::Columns, &settings.columns},
        {TableField::Width, &settings.width},
        {TableField::Height, &settings.height},
    };
    for (const auto &[field, text] : fields) {
        if (!isFilledIn(*text))
            return field;
    }
    return std::nullopt;
}
