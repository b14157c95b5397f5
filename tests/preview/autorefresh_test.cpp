#include "preview/autorefresh.h"

#include "common/commanddispatcher.h"
#include "preview/previewarea.h"
#include "preview/previewcommands.h"
#include "preview/previewsession.h"
#include "preview/weblists.h"
#include "support/fakebrowserengine.h"
#include "support/scripteduserdialogs.h"
#include "workspace/document.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

constexpr std::chrono::milliseconds kIdle{60};

} // namespace

// The preview refreshed by itself, on a fake engine, with a short pause standing in for the
// typing stopping.
class AutoRefreshTest : public ::testing::Test
{
protected:
    AutoRefreshTest()
    {
        fileMode.setChecked(true);
        session.previewName = QStringLiteral("13_05_22.htm");
        document.setPath(folder.filePath(QStringLiteral("page.htm")));
        session.previewDir = folder.path() + QLatin1Char('/');
        engine = new FakeBrowserEngine;
        commands = new PreviewCommands(dispatcher,
                                       document,
                                       session,
                                       lists,
                                       dialogs,
                                       {&pane,
                                        &urlBox,
                                        &httpMode,
                                        &progressBar,
                                        [this] { return documentText; },
                                        [this](const QString &text) { statusTexts.append(text); },
                                        nullptr},
                                       engine,
                                       &pane);
        refresh = new AutoRefresh({[this] { commands->refreshAutomatically(); },
                                   [this] { return documentText.size(); },
                                   [this] { return questionOpen; },
                                   [this](const QString &text) { statusTexts.append(text); }},
                                  &pane,
                                  kIdle);
    }

    // Keys typed closer together than the pause, then a wait well past it.
    void typeBurst(int keys)
    {
        for (int i = 0; i < keys; ++i) {
            documentText += QLatin1Char('x');
            refresh->documentEdited();
            QTest::qWait(int(kIdle.count() / 4));
        }
        QTest::qWait(int(kIdle.count() * 5));
    }

    PreviewArea pane;
    QWidget modes;
    QRadioButton httpMode{QStringLiteral("http"), &modes};
    QRadioButton fileMode{QStringLiteral("file"), &modes};
    QProgressBar progressBar;
    QComboBox urlBox;
    QString documentText = QStringLiteral("<p>");
    bool questionOpen = false;
    QStringList statusTexts;
    QTemporaryDir folder;
    Document document;
    PreviewSession session;
    WebLists lists;
    ScriptedUserDialogs dialogs;
    CommandDispatcher dispatcher{dialogs, pane};
    FakeBrowserEngine *engine = nullptr;
    PreviewCommands *commands = nullptr;
    AutoRefresh *refresh = nullptr;
};

TEST_F(AutoRefreshTest, ABurstOfKeysRefreshesOnceWhenIdleAndNeverByHand)
{
    const struct
    {
        AutoRefreshMode mode;
        qsizetype refreshes;
    } rows[] = {
        {AutoRefreshMode::WhenIdle, 1},
        {AutoRefreshMode::Manual, 0},
        {AutoRefreshMode::WhenSaved, 0},
    };
    for (const auto &row : rows) {
        engine->navigations.clear();
        refresh->setMode(row.mode);
        typeBurst(8);
        EXPECT_EQ(engine->navigations.size(), row.refreshes) << int(row.mode);
    }
    // Written as 反映 writes it, the whole text as it stood after the last key.
    refresh->setMode(AutoRefreshMode::WhenIdle);
    typeBurst(3);
    QFile written(folder.filePath(session.previewName));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(written.readAll()), documentText);
    EXPECT_EQ(dialogs.messages.size(), 0);
}

TEST_F(AutoRefreshTest, SavingRefreshesOnlyWhenChosen)
{
    refresh->setMode(AutoRefreshMode::WhenSaved);
    refresh->documentSaved();
    EXPECT_EQ(engine->navigations.size(), 1);
    refresh->setMode(AutoRefreshMode::WhenIdle);
    refresh->documentSaved();
    refresh->setMode(AutoRefreshMode::Manual);
    refresh->documentSaved();
    EXPECT_EQ(engine->navigations.size(), 1);
}

TEST_F(AutoRefreshTest, TheRefreshedPageStaysWhereTheUserWasReading)
{
    commands->render();
    engine->completeLoad(engine->navigations.last().address, QString());
    engine->scroll = QPointF(0, 420);
    typeBurst(2);
    ASSERT_EQ(engine->navigations.size(), 2);
    engine->completeLoad(engine->navigations.last().address, QString());
    EXPECT_EQ(engine->scroll, QPointF(0, 420));

    // Another page shown meanwhile: the preview opens at its top.
    engine->navigate(QStringLiteral("http://127.0.0.1/"));
    engine->completeLoad(QStringLiteral("http://127.0.0.1/"), QString());
    engine->scroll = QPointF(0, 900);
    commands->render();
    engine->completeLoad(engine->navigations.last().address, QString());
    EXPECT_EQ(engine->scroll, QPointF());
}

