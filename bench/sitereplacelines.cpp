#include "sitereplacelines.h"

#include "app/sitereplacecommands.h"
#include "benchbasics.h"
#include "benchchild.h"
#include "childrun.h"
#include "sitepages.h"
#include "sitewindow.h"
#include "toolrun.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <optional>
#include <vector>

using namespace bench;
using SitePages::Encoding;

namespace {

constexpr double kRatioGoal = 0.5;
// sed as a user on a UTF-8 desktop runs it: it takes bytes it cannot read as UTF-8 one by one.
const QByteArray kUtf8Locale = "LC_ALL=C.UTF-8";

QByteArray readPage(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail("cannot read a page of the site");
    return file.readAll();
}

std::vector<QByteArray> readPages(const QStringList &paths)
{
    std::vector<QByteArray> pages;
    for (const QString &path : paths)
        pages.push_back(readPage(path));
    return pages;
}

// Whether a page after a replace holds, outside the places where its text had the word, exactly
// the bytes it held before; at each such place either the word or its replacement may stand
// (replacing is not the question here, damage is). The page's text between the places, encoded
// alone, is the bytes it had there: neither encoding carries a state from one character to the
// next.
bool keptOutsideMatches(const QByteArray &before,
                        const QByteArray &after,
                        const QString &word,
                        const QString &replacement,
                        Encoding encoding)
{
    const QStringList between = SitePages::decode(before, encoding).split(word);
    const QByteArray wordBytes = SitePages::encode(word, encoding);
    const QByteArray replacementBytes = SitePages::encode(replacement, encoding);
    qsizetype at = 0;
    for (qsizetype part = 0; part < between.size(); ++part) {
        const QByteArray kept = SitePages::encode(between[part], encoding);
        if (after.mid(at, kept.size()) != kept)
            return false;
        at += kept.size();
        if (part + 1 == between.size())
            break;
        if (after.mid(at, replacementBytes.size()) == replacementBytes)
            at += replacementBytes.size();
        else if (after.mid(at, wordBytes.size()) == wordBytes)
            at += wordBytes.size();
        else
            return false;
    }
    return at == after.size();
}

// The Shift_JIS pages a replace damaged; before: their bytes as written.
int damagedPages(const SitePages::Half &half,
                 const std::vector<QByteArray> &before,
                 const QString &word,
                 const QString &replacement)
{
    int damaged = 0;
    for (qsizetype page = 0; page < half.pages.size(); ++page) {
        if (!keptOutsideMatches(before[size_t(page)], readPage(half.pages[page]), word, replacement, half.encoding))
            ++damaged;
    }
    return damaged;
}

// The places of the replacement in the pages, as their text reads.
long long replacementsIn(const SitePages::Site &site, const QString &replacement)
{
    long long count = 0;
    for (const SitePages::Half *half : {&site.shiftJis, &site.utf8}) {
        for (const QString &path : half->pages)
            count += SitePages::decode(readPage(path), half->encoding).count(replacement);
    }
    return count;
}

// sed -i s/word/replacement/g over the pages, one process, its start-up counted. The word and
// its replacement go in the bytes of the pages' encoding, as a user must give them for sed to
// find anything in those pages.
double sedReplace(const QStringList &pages, const QString &word, const QString &replacement, Encoding encoding)
{
    const QByteArray wordBytes = SitePages::encode(word, encoding);
    const QByteArray replacementBytes = SitePages::encode(replacement, encoding);
    // Bytes that sed's expression or replacement would read as more than themselves.
    for (const char special : QByteArray("/\\&.*[]^$"))
        if (wordBytes.contains(special) || replacementBytes.contains(special))
            fail("a replace word has a byte sed reads as a sign");
    QList<QByteArray> arguments = {"-i", "s/" + wordBytes + "/" + replacementBytes + "/g"};
    for (const QString &page : pages)
        arguments.append(page.toLocal8Bit());
    const ToolRun::Result sed = ToolRun::run("sed", arguments, {kUtf8Locale});
    if (sed.exitCode != 0)
        fail("sed failed");
    return sed.ms;
}

// How long ours took in the window, from 置換の確認 to the summary.
double oursReplace(const char *self, const QString &root, const QString &word, const QString &replacement)
{
    const QByteArray wordArgument = word.toUtf8();
    const QByteArray replacementArgument = replacement.toUtf8();
    const QByteArray rootArgument = root.toLocal8Bit();
    const ChildValues child = runBenchChild(
        self, {"replace", wordArgument.constData(), replacementArgument.constData(), rootArgument.constData()});
    return child.number("ours_ms");
}

struct Rounds
{
    std::vector<double> oursMs, floorMs;
    std::vector<long long> oursMatches, floorMatches;
    std::vector<int> damagedBySed, damagedByOurs;
    long long expected = 0;
    int trapPages = 0;
};

// One round: the ASCII word replaced everywhere by sed and by ours, then the Japanese word in the
// Shift_JIS pages by sed and by ours, the site written anew before each.
void runRound(const char *self, const QString &root, Rounds &rounds)
{
    SitePages::Site site = SitePages::write(root);
    rounds.expected = site.asciiMatches();
    rounds.trapPages = site.shiftJis.trapPages;
    rounds.floorMs.push_back(
        sedReplace(site.allPages(), SitePages::kAsciiWord, SitePages::kAsciiReplacement, Encoding::Utf8));
    rounds.floorMatches.push_back(replacementsIn(site, SitePages::kAsciiReplacement));

    site = SitePages::write(root);
    std::vector<QByteArray> before = readPages(site.shiftJis.pages);
    sedReplace(site.shiftJis.pages, SitePages::kJapaneseWord, SitePages::kJapaneseReplacement, Encoding::ShiftJis);
    rounds.damagedBySed.push_back(
        damagedPages(site.shiftJis, before, SitePages::kJapaneseWord, SitePages::kJapaneseReplacement));

    site = SitePages::write(root);
    rounds.oursMs.push_back(oursReplace(self, root, SitePages::kAsciiWord, SitePages::kAsciiReplacement));
    rounds.oursMatches.push_back(replacementsIn(site, SitePages::kAsciiReplacement));

    site = SitePages::write(root);
    before = readPages(site.shiftJis.pages);
    oursReplace(self, root, SitePages::kJapaneseWord, SitePages::kJapaneseReplacement);
    rounds.damagedByOurs.push_back(
        damagedPages(site.shiftJis, before, SitePages::kJapaneseWord, SitePages::kJapaneseReplacement));
}

template<typename Value>
Value medianOf(const std::vector<Value> &values)
{
    std::vector<double> numbers(values.begin(), values.end());
    return Value(median(numbers));
}

} // namespace

