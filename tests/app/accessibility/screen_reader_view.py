#!/usr/bin/python3
"""What a screen reader hears and can do in QZWeb, read and driven through the desktop
accessibility bus on a private desktop: the controls and the labels whose text changes, the
editor's text and what it announces, the lists' rows, the publish plan's check boxes and the
questions about a server's identity.

Usage: screen_reader_view.py QZWEB DIALOG_SAMPLER. Exits 77 (skipped) when the bus cannot start."""
import os
import subprocess
import sys
import time
from collections import namedtuple

from desktop_session import CannotStart, DesktopSession

SKIPPED = 77
PAGE = "<html>\n<head><meta name=\"viewport\" content=\"width=device-width\"><title>t</title></head>\n<body>\n<p>猫 hello</p>\n<img src=\"x.png\">\n</body>\n</html>\n"

# A control a reader finds in a window: by role and by what it reads (its name), or for a label
# whose text changes, by the description that says what it is (its name is then its text).
Control = namedtuple("Control", "window role name description state text", defaults=(None, None, None))

# Read once the main window and the transfer window are up.
WINDOW_CONTROLS = [
    # Not a frame: a reader takes the nearest frame above a control for its window, and keeps
    # quiet about what happens in a window that is not the active one.
    Control("QZWeb", "panel", "編集とプレビュー"),
    Control("QZWeb", "push button", "反映"),
    Control("QZWeb", "radio button", "file", state="checked"),
    Control("QZWeb", "radio button", "ｵﾌﾗｲﾝ", state="checked"),
    Control("QZWeb", "push button", "ファイル転送"),
    Control("QZWeb", "text", "HTML ソース", text=PAGE),
    Control("QZWeb", "label", "1行 1桁", description="カーソル位置"),
    Control("QZWeb", "label", "UTF-8", description="文書の文字コード"),
    Control("RODav", "text", "ホスト名"),
    Control("RODav", "password text", "パスワード"),
    Control("RODav", "combo box", "FTPS — 明示的 TLS"),
    Control("RODav", "label", "", description="現在のリモートフォルダ"),
    Control("RODav", "label", "0", description="表示中の接続先の番号"),
    Control("RODav", "push button", "接続"),
    Control("RODav", "tree", "リモートフォルダの一覧"),
]

# What the editor announces for each thing a user does in it: (doing, event, offset, text).
Edit = namedtuple("Edit", "doing event offset text")
EDITOR_ANNOUNCEMENTS = [
    Edit(("caret", 5), "object:text-caret-moved", 5, None),
    Edit(("key", "Right"), "object:text-caret-moved", 6, None),
    Edit(("key", "x"), "object:text-changed:insert", 6, "x"),
    Edit(("key", "BackSpace"), "object:text-changed:delete", 6, "x"),
    Edit(("select", 0, 6), None, None, None),
    Edit(("key", "Delete"), "object:text-changed:delete", 0, "<html>"),
    Edit(("key", "Return"), "object:text-changed:insert", 0, "\n"),
    Edit(("key", "BackSpace"), "object:text-changed:delete", 0, "\n"),
    Edit(("key", "Down"), "object:text-caret-moved", 1, None),
]
# After the edits above, the caret panel reads where the caret now is.
CARET_PANEL_AFTER_EDITS = Control("QZWeb", "label", "2行 1桁", description="カーソル位置")

# A list's rows as a reader reads them: each row once, its cells in order.
ListRows = namedtuple("ListRows", "window name rows")
PAGE_CHECK_ROWS = ListRows("QZWeb", "ページチェックの結果", [
    ["注意", "2 行目", "1 文字目", "ページの最初に <!DOCTYPE html> がありません"],
    ["エラー", "2 行目", "1 文字目", "文字コードの宣言がありません"],
    ["エラー", "5 行目", "1 文字目", "alt 属性がありません"],
    ["エラー", "5 行目", "11 文字目", "x.png が見つかりません"],
])
SEARCH_ROWS = ListRows("QZWeb", "見つかったページと行", [["index.html (1 件)"], ["4 行目: <p>猫 hello</p>"]])

# The publish plan's rows: what the cell a reader is on when the row is current reads, and its
# checked state; first as the dialog opens, then after Space on the last row and the first.
PlanRow = namedtuple("PlanRow", "reads checked")
PUBLISH_ROWS = [PlanRow("新規 チェックあり", True), PlanRow("変更 チェックあり", True),
                PlanRow("サーバーのみ チェックなし", False)]
PUBLISH_ROWS_TICKED = [PlanRow("新規 チェックなし", False), PlanRow("変更 チェックあり", True),
                       PlanRow("サーバーのみ チェックあり", True)]
PUBLISH_SENT = ["index.html=unchecked", "about.html=checked", "old.html=checked"]

