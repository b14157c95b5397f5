#include "app/mainmenu.h"

namespace {

MenuEntry item(const char *name, const char *caption, const char *handler, int tag = 0, const char *shortcut = "")
{
    return {QString::fromLatin1(name),
            QString::fromUtf8(caption),
            QString::fromLatin1(handler),
            tag,
            QString::fromLatin1(shortcut),
            {}};
}

MenuEntry separator(const char *name)
{
    return {QString::fromLatin1(name), QStringLiteral("-"), {}, 0, {}, {}};
}

MenuEntry submenu(const char *name, const char *caption, QList<MenuEntry> items)
{
    return {QString::fromLatin1(name), QString::fromUtf8(caption), {}, 0, {}, std::move(items)};
}

// One item of a family. Its tag is written beside it, never counted from its position: the tag is
// what the handler looks its row up by, so moving an item must not change which row it runs.
struct FamilyItem
{
    const char *name;
    const char *caption;
    int tag;
};

// A family of items sharing one handler that tells them apart by their tags.
QList<MenuEntry> family(const char *handler, std::initializer_list<FamilyItem> rows)
{
    QList<MenuEntry> items;
    for (const FamilyItem &row : rows)
        items.append(item(row.name, row.caption, handler, row.tag));
    return items;
}

QList<MenuEntry> fileMenu()
{
    QList<MenuEntry> items = {
        item("HTML1", "基本形(HTML)", "HTML1Click"),
        separator("N2"),
        item("New1", "新規作成", "New1Click"),
        item("Open", "ファイルを開く", "OpenClick", 0, "Ctrl+O"),
        item("SaveAs1", "名前を付けて保存", "SaveAs1Click"),
        item("Save1", "上書き保存", "Save1Click", 0, "Ctrl+S"),
        separator("N40"),
    };
    // The slots share one handler; the tag tells it which slot was clicked.
    for (int i = 0; i < MainMenu::kRecentSlotCount; ++i) {
        const QByteArray name = MainMenu::recentSlotName(i).toLatin1();
        items.append(item(name.constData(), "", "mnuFavoritClick", i));
    }
    items += {
        item("N25", "履歴編集", "N25Click"),
        separator("mnuSiteFolderSep"),
        item("mnuSiteFolder", "サイトのフォルダを開く", "mnuSiteFolderClick"),
        separator("N42"),
        item("Print1", "印刷", "Print1Click"),
        separator("N41"),
        // Pages in tabs: after the designed items, so those keep their places.
        item("mnuNewTab", "新しいタブ", "mnuNewTabClick", 0, "Ctrl+T"),
        item("mnuCloseTab", "タブを閉じる", "mnuCloseTabClick", 0, "Ctrl+W"),
        separator("N43"),
        item("Exit1", "終了", "Exit1Click"),
    };
    return items;
}

QList<MenuEntry> editMenu()
{
    return {
        item("Undo1", "元に戻す(&U)", "Undo1Click", 0, "Ctrl+Z"),
        separator("N4"),
        item("Copy3", "コピー(&C)", "EditCopy", 0, "Ctrl+C"),
        item("cut3", "切り取り(&T)", "EditCut", 0, "Ctrl+X"),
        item("Paste3", "貼り付け(&P)", "EditPaste", 0, "Ctrl+V"),
        item("Find1", "検索", "Find1Click", 0, "Ctrl+F"),
        item("F31", "次を検索", "FindDialog1Find", 0, "F3"),
        item("SelectAll1", "すべて選択", "SelectAll1Click", 0, "Ctrl+A"),
        item("mnuDelTag", "タグ消去", "mnuDelTagClick"),
        // Beyond the menu's own items: replacing in the page and searching the whole site.
        separator("mnuReplaceSep"),
        item("mnuReplace", "置換", "mnuReplaceClick", 0, "Ctrl+H"),
        item("mnuSiteSearch", "サイト内検索", "mnuSiteSearchClick", 0, "Ctrl+Shift+F"),
        item("mnuSiteReplace", "サイト内置換", "mnuSiteReplaceClick", 0, "Ctrl+Shift+H"),
        item("mnuSiteReplaceUndo", "元に戻す（サイト内置換）", "mnuSiteReplaceUndoClick"),
        // The page check; the automatic check is a checkable item kept by PageCheckCommands.
        separator("mnuPageCheckSep"),
        item("mnuPageCheck", "ページチェック", "mnuPageCheckClick", 0, "F7"),
        item("mnuPageCheckAuto", "チェックも自動で", "mnuPageCheckAutoClick"),
        item("mnuSiteCheck", "サイトチェック", "mnuSiteCheckClick", 0, "Shift+F7"),
    };
}

QList<MenuEntry> paragraphMenu()
{
    QList<MenuEntry> items = family("mnuKaigyoClick",
                                    {
                                        {"mnuKaigyo", "改行", 0},
                                        {"mnuBRCansel", "回り込み解除", 1},
                                        {"N11", "前後に空行(p)", 2},
                                        {"N12", "前後に空行なし(div)", 3},
                                        {"N13", "ﾘｽﾄ番号(ol)", 4},
                                        {"N14", "ﾘｽﾄ記号(ul)", 5},
                                        {"N15", "単語定義", 6},
                                        {"N16", "引用文", 7},
                                    });
    items += {
        separator("N39"),
        item("mnuIndent", "インデント", "mnuIndentClick"),
        item("mnuCancel", "インデント解除", "mnuCancelClick"),
    };
    return items;
}

QList<MenuEntry> insertMenu()
{
    return {
        item("mnuFile", "ファイル名", "mnuFileClick"),
        item("mnuGrp1", "画像左寄せ", "mnuGrp1Click", 0),
        item("mnuGrp2", "画像右寄せ", "mnuGrp1Click", 1),
        item("mnuBGCOLOR", "背景色", "mnuBGCOLORClick"),
        item("URL1", "リンク(URL)", "URL1Click", 0),
        item("mail1", "リンク(MAIL)", "URL1Click", 1),
        item("NAME1", "リンク(NAME)", "URL1Click", 2),
        item("mnuHR", "水平線", "mnuHRClick"),
    };
}

QList<MenuEntry> tableMenu()
{
    QList<MenuEntry> items = {item("mnuTableSet", "表の設定", "mnuTableSetClick")};
    items += family("mnuTableClick",
                    {
                        {"mnuTable", "表(標準)", 0},
                        {"N19", "表(１行目を強調)", 1},
                        {"N20", "表(１列目を強調)", 2},
                        {"N21", "表(行結合)", 3},
                        {"N22", "表(列結合)", 4},
                    });
    return items;
}

QList<MenuEntry> environmentMenu()
{
    return {
        item("N9", "文字", "N9Click"),
        item("N27", "半角カナを全角カナに", "N27Click"),
        item("N10", "背景色", "N10Click"),
        submenu("WEB1",
                "WEB表示",
                {
                    item("mnuWebMAX", "最大化", "mnuWebMAXClick", 0),
                    item("mnuWebUndo", "元に戻す", "mnuWebMAXClick", 1),
                }),
        separator("N23"),
        item("mnuFTP", "ﾌｧｲﾙ転送", "mnuFTPClick"),
        // The source view's switches; checkable, their state kept by EditorViewSettings.
        separator("mnuSourceViewLine"),
        item("mnuColorCode", "色分け表示", "mnuColorCodeClick"),
        item("mnuLineNumber", "行番号", "mnuLineNumberClick"),
        // Checkable: the サイト panel beside the editor, kept by SitePanelCommands.
        item("mnuSitePanel", "サイトの欄", "mnuSitePanelClick"),
        separator("mnuAutoRefreshSep"),
        submenu("mnuAutoRefresh",
                "自動反映",
                family("mnuAutoRefreshClick",
                       {
                           {"mnuAutoRefreshManual", "手動", 0},
                           {"mnuAutoRefreshIdle", "入力が止まったら", 1},
                           {"mnuAutoRefreshSaved", "保存したら", 2},
                       })),
        // Checkable: whether ﾌｧｲﾙ転送 asks before uploading a page with errors.
        separator("mnuPageCheckUploadSep"),
        item("mnuPageCheckUpload", "公開前にページチェック", "mnuPageCheckUploadClick"),
    };
}

} // namespace

