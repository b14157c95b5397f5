// The local list of the transfer window: the program's own preview copies are not listed, so
// that no selection of the list can send them.
#include "transfer/localpane.h"

#include "common/atomicfile.h"
#include "common/previewcopyrecord.h"
#include "transfer/listsort.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

TEST(LocalPane, ThePreviewCopiesOfTheProgramAreNotListed)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    qputenv("QZWEB_HOME", QFile::encodeName(scratch.filePath(QStringLiteral("data"))));
    const QString site = scratch.filePath(QStringLiteral("site"));
    ASSERT_TRUE(QDir().mkpath(site));
    AtomicFile::write(QDir(site).filePath(QStringLiteral("index.html")), "<p>top</p>");
    AtomicFile::write(QDir(site).filePath(QStringLiteral("13_05_23.htm")), "<p>the user's</p>");
    PreviewCopyRecord record(scratch.filePath(QStringLiteral("records")));
    const QString copy = QDir(site).filePath(QStringLiteral("13_05_22.htm"));
    record.writing(copy, "<p>draft</p>");
    AtomicFile::write(copy, "<p>draft</p>");

    QComboBox drives;
    QTreeView tree;
    QFileSystemModel model;
    tree.setModel(&model);
    QTreeWidget list;
    QCheckBox selectAll;
    ListSort sort;
    LocalPane pane(drives, tree, model, list, selectAll, sort, nullptr);
    QSignalSpy filled(&pane, &LocalPane::filled);
    const QString savedCurrent = QDir::currentPath();
    pane.setFolder(site); // also makes it the current folder
    QDir::setCurrent(savedCurrent);
    ASSERT_TRUE(filled.count() > 0 || filled.wait(5000));

    QStringList names;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        names.append(list.topLevelItem(i)->text(0));
    names.sort();
    EXPECT_EQ(names, (QStringList{"13_05_23.htm", "index.html"}));
    qunsetenv("QZWEB_HOME");
}
