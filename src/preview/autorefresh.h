#pragma once

#include "preview/autorefreshsetting.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

// Runs the preview's refresh by itself as the 自動反映 choice says: once the document has not
// been edited for a moment (a burst of keys gives one refresh, after its last key), or after
// each save; and, either way, at once when the document becomes another file, so that the page
// is shown from its new folder. A page too large to render between two bursts of typing waits
// for a save or for 反映 instead, and the status bar says so once. A refresh that comes due while
// a question waits for the user's answer is taken up again after it, so nothing this does ever
// runs inside another box. It is told of edits, saves and moves; it owns only its timers.
class AutoRefresh final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AutoRefresh)

public:
    static constexpr std::chrono::milliseconds kIdleDelay{700};
    // The largest page, in characters, refreshed while typing. Measured with Qt WebEngine 6.4
    // offscreen, pages of Japanese paragraphs loaded and laid out, processor time of the program
    // and its engine processes: about 300 ms at 150,000 characters, 1.1 s at 600,000 (1 MiB in
    // UTF-8), 2.6 s at 1.2 million, growing faster than the size (a 20 MiB page takes some 35 s
    // and 2.3 GB). A larger page's refresh would keep a processor busy into the next burst of
    // keys.
    static constexpr qsizetype kLargestWhileTyping = 150'000;
    // Short enough for the status panel of the designed window.
    static inline const QString kTooLargeNotice =
        QStringLiteral("%1万文字超のため、自動反映は保存したときだけです").arg(kLargestWhileTyping / 10'000);

    // What the refresh works on; the window gives it.
    struct Page
    {
        std::function<void()> refresh;
        std::function<qsizetype()> size;           // the page's length in characters; asked at each pause
        std::function<bool()> questionOpen;        // a question waits for the user's answer
        std::function<void(const QString &)> tell; // a line in the status bar
    };

    explicit AutoRefresh(Page page, QObject *parent = nullptr, std::chrono::milliseconds idleDelay = kIdleDelay);

    AutoRefreshMode mode() const { return m_mode; }
    void setMode(AutoRefreshMode mode);

    void documentEdited();
    void documentSaved();
    // The document is another file (opened, saved under another name): refreshed once the
    // command that moved it has finished, in place of a refresh its edits or save would bring.
    // A notice about its size is its own.
    void documentMoved();

private:
    void refreshMoved();
    // Refreshes now, a pause later when a question is open, or not until a save or 反映 when
    // the page is too large.
    void refreshByItself();

    Page m_page;
    AutoRefreshMode m_mode = AutoRefreshSetting::kDefault;
    QTimer m_idle;
    QTimer m_moved;
    bool m_heldBack = false;    // a pause did not refresh a page too large for it
    bool m_noticeShown = false; // the status bar said so for this page
};