namespace MainMenu {

QString recentSlotName(int index)
{
    return index == 0 ? QStringLiteral("mnuFavorit") : QStringLiteral("mnuFavorit%1").arg(index);
}

QString menuCaption(const QString &text)
{
    return QString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QList<MenuEntry> menuBar()
{
    return {
        submenu("File1", "ファイル", fileMenu()),
        submenu("Edit1", "編集", editMenu()),
        submenu("Char1",
                "文字",
                family("Font1Click",
                       {
                           {"Font1", "フォント(ｻｲｽﾞ･色)", 0},
                           {"N24", "全体のﾌｫﾝﾄｻｲｽﾞ", 1},
                           {"N5", "太字", 2},
                           {"N6", "斜体", 3},
                           {"N7", "下線付き", 4},
                           {"N44", "取消線", 5},
                           {"mnuMIDASHI", "見出し", 6},
                       })),
        submenu("Format1",
                "書式",
                {
                    submenu("mnuLeft",
                            "配置（div）",
                            family("mnuSetAlignClick",
                                   {
                                       {"mnuSetAlign", "左寄せ", 0},
                                       {"N45", "中央寄せ", 1},
                                       {"N46", "右寄せ", 2},
                                   })),
                    submenu("div1",
                            "配置（align）",
                            family("mnuSetAlignClick",
                                   {
                                       {"N47", "左寄せ", 3},
                                       {"N48", "中央寄せ", 4},
                                       {"N49", "右寄せ", 5},
                                   })),
                }),
        submenu("Insert1", "挿入", insertMenu()),
        submenu("Paragraph1", "段落", paragraphMenu()),
        submenu("Table1", "表", tableMenu()),
        item("mnuColorSet", "色", "mnuColorSetClick"),
        submenu("StyleSheet1",
                "ｽﾀｲﾙｼｰﾄ",
                family("mnuStyleClick",
                       {
                           {"N36", "基本形", 0},
                           {"mnuStyle", "リンク読込", 1},
                       })),
        submenu("Script1",
                "スクリプト",
                family("JAVA1Click",
                       {
                           {"JAVA1", "java基本形", 0},
                           {"N37", "太字に変える", 1},
                           {"N18", "ﾏｳｽ反転", 2},
                           {"N38", "解説表示", 3},
                           {"SRC1", "SRC読込", 4},
                       })),
        submenu("FormMenu1",
                "フォーム",
                family("mnuFormClick",
                       {
                           {"mnuForm", "メール", 0},
                           {"CGI1", "CGI", 1},
                           {"N31", "ﾃｷｽﾄﾎﾞｯｸｽ", 2},
                           {"N32", "複数行ﾃｷｽﾄﾎﾞｯｸｽ", 3},
                           {"N33", "ﾗｼﾞｵﾎﾞﾀﾝ", 4},
                           {"N34", "ﾁｪｯｸﾎﾞｯｸｽ", 5},
                           {"N35", "ｺﾝﾎﾞﾎﾞｯｸｽ", 6},
                       })),
        submenu("Environment1", "環境設定", environmentMenu()),
        submenu("Help1",
                "ヘルプ",
                {
                    item("Help2", "ヘルプ", "Help1Click"),
                    item("About1", "バージョン情報", "About1Click"),
                }),
    };
}

QList<MenuEntry> editorPopup()
{
    return {
        item("Copy2", "コピー(&C)", "EditCopy", 0, "Ctrl+C"),
        item("Cut2", "切り取り(&T)", "EditCut", 0, "Ctrl+X"),
        item("Paste2", "貼り付け(&P)", "EditPaste", 0, "Ctrl+V"),
    };
}

} // namespace MainMenu
