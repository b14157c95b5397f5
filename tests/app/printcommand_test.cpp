#include "app/printcommand.h"

#include "app/defaultprinter.h"
#include "authoring/editorpane.h"
#include "authoring/editorstack.h"
#include "support/mainwindowfixture.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>

namespace {

QString runTool(const char *program, const QStringList &arguments)
{
    QProcess process;
    process.start(QString::fromUtf8(program), arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>")
            .arg(QString::fromUtf8(program), QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QString &path)
{
    return runTool(QZWEB_PDFTOTEXT, {QStringLiteral("-layout"), path, QStringLiteral("-")});
}

// One field of pdfinfo's report ("Title", "Pages").
QString pdfInfo(const QString &path, const QString &field)
{
    for (const QString &line : runTool(QZWEB_PDFINFO, {path}).split(QLatin1Char('\n'))) {
        if (line.startsWith(field + QLatin1Char(':')))
            return line.mid(field.size() + 1).trimmed();
    }
    return QStringLiteral("<no %1>").arg(field);
}

std::unique_ptr<QPrinter> pdfPrinter(const QString &path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    return printer;
}

class PrintCommandTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        command = window->findChild<PrintCommand *>();
        ASSERT_NE(command, nullptr);
        pdfPath = workPath(QStringLiteral("printed.pdf"));
        command->setPrinterSource([this] { return pdfPrinter(pdfPath); });
    }

    // Opens a document of these lines, so the window has a current file.
    QString openDocument(const QStringList &lines)
    {
        const QString path = workPath(QStringLiteral("印刷する.htm"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(lines.join(QStringLiteral("\r\n")).toUtf8());
        file.close();
        dialogs.fileAnswers.enqueue(path);
        trigger(QStringLiteral("Open"));
        EXPECT_EQ(window->document().path(), path);
        return path;
    }

    QStringList messageTexts() const
    {
        QStringList texts;
        for (const MessageBoxRequest &m : dialogs.messages)
            texts.append(m.text);
        return texts;
    }

    PrintCommand *command = nullptr;
    QString pdfPath;
};

TEST_F(PrintCommandTest, PrintsTheTextAsOneJobTitledWithTheDocumentThenSaysSo)
{
    const QString path = openDocument({QStringLiteral("<p>ホームページの印刷</p>"), QStringLiteral("second line")});
    dialogs.messages.clear();
    trigger(QStringLiteral("Print1"));

    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().text, QStringLiteral("印刷しました"));
    EXPECT_EQ(dialogs.messages.first().buttons, QList<DialogButton>{DialogButton::Ok});
    const QString text = pdfText(pdfPath);
    EXPECT_TRUE(text.contains(QStringLiteral("<p>ホームページの印刷</p>"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("second line"))) << text.toStdString();
    EXPECT_EQ(pdfInfo(pdfPath, QStringLiteral("Title")), path);
    EXPECT_EQ(pdfInfo(pdfPath, QStringLiteral("Pages")), QStringLiteral("1"));
}

TEST_F(PrintCommandTest, AnUntitledDocumentPrintsWithAnEmptyTitle)
{
    window->view().editor->setPlainText(QStringLiteral("untitled page"));
    trigger(QStringLiteral("Print1"));
    EXPECT_EQ(messageTexts(), QStringList{QStringLiteral("印刷しました")});
    EXPECT_TRUE(pdfText(pdfPath).contains(QStringLiteral("untitled page")));
    EXPECT_EQ(pdfInfo(pdfPath, QStringLiteral("Title")), QString());
}

TEST_F(PrintCommandTest, FormattedTextPrintsWithItsFormatting)
{
    window->view().editor->clearAs(EditorKind::RichText);
    window->view().editor->richPane().setHtml(QStringLiteral("<p><b>Heavy</b> light</p>"));
    trigger(QStringLiteral("Print1"));
    ASSERT_EQ(messageTexts(), QStringList{QStringLiteral("印刷しました")});
    EXPECT_TRUE(pdfText(pdfPath).contains(QStringLiteral("Heavy light")));
    const QString fonts = runTool(QZWEB_PDFFONTS, {pdfPath});
    EXPECT_TRUE(fonts.contains(QStringLiteral("Bold"))) << fonts.toStdString();
}

TEST_F(PrintCommandTest, ALongDocumentRunsOverPagesWithEveryLineOnceAndInsideTheMargin)
{
    // Each line carries its own mark of capitals: the CJK font's digits do not come back out of a
    // PDF as text, and small letters may be joined into ligatures (fi, fl).
    QStringList lines;
    for (int i = 0; i < 150; ++i)
        lines.append(QStringLiteral("mark%1%2 ページ").arg(QChar(u'A' + i / 26)).arg(QChar(u'A' + i % 26)));
    window->view().editor->setPlainText(lines.join(QLatin1Char('\n')));
    trigger(QStringLiteral("Print1"));
    ASSERT_EQ(messageTexts(), QStringList{QStringLiteral("印刷しました")});

    EXPECT_GE(pdfInfo(pdfPath, QStringLiteral("Pages")).toInt(), 2);
    const QString text = pdfText(pdfPath);
    for (const QString &line : lines)
        EXPECT_EQ(text.count(line.section(QLatin1Char(' '), 0, 0)), 1) << line.toStdString();

    // The first word stands 200 printer units inside the printable area's top-left corner.
    const QString box =
        runTool(QZWEB_PDFTOTEXT,
                {QStringLiteral("-bbox"), QStringLiteral("-l"), QStringLiteral("1"), pdfPath, QStringLiteral("-")});
    const auto printer = pdfPrinter(pdfPath);
    const QRectF area = printer->pageLayout().paintRect(QPageLayout::Point);
    const qreal margin = PrintCommand::kMargin * 72.0 / printer->resolution();
    const qsizetype at = box.indexOf(QStringLiteral("<word xMin=\""));
    ASSERT_GE(at, 0) << box.toStdString();
    const QString word = box.mid(at, box.indexOf(QLatin1Char('>'), at) - at);
    auto attribute = [&word](const char *name) {
        const QString key = QString::fromLatin1(name) + QStringLiteral("=\"");
        const qsizetype from = word.indexOf(key) + key.size();
        return word.mid(from, word.indexOf(QLatin1Char('"'), from) - from).toDouble();
    };
    EXPECT_NEAR(attribute("xMin"), area.left() + margin, 1.5) << word.toStdString();
    EXPECT_GE(attribute("yMin"), area.top() + margin - 1.0) << word.toStdString();
    EXPECT_LT(attribute("yMin"), area.top() + margin + 12.0) << word.toStdString();
}

TEST_F(PrintCommandTest, APrinterThatIsMissingOrFailsShowsTheErrorBoxAndNoSuccess)
{
    struct Case
    {
        const char *name;
        std::function<std::unique_ptr<QPrinter>()> source;
        QString message;
    };
    const QString unwritable = workPath(QStringLiteral("no such folder/printed.pdf"));
    const Case cases[] = {
        {"no default printer",
         [] { return DefaultPrinter::open(QPrinterInfo()); },
         QStringLiteral("通常使うプリンタが設定されていません.")},
        {"printer cannot start the job",
         [unwritable] { return pdfPrinter(unwritable); },
         QStringLiteral("プリンタに印刷できる状態ではありません.")},
    };
    window->view().editor->setPlainText(QStringLiteral("text"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.messages.clear();
        command->setPrinterSource(c.source);
        trigger(QStringLiteral("Print1"));
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages.first().icon, DialogIcon::Error);
        EXPECT_EQ(dialogs.messages.first().text, c.message);
    }
    EXPECT_FALSE(QFile::exists(unwritable));
}

} // namespace
