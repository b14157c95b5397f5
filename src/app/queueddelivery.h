#pragma once

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

// Calls a worker sends to a receiver, made on the receiver's thread in the order sent and dropped
// there once the run that sent them was stopped: a stopped run's results never land among a new
// run's.
template<typename Receiver>
std::function<void(std::function<void(Receiver &)>)> queuedTo(Receiver *receiver,
                                                              std::shared_ptr<std::atomic_bool> cancelled)
{
    return [receiver, cancelled = std::move(cancelled)](std::function<void(Receiver &)> call) {
        QMetaObject::invokeMethod(
            receiver,
            [receiver, cancelled, call = std::move(call)] {
                if (!cancelled->load())
                    call(*receiver);
            },
            Qt::QueuedConnection);
    };
}
