// Qt's own windows in Japanese: the standard context menus and the file, font and colour
// dialogs, once the program has loaded Qt's translations.
#include "app/appwindows.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTranslator>

#include <gtest/gtest.h>

#include <memory>

namespace {

QStringList buttonTexts(const QWidget &dialog)
{
    QStringList texts;
    if (const auto *box = dialog.findChild<QDialogButtonBox *>()) {
        for (const QAbstractButton *button : box->buttons())
            texts.append(button->text());
    }
    return texts;
}

TEST(QtTranslations, StandardDialogsAndContextMenusSpeakJapanese)
{
    QCoreApplication &app = *QCoreApplication::instance();
    ASSERT_TRUE(AppWindows::installQtTranslations(app));
    // A second call adds nothing: each catalogue is installed once.
    EXPECT_TRUE(AppWindows::installQtTranslations(app));
    EXPECT_EQ(app.findChildren<QTranslator *>(QStringLiteral("qtbase_ja"), Qt::FindDirectChildrenOnly).size(), 1);

    QLineEdit edit;
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList menuTexts;
    for (const QAction *action : menu->actions())
        menuTexts.append(action->text().section(QLatin1Char('\t'), 0, 0));

    QFileDialog open;
    open.setOption(QFileDialog::DontUseNativeDialog);
    open.setAcceptMode(QFileDialog::AcceptOpen);
    QFileDialog save;
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setAcceptMode(QFileDialog::AcceptSave);
    QFontDialog font;
    QColorDialog color;

    const struct
    {
        const char *where;
        QStringList shown;
        QStringList expected;
    } cases[] = {
        {"the line edit's context menu",
         menuTexts,
         {QStringLiteral("元に戻す(&U)"),
          QStringLiteral("切り取り(&T)"),
          QStringLiteral("コピー(&C)"),
          QStringLiteral("貼り付け(&P)"),
          QStringLiteral("すべてを選択")}},
        {"the open dialog's buttons", buttonTexts(open), {QStringLiteral("開く(&O)"), QStringLiteral("キャンセル")}},
        {"the save dialog's buttons", buttonTexts(save), {QStringLiteral("保存(&S)"), QStringLiteral("キャンセル")}},
        {"the font dialog's title", {font.windowTitle()}, {QStringLiteral("フォントの選択")}},
        {"the colour dialog's title", {color.windowTitle()}, {QStringLiteral("色を選択")}},
    };
    for (const auto &c : cases) {
        for (const QString &text : c.expected)
            EXPECT_TRUE(c.shown.contains(text)) << c.where << ": " << text.toStdString() << " not in "
                                                << c.shown.join(QLatin1String(" | ")).toStdString();
    }
}

} // namespace
