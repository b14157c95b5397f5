// The registry of open documents: one document per file whatever path names it (links, "..",
// names that are not UTF-8), and which one is current after each close.
#include "workspace/documentregistry.h"

#include "workspace/document.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct SameFileCase
{
    const char *name;
    // Makes the file at the first path and returns the second path naming it (or another file).
    std::function<QString(const QDir &, const QString &)> otherPath;
    bool same;
};

void PrintTo(const SameFileCase &c, std::ostream *os)
{
    *os << c.name;
}

QString touch(const QString &path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    return path;
}

class RegistryFindsOpenFile : public ::testing::TestWithParam<SameFileCase>
{};

TEST_P(RegistryFindsOpenFile, OpeningTwiceFindsTheSameDocument)
{
    const SameFileCase &c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QDir root(dir.path());
    // A name whose bytes are not UTF-8, as an old Windows archive leaves them.
    const QString page = touch(root.filePath(QFile::decodeName("p\xe9ge\x82\xa0.html")));
    const QString other = c.otherPath(root, page);

    DocumentRegistry registry;
    Document &first = registry.create();
    first.setPath(page);
    EXPECT_EQ(registry.find(page), &first);
    EXPECT_EQ(registry.find(other) == &first, c.same) << other.toStdString();
    EXPECT_EQ(DocumentRegistry::samePath(page, other), c.same);
}

INSTANTIATE_TEST_SUITE_P(
    Paths,
    RegistryFindsOpenFile,
    ::testing::Values(
        SameFileCase{"ItsOwnPath", [](const QDir &, const QString &page) { return page; }, true},
        SameFileCase{"ThroughDotDot",
                     [](const QDir &root, const QString &page) {
                         root.mkdir(QStringLiteral("sub"));
                         return root.path() + QStringLiteral("/sub/../") + QFileInfo(page).fileName();
                     },
                     true},
        SameFileCase{"ThroughALink",
                     [](const QDir &root, const QString &page) {
                         const QString link = root.filePath(QStringLiteral("link.html"));
                         QFile::link(page, link);
                         return link;
                     },
                     true},
        SameFileCase{"AnotherFile",
                     [](const QDir &root, const QString &) { return touch(root.filePath(QStringLiteral("b.html"))); },
                     false},
        SameFileCase{"AFileNotYetOnDisk",
                     [](const QDir &root, const QString &) { return root.filePath(QStringLiteral("new.html")); },
                     false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(DocumentRegistry, UntitledDocumentsAreNeverFoundByPath)
{
    DocumentRegistry registry;
    registry.create();
    EXPECT_EQ(registry.find(QString()), nullptr);
    EXPECT_EQ(registry.find(QDir::currentPath()), nullptr);
}

struct CloseCase
{
    const char *name;
    int current; // index of the current one before the close
    int closed;
    int currentAfter; // index among the three as they were; -1: none
};

void PrintTo(const CloseCase &c, std::ostream *os)
{
    *os << c.name;
}

class RegistryClose : public ::testing::TestWithParam<CloseCase>
{};

TEST_P(RegistryClose, TheNeighbourBecomesCurrent)
{
    const CloseCase &c = GetParam();
    DocumentRegistry registry;
    QList<Document *> three;
    for (int i = 0; i < 3; ++i)
        three.append(&registry.create());
    registry.setCurrent(three[c.current]);

    QStringList told;
    QObject::connect(&registry, &DocumentRegistry::aboutToClose, [&](Document *d) {
        // Still listed and still current while it is told of: its views save what they hold.
        told << QStringLiteral("close %1 listed=%2")
                    .arg(three.indexOf(d))
                    .arg(registry.indexOf(d) >= 0 ? QStringLiteral("true") : QStringLiteral("false"));
    });
    QObject::connect(&registry, &DocumentRegistry::currentChanged, [&](Document *d) {
        told << QStringLiteral("current %1").arg(three.indexOf(d));
    });
    registry.close(*three[c.closed]);

    QStringList expected{QStringLiteral("close %1 listed=true").arg(c.closed)};
    if (c.current == c.closed)
        expected << QStringLiteral("current %1").arg(c.currentAfter);
    EXPECT_EQ(told, expected);
    EXPECT_EQ(registry.count(), 2);
    EXPECT_EQ(registry.current(), c.currentAfter < 0 ? nullptr : three[c.currentAfter]);
    EXPECT_EQ(registry.indexOf(three[c.closed]), -1);
}

INSTANTIATE_TEST_SUITE_P(Closes,
                         RegistryClose,
                         ::testing::Values(CloseCase{"CurrentInTheMiddleGivesWayToTheRight", 1, 1, 2},
                                           CloseCase{"CurrentAtTheEndGivesWayToTheLeft", 2, 2, 1},
                                           CloseCase{"AnotherLeavesTheCurrentAlone", 0, 2, 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DocumentRegistry, ClosingTheLastLeavesNoneCurrentAndKeepsTheOrder)
{
    DocumentRegistry registry;
    QSignalSpy opened(&registry, &DocumentRegistry::opened);
    Document &a = registry.create();
    Document &b = registry.create();
    EXPECT_EQ(opened.count(), 2);
    EXPECT_EQ(registry.current(), nullptr) << "a new document is not made current by itself";
    EXPECT_EQ(registry.documents(), (QList<Document *>{&a, &b}));
    registry.setCurrent(&b);
    registry.close(b);
    registry.close(a);
    EXPECT_EQ(registry.current(), nullptr);
    EXPECT_EQ(registry.count(), 0);
}

} // namespace
