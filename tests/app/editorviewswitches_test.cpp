// The 環境設定 switches for the source view: on at the first start, applied to the view when
// clicked, and found as they were left at the next start.
#include "app/editorviewsettings.h"
#include "authoring/sourceview.h"
#include "support/mainwindowfixture.h"

#include <QAction>
#include <QFile>
#include <QMenu>

#include <algorithm>

namespace {

class EditorViewSwitches : public MainWindowFixture
{
protected:
    QString optionsFile() const { return QDir(dataHome.path()).filePath(EditorViewOptions::kFileName); }

    void restart()
    {
        ASSERT_TRUE(window->close());
        window.reset();
        createWindows();
    }

    void expectChecked(bool highlighting, bool lineNumbers, const char *when)
    {
        for (const char *name : {"mnuColorCode", "mnuLineNumber"})
            EXPECT_TRUE(action(QString::fromLatin1(name))->isCheckable()) << name << " " << when;
        EXPECT_EQ(action(QStringLiteral("mnuColorCode"))->isChecked(), highlighting) << when;
        EXPECT_EQ(action(QStringLiteral("mnuLineNumber"))->isChecked(), lineNumbers) << when;
    }
};

TEST_F(EditorViewSwitches, AreOnAtFirstAndComeBackAsTheyWereLeft)
{
    // After the menu's own items: ﾌｧｲﾙ転送, a separator, then the two switches.
    const QList<QAction *> items = control<QMenu>(QStringLiteral("Environment1"))->actions();
    const auto transfer = std::find_if(
        items.begin(), items.end(), [](const QAction *item) { return item->objectName() == QStringLiteral("mnuFTP"); });
    ASSERT_LT(std::distance(transfer, items.end()), items.size());
    ASSERT_GE(std::distance(transfer, items.end()), 4);
    EXPECT_TRUE(transfer[1]->isSeparator());
    EXPECT_EQ(transfer[2]->text(), QStringLiteral("色分け表示"));
    EXPECT_EQ(transfer[3]->text(), QStringLiteral("行番号"));
    expectChecked(true, true, "first start");
    EXPECT_FALSE(QFile::exists(optionsFile()));

    SourceView view;
    window->findChild<EditorViewSettings *>()->attach(view);
    trigger(QStringLiteral("mnuColorCode"));
    EXPECT_FALSE(view.highlightingOn());
    EXPECT_EQ(view.highlighter(), nullptr);
    EXPECT_TRUE(view.lineNumbersShown());
    trigger(QStringLiteral("mnuLineNumber"));
    EXPECT_FALSE(view.lineNumbersShown());
    trigger(QStringLiteral("mnuColorCode"));
    EXPECT_TRUE(view.highlightingOn());

    restart();
    expectChecked(true, false, "next start");

    // A file damaged by hand keeps what it still says plainly; the rest is the default.
    QFile file(optionsFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[SourceView]\nhighlighting=no\nlineNumbers=false\n\x81\x40garbage\n");
    file.close();
    restart();
    expectChecked(true, false, "damaged file");
    trigger(QStringLiteral("mnuLineNumber"));
    restart();
    expectChecked(true, true, "turned on again");
}

} // namespace
