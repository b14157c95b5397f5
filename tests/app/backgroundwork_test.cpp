// What the program does by itself while the user works, through the real main window on a fake
// browser engine: an automatic refresh never comes up inside a question the user is answering.
#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "preview/autorefresh.h"
#include "support/fakebrowserengine.h"
#include "support/mainwindowfixture.h"

#include <QDialog>
#include <QFile>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <QUrl>

#include <functional>

namespace {

const QByteArray kUtf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

class BackgroundWorkTest : public MainWindowFixture
{
protected:
    BrowserEngine *makePreviewEngine() override
    {
        engine = new FakeBrowserEngine;
        return engine;
    }

    QPlainTextEdit *editor() const { return control<QPlainTextEdit>(QStringLiteral("RichEdit1")); }

    FakeBrowserEngine *engine = nullptr;
};

} // namespace

TEST_F(BackgroundWorkTest, APreviewDueWhileAQuestionIsOpenComesAfterTheAnswerWhichTakesEffect)
{
    const QString page = QStringLiteral("<meta charset=\"Shift_JIS\"><p>𠮷ｱ</p>");
    const struct
    {
        const char *command;
        std::function<void()> prepare;
        std::function<void()> check;
        std::function<void(const QByteArray &preview)> checkPreview;
    } rows[] = {
        {"N27", // 半角カナを全角カナに
         [&] {
             QTextCursor cursor = editor()->textCursor();
             cursor.setPosition(int(page.indexOf(QStringLiteral("ｱ"))));
             cursor.setPosition(cursor.position() + 1, QTextCursor::KeepAnchor);
             editor()->setTextCursor(cursor);
         },
         [&] { EXPECT_TRUE(editor()->toPlainText().contains(QStringLiteral("𠮷ア"))); },
         // Shift_JIS cannot hold the page: it is shown as UTF-8 all the same.
         [&](const QByteArray &preview) {
             EXPECT_TRUE(preview.startsWith(kUtf8Mark));
             EXPECT_TRUE(preview.contains(QStringLiteral("𠮷ア").toUtf8()));
         }},
        {"Save1", // the save's offer to write UTF-8 instead
         [&] { dialogs.fileAnswers.enqueue(workPath(QStringLiteral("page.htm"))); },
         [&] {
             QFile saved(workPath(QStringLiteral("page.htm")));
             ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
             EXPECT_TRUE(saved.readAll().contains(QStringLiteral("𠮷ｱ").toUtf8()));
         },
         // Now in UTF-8, the page is shown as it was saved.
         [&](const QByteArray &preview) {
             QFile saved(workPath(QStringLiteral("page.htm")));
             ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
             EXPECT_EQ(preview, saved.readAll());
         }},
    };
    for (const auto &row : rows) {
        createWindows();
        dialogs.messages.clear();
        EditorAdapter(window->editor()).setText(page); // the preview is due a pause from now
        row.prepare();
        dialogs.messageAnswers.enqueue(DialogButton::Yes);
        qsizetype loadsWhileOpen = -1;
        dialogs.whileNextMessageOpen = [&](const MessageBoxRequest &) {
            // As a real question: a modal box, its own event loop turning for a while.
            QDialog box(window.get());
            box.setModal(true);
            box.show();
            const qsizetype before = engine->navigations.size();
            QTest::qWait(int(AutoRefresh::kIdleDelay.count()) * 3);
            loadsWhileOpen = engine->navigations.size() - before;
        };
        trigger(QString::fromLatin1(row.command));

        EXPECT_EQ(dialogs.messages.size(), 1) << row.command << ": only the question is asked";
        EXPECT_EQ(dialogs.unexpected, 0) << row.command;
        EXPECT_EQ(loadsWhileOpen, 0) << row.command;
        row.check();
        // Then the preview comes.
        ASSERT_TRUE(QTest::qWaitFor([&] { return !engine->navigations.isEmpty(); }, 10000)) << row.command;
        QFile preview(QUrl(engine->navigations.last().address).toLocalFile());
        ASSERT_TRUE(preview.open(QIODevice::ReadOnly)) << row.command;
        row.checkPreview(preview.readAll());
        EXPECT_EQ(dialogs.messages.size(), 1) << row.command;
    }
}
