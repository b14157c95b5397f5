#include "common/qtuserdialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QColorDialog>
#include <QFontDatabase>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

// The real boxes are modal and run their own event loop; a timer acts on the box once it is up,
// as a user or the window manager would, and records what the box looked like.
struct SeenBox
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList captions;
    QString defaultCaption;
};

void whenModalIsUp(const std::function<void(QWidget *)> &act)
{
    QTimer::singleShot(0, [act] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            whenModalIsUp(act);
            return;
        }
        act(modal);
    });
}

enum class Act {
    Escape,
    Enter,
    WindowManagerClose,
};

void perform(QWidget *box, Act act)
{
    switch (act) {
    case Act::Escape:
        QTest::keyClick(box, Qt::Key_Escape);
        break;
    case Act::Enter:
        QTest::keyClick(box, Qt::Key_Return);
        break;
    case Act::WindowManagerClose:
        box->close(); // what the title bar's close box sends
        break;
    }
}

TEST(QtUserDialogs, MessageBoxesShowTheRequestAndAnswerEscEnterAndTheCloseBoxSafely)
{
    using B = DialogButton;
    const struct
    {
        QList<DialogButton> buttons;
        Act act;
        DialogButton expected;
        std::optional<DialogButton> defaultButton = std::nullopt;
    } cases[] = {
        {{B::Ok}, Act::Escape, B::Ok},
        {{B::Ok}, Act::Enter, B::Ok},
        {{B::Ok}, Act::WindowManagerClose, B::Ok},
        {{B::Yes, B::No}, Act::Enter, B::Yes},
        {{B::Yes, B::No}, Act::Escape, B::No},
        {{B::Yes, B::No}, Act::WindowManagerClose, B::No},
        {{B::Yes, B::No, B::Cancel}, Act::Enter, B::Yes},
        {{B::Yes, B::No, B::Cancel}, Act::Escape, B::Cancel},
        {{B::Yes, B::No, B::Cancel}, Act::WindowManagerClose, B::Cancel},
        {{B::Ok, B::Cancel}, Act::Escape, B::Cancel},
        // A question whose OK throws work away: Enter keeps it.
        {{B::Ok, B::Cancel}, Act::Enter, B::Cancel, B::Cancel},
        {{B::Yes, B::No, B::Cancel}, Act::Enter, B::Cancel, B::Cancel},
        // The question before an upload: Esc and the close box leave the page out.
        {{B::Yes, B::No, B::ShowPageCheck}, Act::Enter, B::Yes},
        {{B::Yes, B::No, B::ShowPageCheck}, Act::Escape, B::No},
        {{B::Yes, B::No, B::ShowPageCheck}, Act::WindowManagerClose, B::No},
    };
    QtUserDialogs dialogs;
    for (const auto &c : cases) {
        SeenBox seen;
        whenModalIsUp([&seen, act = c.act](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (box) {
                seen.title = box->windowTitle();
                seen.text = box->text();
                seen.icon = box->icon();
                for (QAbstractButton *b : box->buttons())
                    seen.captions.append(b->text());
                if (box->defaultButton())
                    seen.defaultCaption = box->defaultButton()->text();
            }
            perform(modal, act);
        });
        const DialogButton answer = dialogs.message(nullptr,
                                                    {QStringLiteral("確認"),
                                                     QStringLiteral("保存しますか?"),
                                                     DialogIcon::Question,
                                                     c.buttons,
                                                     c.defaultButton});
        const std::string where = std::to_string(c.buttons.size()) + " buttons, act " + std::to_string(int(c.act));
        EXPECT_EQ(answer, c.expected) << where;
        EXPECT_EQ(seen.title, QStringLiteral("確認")) << where;
        EXPECT_EQ(seen.text, QStringLiteral("保存しますか?")) << where;
        EXPECT_EQ(seen.icon, QMessageBox::Question) << where;
        QStringList expectedCaptions;
        for (DialogButton b : c.buttons)
            expectedCaptions.append(UserDialogs::buttonCaption(b));
        std::sort(expectedCaptions.begin(), expectedCaptions.end());
        std::sort(seen.captions.begin(), seen.captions.end());
        EXPECT_EQ(seen.captions, expectedCaptions) << where;
        EXPECT_EQ(seen.defaultCaption, UserDialogs::buttonCaption(c.defaultButton.value_or(c.buttons.first())))
            << where;
    }
}