# The questions about a server's identity: their text first, then the buttons, in reading order.
Question = namedtuple("Question", "which title reading")
QUESTIONS = [
    Question("certificate", "証明書の確認", [
        ("label", "サーバー 127.0.0.1:2121 の証明書を確認できませんでした。"),
        ("push button", "今回だけ接続"), ("push button", "常にこの証明書を信頼"), ("push button", "接続しない")]),
    Question("hostkey", "サーバーの鍵の確認", [
        ("label", "サーバー 127.0.0.1:2222 の鍵（ホスト鍵）は、まだ信頼されていません。"),
        ("push button", "今回だけ接続"), ("push button", "常にこの鍵を信頼"), ("push button", "接続しない")]),
]

KEYS = {"Right": 0xff53, "Up": 0xff52, "F10": 0xffc7, "Escape": 0xff1b, "BackSpace": 0xff08, "Delete": 0xffff, "Return": 0xff0d, "Down": 0xff54,
        "space": 0x20}


class Reader:
    """A screen reader's hands and ears on the bus: finds objects, acts on them, hears events."""

    def __init__(self):
        import pyatspi  # after the session bus is up: the library connects to it on import
        from gi.repository import GLib
        self.pyatspi = pyatspi
        self.context = GLib.MainContext.default()
        self.heard = []
        pyatspi.Registry.registerEventListener(self._hear, "object:text-changed", "object:text-caret-moved",
                                               "focus:", "object:state-changed:checked")

    def _hear(self, event):
        self.heard.append((event.type, event.source, event.detail1, event.any_data))

    def listen(self, seconds):
        deadline = time.time() + seconds
        while time.time() < deadline:
            while self.context.iteration(False):
                pass
            time.sleep(0.02)

    def hear(self, kind, until):
        """Listens until an event of kind satisfying until(event) arrives; returns it or None."""
        deadline = time.time() + 15
        while time.time() < deadline:
            for event in self.heard:
                if event[0] == kind and until(event):
                    return event
            self.listen(0.1)
        return None

    def application(self, name):
        deadline = time.time() + 60
        while time.time() < deadline:
            desktop = self.pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.name == name:
                    return app
            self.listen(0.3)
        return None

    def window(self, app, title):
        deadline = time.time() + 60
        while time.time() < deadline:
            for i in range(app.childCount):
                window = app.getChildAtIndex(i)
                if window is not None and window.name.startswith(title) and self.showing(window):
                    return window
                found = find(window, lambda node: node.name == title and self.showing(node), 2)
                if found:
                    return found
            self.listen(0.3)
        return None

    def showing(self, node):
        return node.getState().contains(self.pyatspi.STATE_SHOWING)

    def checked(self, node):
        return node.getState().contains(self.pyatspi.STATE_CHECKED)

    def press(self, node, action=None):
        """Does the named action, or the object's first (a menu item's only one)."""
        actions = node.queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
        actions.doAction(names.index(action) if action else 0)
        self.listen(0.3)

    def click(self, node):
        """Clicks the middle of node, as a hand on the mouse does: Qt's lists take no focus
        through the bus."""
        x, y, width, height = node.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        self.pyatspi.Registry.generateMouseEvent(x + width // 2, y + height // 2, "b1c")
        self.listen(0.5)

    def key(self, name):
        symbol = KEYS.get(name, ord(name[0]))
        self.pyatspi.Registry.generateKeyboardEvent(symbol, None, self.pyatspi.KEY_SYM)
        self.listen(0.2)


def find(node, wanted, depth=24):
    if node is None or depth < 0:
        return None
    if wanted(node):
        return node
    for i in range(node.childCount):
        found = find(node.getChildAtIndex(i), wanted, depth - 1)
        if found:
            return found
    return None


def in_reading_order(node, depth=24):
    """Every object below node, depth first: the order a reader reads a window in."""
    if node is None or depth < 0:
        return []
    found = [node]
    for i in range(node.childCount):
        found += in_reading_order(node.getChildAtIndex(i), depth - 1)
    return found


class Checks:
    def __init__(self):
        self.failures = []
        self.count = 0

    def expect(self, condition, message):
        self.count += 1
        if not condition:
            self.failures.append(message)
            print("FAIL: " + message)


def check_control(reader, checks, window, control):
    def matches(node):
        if node.getRoleName() != control.role:
            return False
        if control.description is not None:
            return node.description == control.description
        return node.name == control.name

    node = find(window, matches)
    checks.expect(node is not None, "%s: no %s %r" % (control.window, control.role, control.name or control.description))
    if node is None:
        return
    if control.description is not None:
        checks.expect(node.name == control.name,
                      "%s: the %s reads %r, not its text %r" % (control.window, control.description, node.name,
                                                               control.name))
    if control.state is not None:
        states = [reader.pyatspi.stateToString(state) for state in node.getState().getStates()]
        checks.expect(control.state in states, "%s: %s %r is not %s (%r)" % (
            control.window, control.role, control.name, control.state, states))
    if control.text is not None:
        text = node.queryText()
        read = text.getText(0, text.characterCount)
        checks.expect(read == control.text, "%s: %s %r reads %r" % (control.window, control.role, control.name, read))


def check_editor(reader, checks, window):
    editor = find(window, lambda node: node.getRoleName() == "text" and node.name == "HTML ソース")
    reader.press(editor, "SetFocus")
    text = editor.queryText()
    for edit in EDITOR_ANNOUNCEMENTS:
        reader.heard.clear()
        doing = edit.doing
        if doing[0] == "caret":
            text.setCaretOffset(doing[1])
        elif doing[0] == "select":
            text.setSelection(0, doing[1], doing[2])
        else:
            reader.key(doing[1])
        if edit.event is None:
            reader.listen(0.5)
            continue
        heard = reader.hear(edit.event, lambda event: event[2] == edit.offset)
        checks.expect(heard is not None, "editor: %r announced no %s at %d (heard %r)" % (
            doing, edit.event, edit.offset, [(e[0], e[2], e[3]) for e in reader.heard]))
        if heard is not None and edit.text is not None:
            checks.expect(heard[3] == edit.text, "editor: %r announced %r, not %r" % (doing, heard[3], edit.text))
    checks.expect(text.getText(0, text.characterCount) == PAGE[6:], "editor: the text after the edits is wrong")


def row_readings(reader, tree):
    """Each row of a list view as a reader in row mode reads it: the row's cells' names."""
    table = tree.queryTable()
    return [[table.getAccessibleAt(row, column).name for column in range(table.nColumns)]
            for row in range(table.nRows)]


def check_rows(reader, checks, window, expected):
    tree = find(window, lambda node: node.getRoleName() == "tree" and node.name == expected.name)
    checks.expect(tree is not None, "%s: no list %r" % (expected.window, expected.name))
    if tree is None:
        return
    rows = row_readings(reader, tree)
    checks.expect(len(rows) == len(expected.rows), "%s: %d rows, not %d: %r" % (
        expected.name, len(rows), len(expected.rows), rows))
    for read, wanted in zip(rows, expected.rows):
        spoken = " ".join(cell for cell in read if cell)
        # Each part once, in order: a row is heard once, not a part again per cell.
        position = 0
        for part in wanted:
            found = spoken.find(part, position)
            checks.expect(found >= 0 and spoken.count(part) == 1,
                          "%s: row %r does not read %r once, in order" % (expected.name, spoken, part))
            position = max(position, found)
    # Moving to the next row is heard once, and what is heard starts the row.
    reader.click(tree.queryTable().getAccessibleAt(0, 0))
    reader.heard.clear()
    reader.key("Down")
    reader.listen(1.0)
    focus = [event for event in reader.heard if event[0] == "focus:"]
    checks.expect(len(focus) == 1 and focus[0][1].name == expected.rows[1][0],
                  "%s: moving down is heard as %r (heard %r)" % (expected.name, [event[1].name for event in focus],
                                                                 [(e[0], e[1].name) for e in reader.heard]))


def check_main_program(session, reader, checks, program):
    site = os.path.join(session.folder, "site")
    os.makedirs(site)
    page = os.path.join(site, "index.html")
    with open(page, "w", encoding="utf-8") as file:
        file.write(PAGE)
    home = os.path.join(session.folder, "home")
    os.makedirs(home)
    session.environment["QZWEB_HOME"] = home
    session.spawn([program, page], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    app = reader.application("qzweb")
    if app is None:
        checks.expect(False, "qzweb did not appear on the accessibility bus")
        return
    main = reader.window(app, "QZWeb")
    checks.expect(main is not None, "the main window is not on the bus")
    if main is None:
        return
    check_window(reader, checks, "QZWeb", main)
    check_editor(reader, checks, main)
    check_control(reader, checks, main, CARET_PANEL_AFTER_EDITS)
    check_menus_open(reader, checks)

    reader.press(find(app, lambda node: node.getRoleName() == "menu item" and node.name == "ページチェック"))
    reader.listen(2)
    check_rows(reader, checks, app, PAGE_CHECK_ROWS)

    reader.press(find(app, lambda node: node.getRoleName() == "menu item" and node.name == "サイト内検索"))
    field = find(app, lambda node: node.getRoleName() == "text" and node.name == "検索する文字列")
    field.queryEditableText().setTextContents("hello")
    reader.press(find(app, lambda node: node.getRoleName() == "push button" and node.name == "検索"), "Press")
    reader.listen(2)
    check_rows(reader, checks, app, SEARCH_ROWS)

    reader.press(find(main, lambda node: node.getRoleName() == "push button" and node.name == "ファイル転送"), "Press")
    check_window(reader, checks, "RODav", reader.window(app, "RODav"))


def check_menus_open(reader, checks):
    """Without a mouse the menus are reached with F10, which opens the first."""
    reader.heard.clear()
    reader.key("F10")
    heard = reader.hear("focus:", lambda event: event[1].getRoleName() == "menu item")
    checks.expect(heard is not None and heard[1].name == "ファイル",
                  "menus: F10 is heard as %r" % [(e[0], e[1].name) for e in reader.heard])
    reader.key("Escape")
    reader.key("Escape")


def check_window(reader, checks, title, window):
    checks.expect(window is not None, "no window %s on the bus" % title)
    for control in WINDOW_CONTROLS:
        if window is not None and control.window == title:
            check_control(reader, checks, window, control)


def check_publish_plan(session, reader, checks, sampler):
    shown = session.spawn([sampler, "publish"], stdout=subprocess.PIPE, text=True)
    app = reader.application("a11y_dialog_sampler")
    dialog = app and reader.window(app, "更新分を公開")
    checks.expect(dialog is not None, "the publish plan is not on the bus")
    if dialog is None:
        return
    tree = find(dialog, lambda node: node.getRoleName() == "tree" and node.name == "公開するファイル")
    check_plan_rows(reader, checks, tree, PUBLISH_ROWS)
    # Ticked and unticked as a reader's user does it: the row made current, then Space. The
    # list has the focus as the dialog opens.
    for move, row in (("Down", 2), ("Up", 0)):
        reader.key(move)
        reader.key(move)
        reader.heard.clear()
        reader.key("space")
        cell = tree.queryTable().getAccessibleAt(row, 0)
        heard = reader.hear("object:state-changed:checked", lambda event, cell=cell: event[1].name == cell.name)
        checks.expect(heard is not None, "publish plan: Space on row %d was not announced (heard %r)" % (
            row, [(e[0], e[1].name, e[2]) for e in reader.heard]))
    check_plan_rows(reader, checks, tree, PUBLISH_ROWS_TICKED)
    reader.press(find(dialog, lambda node: node.getRoleName() == "push button" and node.name == "公開"), "Press")
    answer, _ = shown.communicate(timeout=20)
    checks.expect(answer.split() == PUBLISH_SENT, "publish plan: the plan sent is %r" % answer.split())


def check_plan_rows(reader, checks, tree, rows):
    table = tree.queryTable()
    for row, expected in enumerate(rows):
        cell = table.getAccessibleAt(row, 0)
        checks.expect(cell.name == expected.reads and reader.checked(cell) == expected.checked,
                      "publish plan: row %d reads %r, checked=%s" % (row, cell.name, reader.checked(cell)))


def check_questions(session, reader, checks, sampler):
    for question in QUESTIONS:
        asked = session.spawn([sampler, question.which], stdout=subprocess.PIPE, text=True)
        app = reader.application("a11y_dialog_sampler")
        dialog = app and reader.window(app, question.title)
        checks.expect(dialog is not None and dialog.getRoleName() == "alert",
                      "%s: no alert %r on the bus" % (question.which, question.title))
        if dialog is None:
            asked.kill()
            continue
        read = [(node.getRoleName(), node.name) for node in in_reading_order(dialog)
                if node.getRoleName() in ("label", "push button") and node.name]
        position = 0
        for role, start in question.reading:
            found = next((i for i in range(position, len(read)) if read[i][0] == role and
                          read[i][1].startswith(start)), None)
            checks.expect(found is not None, "%s: %s %r not read after what comes before it; reads %r" % (
                question.which, role, start, read))
            position = found + 1 if found is not None else position
        reader.press(find(dialog, lambda node: node.getRoleName() == "push button" and node.name == "接続しない"),
                     "Press")
        answer, _ = asked.communicate(timeout=20)
        checks.expect(answer.strip() == "refused", "%s: answered %r" % (question.which, answer))


def main():
    program, sampler = sys.argv[1], sys.argv[2]
    try:
        with DesktopSession() as session:
            session.environment.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
                                       QTWEBENGINE_DISABLE_SANDBOX="1",
                                       QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu")
            reader = Reader()
            checks = Checks()
            check_main_program(session, reader, checks, program)
            check_publish_plan(session, reader, checks, sampler)
            check_questions(session, reader, checks, sampler)
    except CannotStart as reason:
        print("skipped: the accessibility bus cannot start here: %s" % reason)
        return SKIPPED
    print("%d checks, %d failed" % (checks.count, len(checks.failures)))
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
