// The synchronous wait, and TAsyncSocket, the socket class that is instantiated.
#pragma once

#include "net/LineSocket.h"

#include <cstdint>

namespace vesk {

class TCustomSyncSocket : public TCustomLineSocket {
public:
    TCustomSyncSocket() = default;

    // Runs this thread's events (with the pump MultiThreaded chooses) until
    // `doneFlag` becomes non-zero: 0. Gives up with 12001 when timeoutMs > 0
    // milliseconds have passed, the application has been asked to quit, or
    // Terminated() is set. Sleeps while no event arrives; never spins.
    int WaitUntilReady(const std::uint8_t& doneFlag, int timeoutMs);
};

// The socket with every layer: proxy, line mode and the wait, all off by default.
class TAsyncSocket final : public TCustomSyncSocket {
public:
    TAsyncSocket() = default;
};

} // namespace vesk
