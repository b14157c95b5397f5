#include "preview/keyrouting.h"

#include <gtest/gtest.h>

using KeyRouting::EventKind;
using KeyRouting::Route;

namespace {

struct Row
{
    const char *name;
    EventKind kind;
    bool inPane;
    int key;
    Qt::KeyboardModifiers modifiers;
    Route withAccelerators;    // IeEnableAccelerator true
    Route withoutAccelerators; // IeEnableAccelerator false
};

const Row kRows[] = {
    // Keys the page needs for itself go to it, and no window shortcut may take them.
    {"Tab", EventKind::KeyPress, true, Qt::Key_Tab, Qt::NoModifier, Route::ToPage, Route::ToPage},
    {"Shift+Tab", EventKind::KeyPress, true, Qt::Key_Backtab, Qt::ShiftModifier, Route::ToPage, Route::ToPage},
    {"Tab override", EventKind::ShortcutOverride, true, Qt::Key_Tab, Qt::NoModifier, Route::ToPage, Route::ToPage},
    {"Backspace", EventKind::KeyPress, true, Qt::Key_Backspace, Qt::NoModifier, Route::ToPage, Route::ToPage},
    {"Left", EventKind::KeyPress, true, Qt::Key_Left, Qt::NoModifier, Route::ToPage, Route::ToPage},
    {"Up", EventKind::ShortcutOverride, true, Qt::Key_Up, Qt::NoModifier, Route::ToPage, Route::ToPage},
    {"Right", EventKind::KeyPress, true, Qt::Key_Right, Qt::NoModifier, Route::ToPage, Route::ToPage},
    {"Shift+Down", EventKind::KeyPress, true, Qt::Key_Down, Qt::ShiftModifier, Route::ToPage, Route::ToPage},
    {"letter", EventKind::KeyPress, true, Qt::Key_A, Qt::NoModifier, Route::ToPage, Route::ToPage},
    {"Shift+letter", EventKind::ShortcutOverride, true, Qt::Key_A, Qt::ShiftModifier, Route::ToPage, Route::ToPage},
    {"Delete", EventKind::ShortcutOverride, true, Qt::Key_Delete, Qt::NoModifier, Route::ToPage, Route::ToPage},
    {"Return", EventKind::KeyPress, true, Qt::Key_Return, Qt::NoModifier, Route::ToPage, Route::ToPage},
    // Accelerators reach the window's shortcuts first, unless the host claims them all.
    {"Ctrl+S",
     EventKind::ShortcutOverride,
     true,
     Qt::Key_S,
     Qt::ControlModifier,
     Route::ShortcutsFirst,
     Route::Claimed},
    {"Ctrl+S press", EventKind::KeyPress, true, Qt::Key_S, Qt::ControlModifier, Route::ShortcutsFirst, Route::Claimed},
    {"Alt+Left", EventKind::KeyPress, true, Qt::Key_Left, Qt::AltModifier, Route::ShortcutsFirst, Route::Claimed},
    {"Ctrl+Tab", EventKind::KeyPress, true, Qt::Key_Tab, Qt::ControlModifier, Route::ShortcutsFirst, Route::Claimed},
    {"F3", EventKind::ShortcutOverride, true, Qt::Key_F3, Qt::NoModifier, Route::ShortcutsFirst, Route::Claimed},
    {"F5 release", EventKind::KeyRelease, true, Qt::Key_F5, Qt::NoModifier, Route::ShortcutsFirst, Route::Claimed},
    // Events for other widgets, and other events of the pane, pass untouched.
    {"Tab elsewhere",
     EventKind::KeyPress,
     false,
     Qt::Key_Tab,
     Qt::NoModifier,
     Route::PassUntouched,
     Route::PassUntouched},
    {"Ctrl+S elsewhere",
     EventKind::ShortcutOverride,
     false,
     Qt::Key_S,
     Qt::ControlModifier,
     Route::PassUntouched,
     Route::PassUntouched},
    {"Backspace elsewhere",
     EventKind::KeyPress,
     false,
     Qt::Key_Backspace,
     Qt::NoModifier,
     Route::PassUntouched,
     Route::PassUntouched},
    {"not a key event", EventKind::Other, true, 0, Qt::NoModifier, Route::PassUntouched, Route::PassUntouched},
};

} // namespace

TEST(KeyRouting, RoutesEachKeyAsThePaneNeedsIt)
{
    for (const Row &row : kRows) {
        const KeyRouting::KeyFacts facts{row.kind, row.inPane, row.key, row.modifiers};
        EXPECT_EQ(KeyRouting::route(facts, true), row.withAccelerators) << row.name;
        EXPECT_EQ(KeyRouting::route(facts, false), row.withoutAccelerators) << row.name << " (claimed)";
    }
}
