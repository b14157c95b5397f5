#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

// Where the user left the main window: its normal (not maximised) geometry on the desktop,
// whether it was maximised, and the height of the editing pane. Kept in a small file of its own
// in the data folder, apart from the list files, and trusted only when every value is there and
// the window it describes can be used on the screens of this start.
struct WindowPlacement
{
    static inline const QString kFileName = QStringLiteral("window.ini");

    QRect geometry; // the window's inside, without the frame the window manager adds
    bool maximized = false;
    int editorHeight = 0;

    // nullopt when the text lacks a value or holds one that is not a number or far beyond any
    // desktop.
    static std::optional<WindowPlacement> parse(const QByteArray &text);
    QByteArray toText() const;

    // nullopt when the file is missing, unreadable, implausibly large or damaged.
    static std::optional<WindowPlacement> read(const QString &path);
    // Replaces the file atomically; throws UserError when it cannot be written.
    void write(const QString &path) const;

    // Whether the window can open here: not smaller than minimum, not larger than all the
    // screens together, an editing pane that fits inside it, and its top (title bar and menu)
    // within reach on one of the screens' available areas.
    bool fits(const QList<QRect> &screens, QSize minimum) const;

    bool operator==(const WindowPlacement &) const = default;
};
