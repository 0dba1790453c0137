// TFtpClient: the FTP engine with synchronous operations. Each starts one
// request of the engine and then runs this thread's events until the engine
// is ready again; the result is true exactly when the request ended with
// success. A wait gives up when Timeout seconds pass without progress (every
// progress report of a transfer starts the time again), or when the
// application is asked to quit; it then aborts the session and
// ErrorMessage() is "426 Timeout". Any refusal or exception makes the result
// false; nothing escapes these calls.
#pragma once

#include "ftp/FtpEngine.h"

#include <chrono>

namespace vesk {

class TFtpClient : public TCustomFtpEngine {
public:
    TFtpClient() = default;

    // Seconds; 0 or less waits without limit. 15 at first.
    int Timeout() const { return timeout_; }
    void SetTimeout(int seconds) { timeout_ = seconds; }
    // Which pump the waits use: one that notes a quit request without
    // handling it (on), or the application's event processing (off).
    bool MultiThreaded() const { return multiThreaded_; }
    void SetMultiThreaded(bool on) { multiThreaded_ = on; }

    bool Connect();
    bool ChangeDir();
    bool PrintDir();
    bool ParentDir();
    bool TypeBinary();
    bool TypeAscii();
    bool Get();
    bool Put();
    bool Append();
    bool List();
    bool NameList();
    bool MakeDir();
    bool Rename();
    bool Delete();
    bool RemoveDir();
    bool FileSize();
    bool ResumeGet();
    bool System();
    bool Quote();
    bool Quit();
    // Immediate: always true.
    bool Abort();

protected:
    bool TriggerProgress(qint64 count) override;

private:
    using Start = bool (TCustomFtpEngine::*)();
    bool Synchronize(Start start);
    bool WaitUntilReady();
    void RestartDeadline();

    int timeout_ = 15;
    bool multiThreaded_ = false;
    std::chrono::steady_clock::time_point deadline_{};
};

} // namespace vesk
