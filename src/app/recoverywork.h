#pragma once

#include <functional>
#include <optional>

// What the recovery keeper copies and where it puts it: the program's side of the copies. The
// page is taken on the window's thread, where the editor lives; what is then left to do (joining,
// encoding, writing) is handed back as a write the keeper runs on a worker thread, so a large
// page never holds up a key.
class RecoveryWork
{
public:
    // Writes the copy taken; throws UserError when it cannot. Refers only to what it holds and
    // to the store, so it may run on another thread.
    using Write = std::function<void()>;
    // nullopt: nothing is unsaved.
    using Taken = std::function<void(std::optional<Write> write)>;

    virtual ~RecoveryWork() = default;

    // Takes the unsaved page as it stands and hands its write to taken on the window's thread,
    // at once or some turns of the event loop later.
    virtual void take(Taken taken) = 0;
    // The same, at once.
    virtual std::optional<Write> takeAtOnce() = 0;
    // A take under way ends without calling its taken.
    virtual void stopTaking() = 0;
    // Deletes the copy; on the window's thread, never while a write runs.
    virtual void discard() = 0;
};
