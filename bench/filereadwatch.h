#pragma once

// When another program first opened, and last closed, a file in the folders watched: the span
// its reading of a site takes, told apart from its start-up before and its wind-down after.
// Watches from its making until stop().

#include <QStringList>

#include <thread>

namespace bench {

class FileReadWatch
{
public:
    struct Span
    {
        long long firstOpenNs = 0; // monotonicNs(); 0 when nothing was opened
        long long lastCloseNs = 0;
    };

    // Ends the bench when the folders cannot be watched.
    explicit FileReadWatch(const QStringList &folders);
    ~FileReadWatch();
    FileReadWatch(const FileReadWatch &) = delete;
    FileReadWatch &operator=(const FileReadWatch &) = delete;

    // Once the program has ended: what it did, every event it caused taken in first.
    Span stop();

private:
    void watch();

    int m_notify = -1;
    int m_stop[2] = {-1, -1};
    Span m_span;
    std::thread m_reader;
};

} // namespace bench
