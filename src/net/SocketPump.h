// Running the calling thread's pending events while a socket waits.
//
// Sockets wait in a few places (closing with a linger time, Flush, the
// synchronous wait); they keep the program alive meanwhile by running the
// events of their thread. A quit request seen while waiting ends the wait:
// the application's quit (QEvent::Quit) and, on a worker thread, an
// interruption request of that thread. The request itself is never swallowed,
// so the program still quits once the wait has returned.
#pragma once

namespace vesk {

// True once the application has been asked to quit (or is closing down).
// Watching starts with the first socket created while an application object exists.
bool ApplicationTerminated();

// Starts watching for the application's quit request; idempotent. Called by
// every socket's constructor.
void WatchApplicationQuit();

// Forgets a quit request seen before, for tests that quit on purpose.
void ResetApplicationQuitForTests();

// A quit request seen while this object is alive on the current thread sets
// *flag (the socket's own terminated flag).
class TQuitWatch {
public:
    explicit TQuitWatch(bool* flag);
    ~TQuitWatch();
    TQuitWatch(const TQuitWatch&) = delete;
    TQuitWatch& operator=(const TQuitWatch&) = delete;
    // Sets the flag of every watch alive on the current thread.
    static void MarkAll();

private:
    bool* flag_;
    TQuitWatch* outer_;
};

// Runs the events waiting for the calling thread. With waitMs > 0 and none
// waiting, first sleeps until one arrives or waitMs pass. Returns true when a
// quit request has been seen (ApplicationTerminated, or an interruption
// request of a worker thread).
bool PumpEvents(int waitMs);

} // namespace vesk
