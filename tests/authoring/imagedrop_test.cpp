// Pictures dropped on the editor: each format with the size read from the file (not from its
// name), the address from nested folders, the offer to copy a picture from outside the page's
// folder, an untitled page, one undo step, the caret in the empty alternative text, and the drop
// point of a real drop event. Files that are no picture are left to the document commands.
#include "authoring/imagedrop.h"

#include "authoring/editoradapter.h"
#include "authoring/editorstack.h"
#include "authoring/pagecontext.h"
#include "support/scripteduserdialogs.h"
#include "workspace/document.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QString kCopyQuestion = QStringLiteral("画像をサイトのフォルダにコピーしますか？");

QByteArray encoded(const QSize &size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return bytes;
}

// Qt writes no GIF: two colours, each pixel sent as a clear code and its colour, so the codes
// stay three bits wide.
QByteArray gif(int width, int height)
{
    QByteArray bytes("GIF89a");
    const auto le16 = [&](int value) {
        bytes += char(value & 0xff);
        bytes += char(value >> 8);
    };
    le16(width);
    le16(height);
    bytes += QByteArray("\x80\x00\x00\x00\x00\x00\xff\xff\xff", 9); // a global table of two colours
    bytes += ',';
    le16(0);
    le16(0);
    le16(width);
    le16(height);
    bytes += '\0';
    bytes += '\x02'; // LZW minimum code size
    QByteArray data;
    quint32 bits = 0;
    int count = 0;
    const auto put = [&](quint32 code) {
        bits |= code << count;
        for (count += 3; count >= 8; count -= 8, bits >>= 8)
            data += char(bits & 0xff);
    };
    for (int i = 0; i < width * height; ++i) {
        put(4);
        put(quint32(i % 2));
    }
    put(5);
    if (count > 0)
        data += char(bits & 0xff);
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const QByteArray block = data.mid(i, 255);
        bytes += char(block.size());
        bytes += block;
    }
    bytes += '\0';
    bytes += ';';
    return bytes;
}

// A photo stored on its side with the camera's "turn it 90 degrees" tag, as phones write them.
QByteArray jpegTurnedOnItsSide(const QSize &stored)
{
    const QByteArray jpeg = encoded(stored, "jpeg");
    const QByteArray exif("\xff\xe1\x00\x22"
                          "Exif\x00\x00"
                          "MM\x00\x2a\x00\x00\x00\x08"
                          "\x00\x01"
                          "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00"
                          "\x00\x00\x00\x00",
                          36);
    return jpeg.left(2) + exif + jpeg.mid(2);
}

QByteArray svg(const char *attributes)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- a drawing -->\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" ")
        + attributes + "><rect width=\"10\" height=\"10\"/></svg>\n";
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

class ImageDropTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        m_savedCurrent = QDir::currentPath();
        window.resize(600, 400);
        editor->resize(600, 400);
        window.show();
    }
    void TearDown() override { QDir::setCurrent(m_savedCurrent); }

    QString workPath(const QString &relative) const { return QDir(work.path()).filePath(relative); }
    QString file(const QString &relative, const QByteArray &bytes)
    {
        const QString path = workPath(relative);
        writeFile(path, bytes);
        return path;
    }
    // The page the pictures are dropped on, saved at relative with text.
    void pageAt(const QString &relative, const QString &text = QString())
    {
        document.setPath(file(relative, text.toUtf8()));
        adapter().setText(text);
        adapter().setModified(false);
    }
    EditorAdapter adapter() const { return EditorAdapter(*editor); }
    QString text() const { return adapter().text(); }

    QTemporaryDir work;
    // Before the window: the editor, its child, shows the page's text.
    Document document;
    QWidget window;
    EditorStack *editor = new EditorStack(*document.text(), &window);
    PageContext context{*editor, document};
    ScriptedUserDialogs dialogs;
    ImageDrop drop{context, dialogs, window};

private:
    QString m_savedCurrent;
};

} // namespace

