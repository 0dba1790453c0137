// The per-socket receiver of notifier activations and posted messages.
// Internal to the socket layer.
#pragma once

#include "net/AsyncSocket.h"

#include <QObject>

namespace vesk {

// A socket event posted to a socket's own window (the write event that
// follows a Send that sent everything).
class TSocketMessage : public QEvent {
public:
    TSocketMessage(quint64 generation, int events, int error)
        : QEvent(kWmSocketEvent), generation(generation), events(events), error(error)
    {
    }
    quint64 generation;
    int events;
    int error;
};

class TCustomAsyncSocket::Window : public QObject {
public:
    explicit Window(TCustomAsyncSocket* socket) : socket_(socket)
    {
        setObjectName(QStringLiteral("AsyncSocketWindowClass"));
    }
    bool event(QEvent* e) override;
    // Runs `handler` the way a message is dispatched: an exception that
    // escapes it goes to the socket's background-exception handling.
    template <class F>
    void Dispatch(F&& handler);

private:
    TCustomAsyncSocket* socket_;
};

template <class F>
void TCustomAsyncSocket::Window::Dispatch(F&& handler)
{
    try {
        handler();
    } catch (const std::exception& e) {
        socket_->HandleBackgroundException(e);
    } catch (...) {
        socket_->HandleBackgroundException(ESocketError(QStringLiteral("Unknown exception")));
    }
}

} // namespace vesk