TEST_F(AutoRefreshTest, BrowsingTheWebIsNotInterruptedAndAFailureIsToldOnceWithoutABox)
{
    httpMode.setChecked(true);
    commands->refreshAutomatically();
    EXPECT_TRUE(engine->navigations.isEmpty());

    fileMode.setChecked(true);
    session.previewDir = folder.filePath(QStringLiteral("missing/"));
    commands->refreshAutomatically();
    commands->refreshAutomatically();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    ASSERT_EQ(statusTexts.size(), 1);
    EXPECT_TRUE(statusTexts.constFirst().startsWith(QStringLiteral("自動反映できませんでした：")))
        << statusTexts.constFirst().toStdString();
    EXPECT_TRUE(statusTexts.constFirst().contains(QDir::toNativeSeparators(session.previewDir)));
    EXPECT_TRUE(engine->navigations.isEmpty());
}

TEST_F(AutoRefreshTest, APauseWhileAQuestionIsOpenRefreshesOnlyOnceItIsAnswered)
{
    refresh->setMode(AutoRefreshMode::WhenIdle);
    questionOpen = true;
    typeBurst(2);
    EXPECT_TRUE(engine->navigations.isEmpty());
    questionOpen = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine->navigations.size() == 1; }, 5000));
}

TEST_F(AutoRefreshTest, APageTooLargeWhileTypingWaitsForASaveOrTheButtonAndSaysSoOnce)
{
    refresh->setMode(AutoRefreshMode::WhenIdle);
    documentText = QString(AutoRefresh::kLargestWhileTyping, QLatin1Char('x'));
    typeBurst(2);
    typeBurst(2);
    EXPECT_TRUE(engine->navigations.isEmpty());
    EXPECT_EQ(statusTexts, QStringList{AutoRefresh::kTooLargeNotice});

    // A save shows the page the pauses held back; 反映 shows any size.
    refresh->documentSaved();
    EXPECT_EQ(engine->navigations.size(), 1);
    refresh->documentSaved();
    EXPECT_EQ(engine->navigations.size(), 1) << "nothing was held back since";
    commands->render();
    EXPECT_EQ(engine->navigations.size(), 2);

    // Back under the size the pauses refresh again, and crossing it again is told again, as it
    // is for another page.
    documentText = QStringLiteral("<p>");
    typeBurst(1);
    EXPECT_EQ(engine->navigations.size(), 3);
    documentText = QString(AutoRefresh::kLargestWhileTyping, QLatin1Char('x'));
    typeBurst(1);
    refresh->documentMoved();
    typeBurst(1);
    EXPECT_EQ(engine->navigations.size(), 3);
    EXPECT_EQ(statusTexts.size(), 3);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(AutoRefreshTest, AnUntitledPageIsPreviewedOutsideTheUsersFolder)
{
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    document.setPath(QString());
    commands->render();
    QDir::setCurrent(saved);
    ASSERT_EQ(engine->navigations.size(), 1);
    const QString preview = QUrl(engine->navigations.last().address).toLocalFile();
    const QFileInfo privateFolder(QFileInfo(preview).absolutePath());
    EXPECT_TRUE(QFileInfo::exists(preview));
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(privateFolder.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::ExeOther), 0);

    delete commands; // the program ends
    EXPECT_FALSE(QFileInfo::exists(privateFolder.absoluteFilePath()));
}

TEST_F(AutoRefreshTest, ADocumentSavedUnderANameIsShownFromItsNewFolderAtOnce)
{
    const struct
    {
        AutoRefreshMode mode;
        bool saved; // Save As ends with a save too, after the name has changed
        qsizetype refreshes;
    } rows[] = {
        {AutoRefreshMode::WhenIdle, true, 1},
        {AutoRefreshMode::WhenSaved, true, 1},
        {AutoRefreshMode::WhenIdle, false, 1},
        {AutoRefreshMode::Manual, true, 0},
    };
    for (const auto &row : rows) {
        // An untitled page, previewed from the program's private folder.
        document.setPath(QString());
        refresh->setMode(AutoRefreshMode::Manual);
        commands->render();
        const QString untitledPreview = QUrl(engine->navigations.last().address).toLocalFile();
        engine->navigations.clear();

        refresh->setMode(row.mode);
        const QString page = folder.filePath(QStringLiteral("page.htm"));
        document.setPath(page);
        refresh->documentMoved();
        session.previewDir = folder.path() + QLatin1Char('/');
        if (row.saved)
            refresh->documentSaved();
        QCoreApplication::processEvents();
        ASSERT_EQ(engine->navigations.size(), row.refreshes) << int(row.mode) << row.saved;
        if (row.refreshes > 0) {
            EXPECT_EQ(engine->navigations.last().address,
                      QUrl::fromLocalFile(folder.filePath(session.previewName)).toString());
            EXPECT_FALSE(QFileInfo::exists(untitledPreview));
        }
        // No second refresh once the pause has passed.
        QTest::qWait(int(kIdle.count() * 3));
        EXPECT_EQ(engine->navigations.size(), row.refreshes) << int(row.mode) << row.saved;
    }
}
