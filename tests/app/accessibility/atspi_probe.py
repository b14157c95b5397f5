#!/usr/bin/python3
"""Reads QZWeb's window through the desktop accessibility bus, as a screen reader does, and
checks that the controls a user works with are there by name and that none is nameless."""
import sys
import time

import pyatspi

EXPECTED = [
    ("frame", "QZWeb"),
    ("radio button", "http"), ("radio button", "file"), ("push button", "反映"),
    ("radio button", "ｵﾝﾗｲﾝ"), ("radio button", "ｵﾌﾗｲﾝ"),
    ("push button", "前のﾍﾟｰｼﾞへ"), ("push button", "wep表示をやめる"), ("push button", "次のﾍﾟｰｼﾞへ"),
    ("push button", "ファイル転送"), ("push button", "お気に入り"), ("push button", "WEB履歴"),
    ("push button", "終了"), ("text", "HTML ソース"), ("status bar", "ステータスバー"),
    ("menu item", "ファイル"), ("menu item", "基本形(HTML)"), ("menu item", "ﾌｧｲﾙ転送"),
]
# Roles a user acts on; each must carry a name (the recent-file slots are blank by design).
NAMED_ROLES = {"push button", "radio button", "check box", "combo box", "text"}


def find_application(timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "qzweb":
                return app
        time.sleep(0.5)
    return None


def walk(node, found, depth=0):
    if node is None or depth > 16:
        return
    found.append((node.getRoleName(), node.name))
    for i in range(node.childCount):
        walk(node.getChildAtIndex(i), found, depth + 1)


def main():
    app = find_application(45)
    if app is None:
        print("qzweb did not appear on the accessibility bus")
        return 1
    # The application shows on the bus before its window is complete; on a loaded machine the
    # first walk can come too early, so it is read again until it is complete or time is up.
    deadline = time.time() + 45
    while True:
        found = []
        walk(app, found)
        missing = [entry for entry in EXPECTED if entry not in found]
        if not missing or time.time() > deadline:
            break
        time.sleep(0.5)
    nameless = [role for role, name in found if role in NAMED_ROLES and not name]
    for entry in missing:
        print("missing on the bus: %s %r" % entry)
    for role in nameless:
        print("nameless control: %s" % role)
    print("%d accessible objects read" % len(found))
    return 1 if missing or nameless else 0


if __name__ == "__main__":
    sys.exit(main())
