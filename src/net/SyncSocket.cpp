// The synchronous wait, and TAsyncSocket, the socket class that is instantiated.
#include "net/SyncSocket.h"

#include "net/SocketPump.h"

#include <algorithm>
#include <chrono>

namespace vesk {

int TCustomSyncSocket::WaitUntilReady(const std::uint8_t& doneFlag, int timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        if (doneFlag != 0)
            return 0;
        if (Terminated() || ApplicationTerminated())
            return kSocketWaitTimeout;
        int sleepMs = 100;
        if (timeoutMs > 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return kSocketWaitTimeout;
            sleepMs = int(std::min<long long>(left, sleepMs));
        }
        Pump(sleepMs);
    }
}

} // namespace vesk
