// What the program's own commands write is never an エラー of the page check: a page made of the
// skeleton and every insertion fragment has no error but the charset the skeleton leaves out,
// whatever version of HTML the page declares.
#include "authoring/alignfragments.h"
#include "authoring/colorchoice.h"
#include "authoring/insertfragments.h"
#include "authoring/pageskeleton.h"
#include "authoring/paragraphfragments.h"
#include "authoring/tablefragments.h"
#include "authoring/tablesettings.h"
#include "authoring/templatefragments.h"
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

// The 文字 menu with the colour dialog answered in each of its three notations.
QString textFormats(const QString &selection)
{
    QString text;
    for (const char *color : {"#FF8000", "RGB(255,128,0)", "$0080FF"}) {
        ColorChoice choice;
        choice.useColor = choice.useSize = true;
        choice.colorText = QString::fromLatin1(color);
        text += everyRow(TextFormatFragments::row,
                         [&](const auto &r) { return TextFormatFragments::build(r, selection, choice); });
    }
    return text;
}

QString everyFragmentPage()
{
    const QString selection = QStringLiteral("文字\r\n二行目");
    QString body = textFormats(selection);
    body += everyRow(AlignFragments::row, [&](const auto &r) { return AlignFragments::build(r, selection); });
    body += everyRow(ParagraphFragments::row, [&](const auto &r) { return ParagraphFragments::build(r, selection); });
    body += everyRow(TableFragments::row, [](const auto &r) { return TableFragments::build(r, TableSettings{}); });
    body += everyRow(InsertFragments::imageRow, [](const auto &r) { return InsertFragments::image(r); });
    body += everyRow(InsertFragments::linkRow, [&](const auto &r) { return InsertFragments::link(r, selection); });
    body += InsertFragments::horizontalRule();
    // The style sheet and script templates that go into the head go there, the others in place.
    QString head;
    for (const auto row : {TemplateFragments::styleRow, TemplateFragments::scriptRow, TemplateFragments::formRow}) {
        for (int tag = 0; tag < 16; ++tag) {
            if (const TemplateFragments::Row *r = row(tag))
                (r->placement == TemplateFragments::Placement::Head ? head : body) += TemplateFragments::text(*r);
        }
    }
    QString page = PageSkeleton::text();
    page.insert(PageSkeleton::caretPosition(), body);
    page.insert(TemplateFragments::headInsertionPoint(page), head);
    return page;
}

TEST(OwnFragmentsTest, AreNeverErrorsInAnyVersionOfHtml)
{
    const QString page = everyFragmentPage();
    ASSERT_GT(page.size(), 3000);
    const char *const doctypes[] = {
        "",
        "<!DOCTYPE html>\r\n",
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
        "\"http://www.w3.org/TR/html4/loose.dtd\">\r\n",
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">\r\n",
        "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
        "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\r\n",
    };
    for (const char *doctype : doctypes) {
        int errors = 0;
        for (const CheckRow &row :
             PageCheck::run({QString::fromLatin1(doctype) + page, {}, TextFormat::Encoding::Cp932, {}})) {
            if (row.level == CheckRow::Level::Error && row.key != QLatin1String(CheckSentences::kCharsetMissing)) {
                ++errors;
                ADD_FAILURE() << doctype << " " << row.line << ":" << row.column << " " << row.key.toStdString() << " "
                              << row.tidyMessage.toStdString();
            }
        }
        EXPECT_EQ(errors, 0) << doctype;
    }
}

} // namespace
