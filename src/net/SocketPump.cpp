// Running the calling thread's pending events while a socket waits.
#include "net/SocketPump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <mutex>

namespace vesk {

namespace {

std::atomic<bool> g_quitRequested{false};
thread_local TQuitWatch* t_innermostWatch = nullptr;

// Sees the application's quit request without handling it.
class QuitFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Quit && watched == QCoreApplication::instance()) {
            g_quitRequested = true;
            TQuitWatch::MarkAll();
        }
        return false;
    }
};

std::mutex g_filterMutex;
QPointer<QObject> g_filter;
QPointer<QObject> g_filterApp;

} // namespace

TQuitWatch::TQuitWatch(bool* flag) : flag_(flag), outer_(t_innermostWatch)
{
    t_innermostWatch = this;
}

TQuitWatch::~TQuitWatch()
{
    t_innermostWatch = outer_;
}

// Waits nest (a handler run by one socket's wait may wait on another
// socket); a quit ends all of them.
void TQuitWatch::MarkAll()
{
    for (TQuitWatch* w = t_innermostWatch; w; w = w->outer_)
        *w->flag_ = true;
}

bool ApplicationTerminated()
{
    return g_quitRequested || QCoreApplication::closingDown();
}

void ResetApplicationQuitForTests()
{
    g_quitRequested = false;
}

void WatchApplicationQuit()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    std::lock_guard lock(g_filterMutex);
    if (g_filter && g_filterApp == app)
        return;
    g_filterApp = app;
    // An event filter must live on its object's thread.
    auto install = [app] {
        std::lock_guard lock(g_filterMutex);
        if (g_filter)
            return;
        g_filter = new QuitFilter(app);
        app->installEventFilter(g_filter);
    };
    if (QThread::currentThread() == app->thread()) {
        g_filter = new QuitFilter(app);
        app->installEventFilter(g_filter);
    } else {
        QMetaObject::invokeMethod(app, install, Qt::QueuedConnection);
    }
}

bool PumpEvents(int waitMs)
{
    if (waitMs > 0) {
        // The timer bounds the sleep: WaitForMoreEvents returns after the
        // first batch of events, and the timer's own event is one.
        QTimer wake;
        wake.setSingleShot(true);
        wake.start(waitMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    } else {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    QThread* thread = QThread::currentThread();
    QCoreApplication* app = QCoreApplication::instance();
    if (app && thread != app->thread() && thread->isInterruptionRequested()) {
        TQuitWatch::MarkAll();
        return true;
    }
    return ApplicationTerminated();
}

} // namespace vesk
