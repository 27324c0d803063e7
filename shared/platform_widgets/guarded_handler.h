#pragma once

#include <QObject>

#include <functional>

namespace platform {

// Runs one event handler; an error it raises is reported once through the application's
// error reporting, so none crosses the event loop and the program goes on.
void run_guarded(const std::function<void()>& handler);

// Connects `signal` of `sender` to `handler`, run guarded in the thread of `context`.
template <typename Sender, typename Signal>
QMetaObject::Connection connect_guarded(Sender* sender, Signal signal, const QObject* context,
                                        std::function<void()> handler) {
    return QObject::connect(sender, signal, context,
                            [handler = std::move(handler)] { run_guarded(handler); });
}

} // namespace platform