TEST_F(ImageDropTest, EachFormatBecomesItsTagWithTheSizeTheFileHolds)
{
    const struct
    {
        const char *name; // the file's name says nothing: the bytes do
        std::function<QByteArray()> bytes;
        const char *size;
    } cases[] = {
        {"photo.png", [] { return encoded(QSize(31, 17), "png"); }, R"( width="31" height="17")"},
        {"photo.jpg", [] { return encoded(QSize(40, 25), "jpeg"); }, R"( width="40" height="25")"},
        {"upright.jpg", [] { return jpegTurnedOnItsSide(QSize(40, 20)); }, R"( width="20" height="40")"},
        {"anim.gif", [] { return gif(5, 3); }, R"( width="5" height="3")"},
        {"pic.webp", [] { return encoded(QSize(12, 34), "webp"); }, R"( width="12" height="34")"},
        {"logo.svg", [] { return svg(R"(width="48" height="20")"); }, R"( width="48" height="20")"},
        {"px.svg", [] { return svg(R"(width="48.4px" height=" 20px ")"); }, R"( width="48" height="20")"},
        // A drawing that states no size in pixels is sized by the browser, not by its contents.
        {"viewbox.svg", [] { return svg(R"(viewBox="0 0 64 32")"); }, ""},
        {"centimetres.svg", [] { return svg(R"(width="5cm" height="2cm")"); }, ""},
        {"nosize.svg", [] { return svg(""); }, ""},
        {"png-named.txt", [] { return encoded(QSize(2, 3), "png"); }, R"( width="2" height="3")"},
    };
    pageAt(QStringLiteral("site/page.htm"));
    for (const auto &c : cases) {
        const QString name = QString::fromLatin1(c.name);
        const QString picture = file(QStringLiteral("site/img/") + name, c.bytes());
        adapter().setText(QString());

        ASSERT_TRUE(drop.drop({picture}, 0)) << c.name;

        EXPECT_EQ(text(), QStringLiteral("<img src=\"img/%1\"%2 alt=\"\">").arg(name, QString::fromLatin1(c.size)))
            << c.name;
    }
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "pictures inside the page's folder need no question";
}

TEST_F(ImageDropTest, FilesThatAreNoPictureAreLeftAsTheyAre)
{
    pageAt(QStringLiteral("site/page.htm"), QStringLiteral("<p>page</p>"));
    const QString notPictures[] = {
        file(QStringLiteral("site/fake.png"), "<p>a page named like a picture</p>"),
        file(QStringLiteral("site/page.xhtml"), "<?xml version=\"1.0\"?>\n<html><body/></html>"),
        file(QStringLiteral("site/broken.png"), QByteArray("\x89PNG\r\n\x1a\n", 8) + "cut short"),
        file(QStringLiteral("site/doc.pdf"), "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n"),
    };
    for (const QString &path : notPictures) {
        EXPECT_FALSE(drop.drop({path}, 0)) << path.toStdString();
        EXPECT_EQ(text(), QStringLiteral("<p>page</p>"));
        EXPECT_FALSE(adapter().isModified());
    }
    EXPECT_FALSE(drop.drop({}, 0));
}