namespace SiteReplaceLines {

void runChild(int &argc, char **argv)
{
    const ChildApplication app(argc, argv, true);
    SiteWindow window(QString::fromLocal8Bit(argv[5]));
    auto &replace = window.control<SiteReplaceCommands>();
    window.control<QLineEdit>("SiteSearchEdit").setText(QString::fromUtf8(argv[3]));
    window.control<QLineEdit>("SiteReplaceEdit").setText(QString::fromUtf8(argv[4]));
    // sed tells the letter case apart: ours is asked the same.
    window.control<QCheckBox>("SiteSearchMatchCase").setChecked(true);
    auto &preview = window.control<QPushButton>("SiteReplacePreview");
    // The user looks at every change and presses 置換 at once: the preview is shown, its time
    // counted, and nothing of a person's reading.
    window.program().dialogs().answerDialogsWith([](QDialog *dialog) {
        auto *apply = dialog->findChild<QPushButton *>(QStringLiteral("SiteReplaceApply"));
        if (dialog->objectName() != QStringLiteral("SiteReplaceDialog") || !apply)
            fail("the site-wide replace showed no preview to apply");
        dialog->show();
        QApplication::processEvents();
        apply->click();
        return dialog->result();
    });
    SiteWindow::settle();

    std::optional<double> finishedMs;
    std::optional<Stopwatch> watch;
    QObject::connect(&replace, &SiteReplaceCommands::finished, &replace, [&] { finishedMs = watch->read().wallMs; });
    watch.emplace();
    QTest::mouseClick(&preview, Qt::LeftButton);
    while (!finishedMs)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("ours_ms %.3f\n", *finishedMs);
    std::fflush(stdout);
    // Leave without tearing the window and the browser engine down: nothing of that is measured.
    std::_Exit(0);
}

bool run(const char *self, const QString &scratch)
{
    const QString root = scratch + QStringLiteral("/replace-site");
    Rounds rounds;
    for (int round = 0; round < kRounds; ++round)
        runRound(self, root, rounds);
    const double floorMs = median(rounds.floorMs);
    const double oursMs = median(rounds.oursMs);
    const double ratio = floorMs / oursMs;
    const long long oursMatches = medianOf(rounds.oursMatches);
    const long long floorMatches = medianOf(rounds.floorMatches);
    const int damagedByOurs = medianOf(rounds.damagedByOurs);
    std::printf("site_bench replace_ascii %s ours_ms=%.1f floor_ms=%.1f ratio=%.3f ours_matches=%lld "
                "floor_matches=%lld corrupted_by_sed=%d corrupted_by_ours=%d goal=%.1f\n",
                SitePages::kLabel,
                oursMs,
                floorMs,
                ratio,
                oursMatches,
                floorMatches,
                medianOf(rounds.damagedBySed),
                damagedByOurs,
                kRatioGoal);
    std::fflush(stdout);
    return ratio >= kRatioGoal && oursMatches == rounds.expected && floorMatches == rounds.expected
        && damagedByOurs == 0;
}

} // namespace SiteReplaceLines
