#include "filereadwatch.h"

#include "benchbasics.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace bench {

FileReadWatch::FileReadWatch(const QStringList &folders)
{
    m_notify = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (m_notify < 0 || ::pipe2(m_stop, O_CLOEXEC) != 0)
        fail("cannot watch the site's files");
    for (const QString &folder : folders) {
        if (::inotify_add_watch(m_notify, folder.toLocal8Bit().constData(), IN_OPEN | IN_CLOSE_NOWRITE) < 0)
            fail("cannot watch a folder of the site");
    }
    m_reader = std::thread([this] { watch(); });
}

FileReadWatch::~FileReadWatch()
{
    if (m_reader.joinable())
        stop();
    ::close(m_notify);
    ::close(m_stop[0]);
    ::close(m_stop[1]);
}

// The events are stamped as they are read, each batch at once: the reader takes them as they
// come, so a stamp is late by no more than its wake-up.
void FileReadWatch::watch()
{
    alignas(inotify_event) char buffer[64 * 1024];
    bool stopping = false;
    while (true) {
        pollfd ready[2] = {{m_notify, POLLIN, 0}, {m_stop[0], POLLIN, 0}};
        if (!stopping && ::poll(ready, 2, -1) < 0)
            continue;
        stopping = stopping || (ready[1].revents & POLLIN);
        const ssize_t got = ::read(m_notify, buffer, sizeof buffer);
        if (got <= 0) {
            if (stopping)
                return;
            continue;
        }
        const long long now = monotonicNs();
        for (ssize_t at = 0; at < got;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            if ((event->mask & IN_OPEN) && m_span.firstOpenNs == 0)
                m_span.firstOpenNs = now;
            if (event->mask & IN_CLOSE_NOWRITE)
                m_span.lastCloseNs = now;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
}

FileReadWatch::Span FileReadWatch::stop()
{
    const char byte = 0;
    if (::write(m_stop[1], &byte, 1) != 1)
        fail("cannot stop watching the site's files");
    m_reader.join();
    return m_span;
}

} // namespace bench
