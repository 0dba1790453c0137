// TFtpClient: synchronous operations over the FTP engine.
#include "ftp/FtpClient.h"

#include "net/SocketPump.h"

#include <algorithm>

namespace vesk {

bool TFtpClient::Synchronize(Start start)
{
    try {
        if (!(this->*start)())
            return false;
        return WaitUntilReady();
    } catch (...) {
        return false;
    }
}

void TFtpClient::RestartDeadline()
{
    deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(timeout_, 0));
}

bool TFtpClient::TriggerProgress(qint64 count)
{
    // The time-out bounds a silence, not a whole transfer.
    if (timeout_ > 0)
        RestartDeadline();
    return TCustomFtpEngine::TriggerProgress(count);
}

bool TFtpClient::WaitUntilReady()
{
    using Clock = std::chrono::steady_clock;
    RestartDeadline();
    for (;;) {
        if (State() == ftpReady)
            return LastResult() == 0;
        int sleepMs = 100;
        if (timeout_ > 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
            if (left <= 0)
                break;
            sleepMs = int(std::min<long long>(left, sleepMs));
        }
        bool quit;
        if (multiThreaded_) {
            bool terminated = false;
            TQuitWatch watch(&terminated);
            quit = PumpEvents(sleepMs) || terminated;
        } else {
            quit = PumpEvents(sleepMs);
        }
        if (quit && State() != ftpReady)
            break;
    }
    TCustomFtpEngine::Abort();
    SetErrorMessage(QStringLiteral("426 Timeout"));
    SetStatusCode(426);
    return false;
}

bool TFtpClient::Connect() { return Synchronize(&TCustomFtpEngine::ConnectAsync); }
bool TFtpClient::ChangeDir() { return Synchronize(&TCustomFtpEngine::ChangeDirAsync); }
bool TFtpClient::PrintDir() { return Synchronize(&TCustomFtpEngine::PrintDirAsync); }
bool TFtpClient::ParentDir() { return Synchronize(&TCustomFtpEngine::ParentDirAsync); }
bool TFtpClient::TypeBinary() { return Synchronize(&TCustomFtpEngine::TypeBinaryAsync); }
bool TFtpClient::TypeAscii() { return Synchronize(&TCustomFtpEngine::TypeAsciiAsync); }
bool TFtpClient::Get() { return Synchronize(&TCustomFtpEngine::GetAsync); }
bool TFtpClient::Put() { return Synchronize(&TCustomFtpEngine::PutAsync); }
bool TFtpClient::Append() { return Synchronize(&TCustomFtpEngine::AppendAsync); }
bool TFtpClient::List() { return Synchronize(&TCustomFtpEngine::ListAsync); }
bool TFtpClient::NameList() { return Synchronize(&TCustomFtpEngine::NameListAsync); }
bool TFtpClient::MakeDir() { return Synchronize(&TCustomFtpEngine::MakeDirAsync); }
bool TFtpClient::Rename() { return Synchronize(&TCustomFtpEngine::RenameAsync); }
bool TFtpClient::Delete() { return Synchronize(&TCustomFtpEngine::DeleteAsync); }
bool TFtpClient::RemoveDir() { return Synchronize(&TCustomFtpEngine::RemoveDirAsync); }
bool TFtpClient::FileSize() { return Synchronize(&TCustomFtpEngine::FileSizeAsync); }
bool TFtpClient::ResumeGet() { return Synchronize(&TCustomFtpEngine::ResumeGetAsync); }
bool TFtpClient::System() { return Synchronize(&TCustomFtpEngine::SystemAsync); }
bool TFtpClient::Quote() { return Synchronize(&TCustomFtpEngine::QuoteAsync); }
bool TFtpClient::Quit() { return Synchronize(&TCustomFtpEngine::QuitAsync); }

bool TFtpClient::Abort()
{
    TCustomFtpEngine::Abort();
    return true;
}

} // namespace vesk
