#pragma once

#include "pagecheck/checkrow.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The program's own words for every fault the page check reports: tidy's message keys and the
// keys of our own checks, each with its level and a sentence a beginner understands. A key may
// have several rules, told apart by one of its arguments (an <img> without alt is not a <table>
// without summary); the first rule that fits is the one. In a sentence "%1", "%2", "%3" stand for
// the message's arguments in tidy's own order (what tidy named: the element, the attribute, the
// value, the entity), "<%1>" and "</%1>" for the bare name of an argument in tags, "%L" for the
// row's line and "%E" for the element whose start tag stands at the row's place.
namespace CheckSentences {

// The keys of our own checks.
inline constexpr char kCharsetMissing[] = "QZ_CHARSET_MISSING";
inline constexpr char kCharsetMismatch[] = "QZ_CHARSET_MISMATCH";
// The same two on a page of ASCII only: it shows right until a Japanese letter is written.
inline constexpr char kCharsetMissingAscii[] = "QZ_CHARSET_MISSING_ASCII";
inline constexpr char kCharsetMismatchAscii[] = "QZ_CHARSET_MISMATCH_ASCII";
inline constexpr char kTargetMissing[] = "QZ_TARGET_MISSING";
inline constexpr char kTargetCase[] = "QZ_TARGET_CASE";
inline constexpr char kLocalPath[] = "QZ_LOCAL_PATH";
inline constexpr char kInsecureImage[] = "QZ_INSECURE_IMAGE";
inline constexpr char kViewportMissing[] = "QZ_VIEWPORT_MISSING";
inline constexpr char kWiderThanPhone[] = "QZ_WIDER_THAN_PHONE";
// The declaration the viewport row offers to insert.
inline constexpr char kViewportMarkup[] = "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">";
// What only the whole site shows (サイトチェック).
inline constexpr char kOutsideSite[] = "QZ_OUTSIDE_SITE";
inline constexpr char kAnchorMissing[] = "QZ_ANCHOR_MISSING";
inline constexpr char kOrphanPage[] = "QZ_ORPHAN_PAGE";
inline constexpr char kUnusedFile[] = "QZ_UNUSED_FILE";
inline constexpr char kCharsetSaved[] = "QZ_CHARSET_SAVED";
inline constexpr char kCharsetSite[] = "QZ_CHARSET_SITE";
inline constexpr char kTitleDuplicate[] = "QZ_TITLE_DUPLICATE";
inline constexpr char kTitleMissing[] = "QZ_TITLE_MISSING";
// An external link asked for (サイトチェック's optional check): gone, failing, silent, or
// pointing into a network visitors cannot reach.
inline constexpr char kExternalMissing[] = "QZ_EXTERNAL_MISSING";
inline constexpr char kExternalFailed[] = "QZ_EXTERNAL_FAILED";
inline constexpr char kExternalTimeout[] = "QZ_EXTERNAL_TIMEOUT";
inline constexpr char kExternalRefused[] = "QZ_EXTERNAL_REFUSED";

// A rule holds only where each of its conditions does: this argument (from 0) is one of values,
// letter case aside, or begins with one of them when prefix is set.
struct Condition
{
    int argument = 0;
    QStringList values;
    bool prefix = false;
};

struct Rule
{
    QByteArray key;
    QList<Condition> conditions;
    CheckRow::Level level = CheckRow::Level::Error;
    QString sentence;
};

// What a row names.
struct Subject
{
    QStringList arguments; // tidy's arguments, or for our own checks the file or encoding
    int line = 0;          // the row's line
    QString element;       // the element whose start tag is at the row's place, if any ("b")
};

// Every rule, in the order they are tried.
const QList<Rule> &rules();
// The first rule of key that holds for these arguments; nullopt when none does.
std::optional<Rule> find(const QByteArray &key, const QStringList &arguments = {});
// Every key the rules know, in no particular order.
QList<QByteArray> keys();

// The row's sentence: the rule's sentence with what the subject names filled in. A key no rule
// knows (one a later tidy adds), or a sentence whose subject tidy did not give, quotes tidy's
// own English text instead of saying something about the wrong thing.
QString sentence(const QByteArray &key, const Subject &subject, const QString &tidyText);

// A row of one of our own checks at a line and column, with its rule's level and sentence.
CheckRow ownRow(const QByteArray &key, const QStringList &arguments, int line, int column);

// The sentence of a row that one unclosed or misnested element caused further down: tidy goes
// on as if the element continued there.
QString continued(const QString &element, int line);
// The sentence of a row where tidy opened an element itself to read what another row is about.
QString inserted(const QString &element);

// tidy messages that say nothing a beginner can act on, or that our own checks say better.
bool isIgnored(const QByteArray &key);

} // namespace CheckSentences
