#include "app/windowplacement.h"

#include "common/usererror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const QByteArray kComplete = "[MainWindow]\nx=40\ny=30\nwidth=700\nheight=500\nmaximized=false\neditorHeight=120\n";

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

TEST(WindowPlacement, ParsesWhatItWritesAndRefusesAnythingIncomplete)
{
    const WindowPlacement expected{QRect(40, 30, 700, 500), false, 120};
    EXPECT_EQ(WindowPlacement::parse(kComplete), expected);
    EXPECT_EQ(WindowPlacement::parse(expected.toText()), expected);
    const WindowPlacement other{QRect(-1200, 0, 1024, 768), true, 1};
    EXPECT_EQ(WindowPlacement::parse(other.toText()), other);

    const struct
    {
        const char *what;
        QByteArray text;
        bool usable;
    } cases[] = {
        {"CR LF line ends, spaces, comments and unknown keys",
         "; saved\r\n[MainWindow]\r\n x = 40 \r\ny=30\r\nwidth=700\r\n"
         "height=500\r\nmaximized=false\r\neditorHeight=120\r\nfoo=bar\r\n",
         true},
        {"empty", "", false},
        {"binary noise", QByteArray("\x00\xff\x13=\x01\n=\n", 9), false},
        {"a value missing", QByteArray(kComplete).replace("editorHeight=120\n", ""), false},
        {"a value empty", QByteArray(kComplete).replace("width=700", "width="), false},
        {"not a number", QByteArray(kComplete).replace("height=500", "height=five hundred"), false},
        {"a fraction", QByteArray(kComplete).replace("x=40", "x=40.5"), false},
        {"beyond any desktop", QByteArray(kComplete).replace("width=700", "width=2147483647"), false},
        {"far off to the left", QByteArray(kComplete).replace("x=40", "x=-2000000000"), false},
        {"maximised neither true nor false", QByteArray(kComplete).replace("maximized=false", "maximized=yes"), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(WindowPlacement::parse(c.text).has_value(), c.usable) << c.what;
}

TEST(WindowPlacement, ReadsOnlyAPlainSmallFileAndWritesItWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(WindowPlacement::kFileName);
    EXPECT_FALSE(WindowPlacement::read(path).has_value());

    const WindowPlacement placement{QRect(10, 20, 800, 600), true, 200};
    placement.write(path);
    EXPECT_EQ(WindowPlacement::read(path), placement);
    // Written again over the old file, nothing of the old one is left behind.
    const WindowPlacement smaller{QRect(0, 0, 640, 480), false, 81};
    smaller.write(path);
    EXPECT_EQ(WindowPlacement::read(path), smaller);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // Valid lines followed by a mass of padding are not this program's file.
    writeBytes(path, kComplete + QByteArray(8192, ' '));
    EXPECT_FALSE(WindowPlacement::read(path).has_value());

    const QString folder = dir.filePath(QStringLiteral("folder.ini"));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_FALSE(WindowPlacement::read(folder).has_value());
    EXPECT_THROW(smaller.write(folder), UserError);

    // A pipe in its place must not make the start wait for a writer.
    const QString pipe = dir.filePath(QStringLiteral("pipe.ini"));
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_FALSE(WindowPlacement::read(pipe).has_value());
}

TEST(WindowPlacement, FitsOnlyWhereTheWindowCanBeReachedAndUsed)
{
    const QSize minimum(632, 450);
    const QList<QRect> oneScreen{QRect(0, 0, 1280, 1024)};
    // A second screen left of the first, lower and smaller.
    const QList<QRect> twoScreens{QRect(0, 0, 1280, 1024), QRect(-1024, 200, 1024, 768)};
    const struct
    {
        const char *what;
        WindowPlacement placement;
        QList<QRect> screens;
        bool fits;
    } cases[] = {
        {"the designed size, centred", {QRect(324, 287, 632, 450), false, 81}, oneScreen, true},
        {"as large as the screen", {QRect(0, 0, 1280, 1024), false, 500}, oneScreen, true},
        {"the preview maximised", {QRect(0, 0, 800, 600), false, 1}, oneScreen, true},
        {"partly beyond the right edge", {QRect(1100, 100, 800, 600), false, 81}, oneScreen, true},
        {"on the second screen", {QRect(-900, 300, 800, 600), false, 81}, twoScreens, true},
        {"maximised, with a usable normal size", {QRect(10, 10, 700, 500), true, 81}, oneScreen, true},
        {"maximised, the editor taller than the normal size", {QRect(10, 10, 700, 500), true, 800}, oneScreen, true},
        {"maximised, the editor taller than the screen", {QRect(10, 10, 700, 500), true, 1024}, oneScreen, false},
        {"negative size", {QRect(100, 100, -700, -500), false, 81}, oneScreen, false},
        {"no size", {QRect(100, 100, 0, 0), false, 81}, oneScreen, false},
        {"narrower than the minimum", {QRect(100, 100, 631, 500), false, 81}, oneScreen, false},
        {"lower than the minimum", {QRect(100, 100, 700, 449), false, 81}, oneScreen, false},
        {"larger than every screen together", {QRect(0, 0, 1281, 700), false, 81}, oneScreen, false},
        {"editor height zero", {QRect(0, 0, 800, 600), false, 0}, oneScreen, false},
        {"editor height negative", {QRect(0, 0, 800, 600), false, -5}, oneScreen, false},
        {"editor taller than the window", {QRect(0, 0, 800, 600), false, 600}, oneScreen, false},
        {"off to the right", {QRect(1300, 100, 800, 600), false, 81}, oneScreen, false},
        {"only a sliver on the right edge", {QRect(1200, 100, 800, 600), false, 81}, oneScreen, false},
        {"below the screen", {QRect(100, 1010, 800, 600), false, 81}, oneScreen, false},
        {"its top above the screen", {QRect(100, -300, 800, 600), false, 81}, oneScreen, false},
        {"on a screen that is gone", {QRect(-900, 300, 800, 600), false, 81}, oneScreen, false},
        {"in the gap above the lower screen", {QRect(-900, 0, 800, 600), false, 81}, twoScreens, false},
        {"no screens at all", {QRect(0, 0, 800, 600), false, 81}, {}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.placement.fits(c.screens, minimum), c.fits) << c.what;
}

} // namespace
