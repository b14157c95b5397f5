// The sentence rules against tidy's own messages: a rule names only what tidy's message names.
#include "pagecheck/checksentences.h"

#include "pagecheck/tidyreport.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// How many arguments a message format of tidy's takes ("%s lacks \"%s\" attribute": two).
qsizetype conversions(const QString &format)
{
    static const QRegularExpression conversion(QStringLiteral("%[-0-9.]*[sudxXf]"));
    return format.count(conversion);
}

int highestPlaceholder(const QString &sentence)
{
    static const QRegularExpression placeholder(QStringLiteral("%([1-9])"));
    int highest = 0;
    for (auto it = placeholder.globalMatch(sentence); it.hasNext();)
        highest = std::max(highest, it.next().captured(1).toInt());
    return highest;
}

bool isOwn(const QByteArray &key)
{
    return key.startsWith("QZ_");
}

TEST(CheckSentencesTest, EveryRuleNamesOnlyWhatTidysMessageNames)
{
    for (const CheckSentences::Rule &rule : CheckSentences::rules()) {
        const char *key = rule.key.constData();
        // Our own checks give the file or encoding and, for the charset, the declared one; the
        // phone's width row gives the two widths and the widest element.
        const qsizetype given = isOwn(rule.key) ? 3 : conversions(TidyReport::format(rule.key));
        if (!isOwn(rule.key)) {
            EXPECT_FALSE(TidyReport::format(rule.key).isEmpty()) << key << " is not a message of tidy's";
        }
        EXPECT_LE(highestPlaceholder(rule.sentence), given) << key << ": " << rule.sentence.toStdString();
        for (const CheckSentences::Condition &condition : rule.conditions)
            EXPECT_LT(condition.argument, given) << key;
        EXPECT_FALSE(rule.sentence.trimmed().isEmpty()) << key;
    }
    // Every key has a rule that holds whatever its arguments, so no row goes without one.
    for (const QByteArray &key : CheckSentences::keys())
        EXPECT_TRUE(CheckSentences::find(key, {QStringLiteral("\x01"), QStringLiteral("\x01"), QStringLiteral("\x01")}))
            << key.constData();
}

TEST(CheckSentencesTest, FillsInTidysSubjectsOrQuotesTidy)
{
    struct Case
    {
        const char *name;
        QByteArray key;
        QStringList arguments;
        const char *expected; // the sentence, or what it must contain when it quotes tidy
    };
    const Case cases[] = {
        {"tag forms get the bare name",
         "MISSING_ENDTAG_BEFORE",
         {QStringLiteral("b"), QStringLiteral("</p>")},
         "6 行目の <b> が閉じられていません。閉じる位置に </b> を書いてください（</p> より前に）。"},
        {"an argument holding a placeholder stays as it is",
         "MISSING_ATTR_VALUE",
         {QStringLiteral("<img%2>"), QStringLiteral("src")},
         "<img%2> の src 属性に値がありません。"},
        {"the rule is the one for the attribute tidy named",
         "MISSING_ATTRIBUTE",
         {QStringLiteral("<TABLE>"), QStringLiteral("SUMMARY")},
         "<TABLE> に summary 属性がありません。HTML 4.01 では、表の中身の説明を summary=\"…\" "
         "に書くよう勧められています"
         "（HTML5 では要りません）。"},
        {"a subject tidy did not give is not made up", "UNKNOWN_ENTITY", {}, "tidy の説明: unescaped & or unknown"},
        {"a key no rule knows quotes tidy",
         "SOME_LATER_KEY",
         {QStringLiteral("x")},
         "tidy の説明: unescaped & or unknown"},
    };
    for (const Case &c : cases) {
        const QString sentence = CheckSentences::sentence(
            c.key, {c.arguments, 6, {}}, QStringLiteral("unescaped & or unknown entity \"%1\""));
        if (QString::fromUtf8(c.expected).startsWith(QLatin1String("tidy"))) {
            EXPECT_TRUE(sentence.contains(QString::fromUtf8(c.expected))) << c.name << ": " << sentence.toStdString();
        } else {
            EXPECT_EQ(sentence, QString::fromUtf8(c.expected)) << c.name;
        }
    }
}

} // namespace