TEST(QtUserDialogs, ErrorBoxShowsTheErrorIconAndTheFullStopRule)
{
    QtUserDialogs dialogs;
    SeenBox seen;
    whenModalIsUp([&seen](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            seen.title = box->windowTitle();
            seen.text = box->text();
            seen.icon = box->icon();
        }
        perform(modal, Act::Enter);
    });
    dialogs.showError(nullptr, QStringLiteral("ファイル x は開けません"));
    EXPECT_EQ(seen.title, UserDialogs::programTitle());
    EXPECT_EQ(seen.text, QStringLiteral("ファイル x は開けません."));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
}

TEST(QtUserDialogs, InputBoxReturnsTheTypedTextOrNothingWhenCancelled)
{
    QtUserDialogs dialogs;
    const struct
    {
        Act act;
        std::optional<QString> expected;
    } cases[] = {
        {Act::Enter, QStringLiteral("新しいﾌｫﾙﾀﾞ")},
        {Act::Escape, std::nullopt},
        {Act::WindowManagerClose, std::nullopt},
    };
    for (const auto &c : cases) {
        QString title;
        QString label;
        whenModalIsUp([&title, &label, act = c.act](QWidget *modal) {
            if (auto *input = qobject_cast<QInputDialog *>(modal)) {
                title = input->windowTitle();
                label = input->labelText();
                input->setTextValue(QStringLiteral("新しいﾌｫﾙﾀﾞ"));
            }
            perform(modal, act);
        });
        const auto answer = dialogs.inputText(
            nullptr, QStringLiteral("ﾌｫﾙﾀﾞ作成"), QStringLiteral("新しいﾌｫﾙﾀﾞ名を指定してください"), QString());
        EXPECT_EQ(answer, c.expected) << int(c.act);
        EXPECT_EQ(title, QStringLiteral("ﾌｫﾙﾀﾞ作成"));
        EXPECT_EQ(label, QStringLiteral("新しいﾌｫﾙﾀﾞ名を指定してください"));
    }
}

} // namespace

namespace {

// Like whenModalIsUp, but waits for a modal window of type T: a dialog opened from inside another
// one is up only once it is the active modal window.
template<typename T>
void whenModalOfTypeIsUp(const std::function<void(T *)> &act)
{
    QTimer::singleShot(0, [act] {
        if (auto *modal = qobject_cast<T *>(QApplication::activeModalWidget())) {
            act(modal);
            return;
        }
        whenModalOfTypeIsUp<T>(act);
    });
}

} // namespace

TEST(QtUserDialogs, FontDialogGivesTheFontAndTheColourPicked)
{
    const QStringList families = QFontDatabase::families();
    ASSERT_FALSE(families.isEmpty());
    QFont initialFont(families.first());
    initialFont.setPointSize(20);
    const QColor initialColor(Qt::darkGreen);
    const QColor picked(0, 0, 255);
    enum class ColourStep {
        None,
        Picked,
        PickCancelled,
    };
    const struct
    {
        const char *name;
        ColourStep colour;
        Act close;
        std::optional<QColor> expected; // nullopt: the whole dialog was cancelled
    } cases[] = {
        {"colour picked", ColourStep::Picked, Act::Enter, picked},
        {"colour kept", ColourStep::None, Act::Enter, initialColor},
        {"colour dialog cancelled", ColourStep::PickCancelled, Act::Enter, initialColor},
        {"cancelled after picking", ColourStep::Picked, Act::Escape, std::nullopt},
        {"closed by the window manager", ColourStep::None, Act::WindowManagerClose, std::nullopt},
    };
    QtUserDialogs dialogs;
    for (const auto &c : cases) {
        QString title;
        whenModalIsUp([&title, &c, picked](QWidget *modal) {
            title = modal->windowTitle();
            auto *colourButton = modal->findChild<QPushButton *>(QStringLiteral("ColorButton"));
            if (colourButton && c.colour != ColourStep::None) {
                whenModalOfTypeIsUp<QColorDialog>([&c, picked](QColorDialog *colours) {
                    colours->setCurrentColor(picked);
                    if (c.colour == ColourStep::Picked)
                        colours->accept();
                    else
                        colours->reject();
                });
                colourButton->click();
            }
            perform(modal, c.close);
        });
        const std::optional<FontChoice> answer = dialogs.chooseFont(nullptr, {initialFont, initialColor});
        EXPECT_EQ(title, QStringLiteral("フォント")) << c.name;
        ASSERT_EQ(answer.has_value(), c.expected.has_value()) << c.name;
        if (answer) {
            EXPECT_EQ(answer->color, *c.expected) << c.name;
            EXPECT_EQ(answer->font.family(), initialFont.family()) << c.name;
            EXPECT_EQ(answer->font.pointSize(), 20) << c.name;
        }
    }
}
