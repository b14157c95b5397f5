// What the program's own commands write is never an エラー of the page check: a page made of the
// skeleton and every insertion fragment has no error but the charset the skeleton leaves out.
#include "authoring/alignfragments.h"
#include "authoring/insertfragments.h"
#include "authoring/pageskeleton.h"
#include "authoring/paragraphfragments.h"
#include "authoring/tablefragments.h"
#include "authoring/tablesettings.h"
#include "authoring/textformatfragments.h"
#include "pagecheck/checksentences.h"
#include "pagecheck/pagecheck.h"

#include <gtest/gtest.h>

namespace {

// Builds every row of a family that the menu has tags for.
template<typename Row, typename Build>
QString everyRow(const Row *(*row)(int), Build build)
{
    QString text;
    for (int tag = 0; tag < 16; ++tag) {
        if (const Row *r = row(tag))
            text += build(*r) + QStringLiteral("\r\n");
    }
    return text;
}

TEST(OwnFragmentsTest, AreNeverErrors)
{
    const QString selection = QStringLiteral("文字\r\n二行目");
    QString body;
    body += everyRow(TextFormatFragments::row, [&](const auto &r) { return TextFormatFragments::build(r, selection); });
    body += everyRow(AlignFragments::row, [&](const auto &r) { return AlignFragments::build(r, selection); });
    body += everyRow(ParagraphFragments::row, [&](const auto &r) { return ParagraphFragments::build(r, selection); });
    body += everyRow(TableFragments::row, [](const auto &r) { return TableFragments::build(r, TableSettings{}); });
    body += everyRow(InsertFragments::imageRow, [](const auto &r) { return InsertFragments::image(r); });
    body += everyRow(InsertFragments::linkRow, [&](const auto &r) { return InsertFragments::link(r, selection); });
    body += InsertFragments::horizontalRule();
    QString page = PageSkeleton::text();
    page.insert(PageSkeleton::caretPosition(), body);
    ASSERT_GT(body.size(), 1000);

    int errors = 0;
    for (const CheckRow &row : PageCheck::run({page, {}, TextFormat::Encoding::Cp932, {}})) {
        if (row.level == CheckRow::Level::Error && row.key != QLatin1String(CheckSentences::kCharsetMissing)) {
            ++errors;
            ADD_FAILURE() << row.line << ":" << row.column << " " << row.key.toStdString();
        }
    }
    EXPECT_EQ(errors, 0);
}

} // namespace