TEST_F(ImageDropTest, AddressIsWrittenFromThePagesFolderAndOutsideIsOfferedForCopying)
{
    const QByteArray png = encoded(QSize(4, 2), "png");
    const QString attributes = QStringLiteral(" width=\"4\" height=\"2\" alt=\"\">");
    const struct
    {
        const char *picture;
        std::optional<DialogButton> copyAnswer; // nullopt: no question
        const char *src;                        // empty: nothing inserted
        const char *copiedTo;
    } cases[] = {
        {"site/a/b/here.png", std::nullopt, "here.png", ""},
        {"site/a/b/img/deep/down.png", std::nullopt, "img/deep/down.png", ""},
        {"site/a/b/my pics/cat 1.png", std::nullopt, "my%20pics/cat%201.png", ""},
        {"site/a/up.png", DialogButton::No, "../up.png", ""},
        {"site/other/far.png", DialogButton::No, "../../other/far.png", ""},
        {"outside/copied.png", DialogButton::Yes, "copied.png", "site/a/b/copied.png"},
        {"outside/cancelled.png", DialogButton::Cancel, "", ""},
    };
    pageAt(QStringLiteral("site/a/b/page.htm"));
    for (const auto &c : cases) {
        const QString picture = file(QString::fromUtf8(c.picture), png);
        adapter().setText(QString());
        dialogs.messages.clear();
        if (c.copyAnswer)
            dialogs.messageAnswers.enqueue(*c.copyAnswer);

        ASSERT_TRUE(drop.drop({picture}, 0)) << c.picture;

        const QString src = QString::fromUtf8(c.src);
        EXPECT_EQ(text(),
                  src.isEmpty() ? QString() : QStringLiteral("<img src=\"") + src + QLatin1Char('"') + attributes)
            << c.picture;
        ASSERT_EQ(dialogs.messages.size(), c.copyAnswer ? 1 : 0) << c.picture;
        if (c.copyAnswer) {
            const MessageBoxRequest &question = dialogs.messages.first();
            EXPECT_EQ(question.title, QStringLiteral("確認"));
            EXPECT_EQ(question.icon, DialogIcon::Question);
            EXPECT_EQ(question.buttons, (QList{DialogButton::Yes, DialogButton::No, DialogButton::Cancel}));
            EXPECT_TRUE(question.text.contains(kCopyQuestion));
            EXPECT_TRUE(question.text.contains(picture)) << question.text.toStdString();
            EXPECT_TRUE(question.text.contains(workPath(QStringLiteral("site/a/b")))) << question.text.toStdString();
        }
        if (*c.copiedTo) {
            EXPECT_TRUE(QFile::exists(workPath(QString::fromUtf8(c.copiedTo)))) << c.picture;
        }
    }
    EXPECT_FALSE(QFile::exists(workPath(QStringLiteral("site/a/b/cancelled.png"))));
    EXPECT_EQ(dialogs.unexpected, 0);

    // Where the page's folder has an images folder, the copy goes there.
    QDir().mkpath(workPath(QStringLiteral("site/a/b/images")));
    adapter().setText(QString());
    dialogs.messageAnswers.enqueue(DialogButton::Yes);
    ASSERT_TRUE(drop.drop({workPath(QStringLiteral("outside/cancelled.png"))}, 0));
    EXPECT_EQ(text(), QStringLiteral("<img src=\"images/cancelled.png\"") + attributes);
    EXPECT_TRUE(QFile::exists(workPath(QStringLiteral("site/a/b/images/cancelled.png"))));
}

TEST_F(ImageDropTest, UntitledPageSaysWhereTheAddressIsWrittenFrom)
{
    const QString folder = workPath(QStringLiteral("drafts"));
    const QString picture = file(QStringLiteral("drafts/pics/p.png"), encoded(QSize(1, 1), "png"));
    QDir::setCurrent(folder);
    dialogs.messageAnswers.enqueue(DialogButton::Ok);

    ASSERT_TRUE(drop.drop({picture}, 0));

    EXPECT_EQ(text(), QStringLiteral("<img src=\"pics/p.png\" width=\"1\" height=\"1\" alt=\"\">"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages.first().text.contains(QDir(folder).canonicalPath()))
        << dialogs.messages.first().text.toStdString();
    EXPECT_EQ(dialogs.unexpected, 0);
}

// A real drop on the view: the tag goes where the mouse let go, as one undo step, and the caret
// waits in the alternative text.
TEST_F(ImageDropTest, DropPointTakesTheTagAndUndoTakesItBackAtOnce)
{
    const QString before = QStringLiteral("<p>first line</p>\r\n<p>second</p>\r\n");
    pageAt(QStringLiteral("site/page.htm"), before);
    const QString picture = file(QStringLiteral("site/p.png"), encoded(QSize(6, 5), "png"));
    QObject::connect(editor, &EditorStack::filesDropped, &drop, &ImageDrop::drop);
    adapter().setSelection(3, 5); // a selection elsewhere stays in the text
    const QString tag = QStringLiteral("<img src=\"p.png\" width=\"6\" height=\"5\" alt=\"\">");

    QTextCursor target(editor->document());
    target.setPosition(18 + 3); // after "<p>" of the second line: the pane counts a line end once
    const QPoint point = editor->cursorRect(target).center();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(picture)});
    QWidget *viewport = editor->view().viewport();
    QDragEnterEvent enter(point, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(point), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &dropped);

    const qsizetype at = QStringLiteral("<p>first line</p>\r\n<p>").size();
    EXPECT_EQ(text(), QString(before).insert(at, tag));
    EXPECT_TRUE(adapter().isModified());
    EXPECT_EQ(adapter().caretPosition(), at + tag.size() - 2) << "between the quotes of alt";
    EXPECT_FALSE(adapter().hasSelection());
    adapter().replaceSelection(QStringLiteral("ねこ"));
    EXPECT_TRUE(text().contains(QStringLiteral("alt=\"ねこ\">")));

    editor->undo();
    editor->undo();
    EXPECT_EQ(text(), before);
    EXPECT_FALSE(adapter().isModified()) << "back to the saved text";
}
