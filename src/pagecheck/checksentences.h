#pragma once

#include "pagecheck/checkrow.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The program's own words for every fault the page check reports: tidy's message keys and the
// keys of our own checks, each with its level and a sentence a beginner understands. "%1" in a
// sentence stands for the tag or file the fault is about, "%2" for the attribute.
namespace CheckSentences {

// The keys of our own checks.
inline constexpr char kCharsetMissing[] = "QZ_CHARSET_MISSING";
inline constexpr char kCharsetMismatch[] = "QZ_CHARSET_MISMATCH";
inline constexpr char kTargetMissing[] = "QZ_TARGET_MISSING";
inline constexpr char kTargetCase[] = "QZ_TARGET_CASE";
inline constexpr char kLocalPath[] = "QZ_LOCAL_PATH";
inline constexpr char kInsecureImage[] = "QZ_INSECURE_IMAGE";

struct Entry
{
    CheckRow::Level level;
    QString sentence;
};

// The entry of a key, nullopt for a key this table does not know.
std::optional<Entry> find(const QByteArray &key);
// Every key the table knows, in no particular order.
QList<QByteArray> keys();

// The row's sentence: the key's sentence with %1 (the tag or file) and %2 (the attribute) filled
// in, or for a key the table does not know (one a later tidy adds) a general sentence that quotes
// tidy's own text.
QString sentence(const QByteArray &key, const QString &subject, const QString &tidyText, const QString &detail = {});

// tidy messages that say nothing a beginner can act on, or that our own checks say better.
bool isIgnored(const QByteArray &key);

} // namespace CheckSentences
