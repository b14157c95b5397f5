#include "app/aboutbox.h"

#include "support/mainwindowfixture.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

class AboutBoxTest : public MainWindowFixture
{
protected:
    AboutBox *box() const { return window->findChild<AboutBox *>(QStringLiteral("AboutBox")); }
    QLabel *label(const char *name) const { return box()->findChild<QLabel *>(QString::fromLatin1(name)); }
};

TEST_F(AboutBoxTest, ShowsTheProgramAndVersionWithoutBlockingAndCentred)
{
    ASSERT_NE(box(), nullptr);
    EXPECT_FALSE(box()->isVisible());
    trigger(QStringLiteral("About1"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box()));
    EXPECT_EQ(box()->windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_FALSE(box()->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(box()->size(), AboutBox::kClientSize);
    const QPoint screenCentre = box()->screen()->availableGeometry().center();
    EXPECT_LE((box()->frameGeometry().center() - screenCentre).manhattanLength(), 2);

    EXPECT_EQ(label("ProductName")->text(), QStringLiteral("QZWeb"));
    EXPECT_TRUE(label("ProductName")->font().bold());
    EXPECT_EQ(label("ProductName")->font().pixelSize(), 21);
    EXPECT_EQ(label("Version")->text(), QStringLiteral("バージョン１．５"));
    EXPECT_EQ(label("ProgramIcon")->geometry(), QRect(32, 16, 33, 33));
    // Four note lines, each fully inside the box; only the last underlined.
    const char *notes[] = {"Comments", "Copyright", "Terms", "Notice"};
    for (const char *name : notes) {
        QLabel *note = label(name);
        ASSERT_NE(note, nullptr) << name;
        EXPECT_FALSE(note->text().isEmpty()) << name;
        EXPECT_EQ(note->font().underline(), note == label("Notice")) << name;
        EXPECT_LE(note->heightForWidth(note->width()), note->height()) << name << " is cut off";
        EXPECT_TRUE(box()->rect().contains(note->geometry())) << name;
    }
}

TEST_F(AboutBoxTest, EnterAndEscBothCloseItAndItComesBackTheSame)
{
    AboutBox *first = box();
    auto *ok = first->findChild<QPushButton *>(QStringLiteral("OKButton"));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        trigger(QStringLiteral("About1"));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(first));
        QTest::keyClick(first, key);
        EXPECT_FALSE(first->isVisible()) << key;
        EXPECT_EQ(box(), first);
    }
    trigger(QStringLiteral("About1"));
    ok->click();
    EXPECT_FALSE(first->isVisible());
    trigger(QStringLiteral("About1"));
    EXPECT_TRUE(first->isVisible());
}

} // namespace
