#include "preview/commatext.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase
{
    const char *name;
    QString line;
    QStringList fields;
};

class CommaTextSplit : public ::testing::TestWithParam<SplitCase>
{};

} // namespace

TEST_P(CommaTextSplit, ReadsTheFieldsOfALine)
{
    EXPECT_EQ(CommaText::split(GetParam().line), GetParam().fields) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Rules,
    CommaTextSplit,
    ::testing::Values(
        SplitCase{"three quoted",
                  QStringLiteral("\"2026/01/05\",\"題\",\"http://a/\""),
                  {QStringLiteral("2026/01/05"), QStringLiteral("題"), QStringLiteral("http://a/")}},
        SplitCase{"comma and blanks inside quotes",
                  QStringLiteral("\"a, b\",\" c \""),
                  {QStringLiteral("a, b"), QStringLiteral(" c ")}},
        SplitCase{"doubled quote is one",
                  QStringLiteral("\"say \"\"hi\"\"\",x"),
                  {QStringLiteral("say \"hi\""), QStringLiteral("x")}},
        SplitCase{"blanks around commas skipped",
                  QStringLiteral(" \t\"a\" ,\t \"b\"  "),
                  {QStringLiteral("a"), QStringLiteral("b")}},
        SplitCase{"bare field ends at a blank",
                  QStringLiteral("a b,c"),
                  {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        SplitCase{"bare field keeps a quote inside",
                  QStringLiteral("ab\"c\",d"),
                  {QStringLiteral("ab\"c\""), QStringLiteral("d")}},
        SplitCase{"text after a closing quote is a new field",
                  QStringLiteral("\"a\"b"),
                  {QStringLiteral("a"), QStringLiteral("b")}},
        SplitCase{"leading comma gives an empty field", QStringLiteral(",a"), {QString(), QStringLiteral("a")}},
        SplitCase{"two commas give an empty field",
                  QStringLiteral("a,,b"),
                  {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        SplitCase{
            "comma as last character adds an empty field", QStringLiteral("\"a\","), {QStringLiteral("a"), QString()}},
        SplitCase{"comma followed by blanks only adds nothing", QStringLiteral("\"a\", "), {QStringLiteral("a")}},
        SplitCase{"unclosed quote runs to the end", QStringLiteral("\"a,b c"), {QStringLiteral("a,b c")}},
        SplitCase{"empty line has no fields", QString(), {}},
        SplitCase{"blank line has no fields", QStringLiteral("  \t"), {}},
        SplitCase{"zero character ends the line",
                  QStringLiteral("\"a\",\"b") + QChar(0) + QStringLiteral("c\",\"d\""),
                  {QStringLiteral("a"), QStringLiteral("b")}},
        SplitCase{"more than three fields are all read",
                  QStringLiteral("1,2,3,4"),
                  {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}}),
    [](const ::testing::TestParamInfo<SplitCase> &info) { return std::to_string(info.index); });

TEST(CommaText, WhatIsWrittenReadsBackExactly)
{
    const QList<QStringList> rows = {
        {QStringLiteral("2026/01/05"), QStringLiteral("題名, 空白 あり"), QStringLiteral("http://a/?x=1,2")},
        {QStringLiteral("分類"), QStringLiteral("\"引用\" と \"\""), QStringLiteral("http://b/\"q\"")},
        {QStringLiteral(" 前後に空白 "), QString(), QStringLiteral("\"")},
        {QString(), QString(), QString()},
    };
    for (const QStringList &fields : rows)
        EXPECT_EQ(CommaText::split(CommaText::join(fields)), fields) << CommaText::join(fields).toStdString();
}

TEST(CommaText, WritesEachFieldQuotedWithInnerQuotesDoubled)
{
    EXPECT_EQ(CommaText::join({QStringLiteral("a"), QStringLiteral("b \"c\""), QString()}),
              QStringLiteral("\"a\",\"b \"\"c\"\"\",\"\""));
}
