// TCustomFtpEngine's data side: PORT and PASV, receiving (RETR, LIST, NLST),
// sending (STOR, APPE), REST, progress and the statistics of a transfer.
//
// A transfer is complete only when both its final reply has arrived and its
// data connection has closed, in whichever order they come.
#include "ftp/FtpEngine.h"

#include "ftp/FtpLocalFile.h"
#include "ftp/FtpReply.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vesk {

namespace {

// A listing line longer than this is handed out in pieces.
constexpr int kMaxDisplayLine = 65536;

qint64 Now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// The IPv4 address of the peer of a handle, 0 when there is none.
std::uint32_t PeerOf(int fd)
{
    sockaddr_storage name{};
    socklen_t length = sizeof name;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&name), &length) != 0)
        return 0;
    std::optional<TSocketAddress> peer = TSocketAddress::FromSockaddr(reinterpret_cast<sockaddr*>(&name));
    return peer ? peer->ipv4 : 0;
}

} // namespace

// --- Helpers ---------------------------------------------------------------------------

void TCustomFtpEngine::ResetDataHandlers()
{
    data_->OnSessionAvailable = nullptr;
    data_->OnSessionClosed = nullptr;
    data_->OnDataAvailable = nullptr;
    data_->OnDataSent = nullptr;
    data_->OnSessionConnected = nullptr;
}

void TCustomFtpEngine::CloseDataSocket()
{
    // Closed on purpose: its close reports nothing to the transfer.
    ResetDataHandlers();
    if (data_->State() != wsClosed) {
        try {
            data_->Close();
        } catch (const ESocketError&) {
            data_->Abort();
        }
    }
}

void TCustomFtpEngine::PrepareBlock()
{
    if (blockCapacity_ != blockSize_) {
        block_.reset(new char[std::size_t(blockSize_)]);
        blockCapacity_ = blockSize_;
    }
}

void TCustomFtpEngine::ReleaseLocalFile()
{
    // A download that was not committed leaves the old file as it was.
    localFile_.reset();
}

QString TCustomFtpEngine::TransferCommand() const
{
    QString verb = appendFlag_ ? QStringLiteral("APPE") : QStringLiteral("STOR");
    return verb + u' ' + hostFileName_;
}

bool TCustomFtpEngine::TriggerProgress(qint64 count)
{
    bool abort = false;
    if (OnProgress)
        OnProgress(this, count, abort);
    return abort;
}

bool TCustomFtpEngine::Progress()
{
    if (!TriggerProgress(byteCount_ + resumeAt_))
        return false;
    Trace(QStringLiteral("! Abort requested"));
    // Stopped by the application: never a success, whatever the server says.
    transferAborted_ = true;
    if (data_->State() != wsClosed)
        data_->Close();
    return true;
}

// --- Port and Rest ------------------------------------------------------------------------

QString TCustomFtpEngine::StartPort()
{
    if (QString refusal = CheckReady(true); !refusal.isEmpty())
        return refusal;
    BeginRequest(ftpFctPort, ftpReqPort);
    CloseDataSocket();
    dataTls_.reset();
    acceptSide_ = TDataSide::None;
    pasvResponse_.clear();
    QString command = QStringLiteral("PASV");
    if (!passive_) {
        std::optional<TSocketAddress> local = control_->GetSockName();
        if (!local) {
            FailRequest(550, QStringLiteral("Unable to establish data connection, error #%1").arg(control_->LastError()));
            return {};
        }
        // The listener takes connections only where the PORT command says,
        // and only the server's are kept (DataSessionAvailable).
        try {
            data_->SetProto(QStringLiteral("tcp"));
            data_->SetAddr(local->ToString());
            data_->SetPort(QStringLiteral("0"));
            data_->SetLingerOnOff(wsLingerOn);
            data_->SetLingerTimeout(10);
            data_->OnSessionAvailable = [this](TCustomAsyncSocket*, int) { DataSessionAvailable(); };
            data_->Listen();
        } catch (const ESocketError& e) {
            FailRequest(550, QStringLiteral("550 ESocketError: ") + e.Message());
            return {};
        }
        command = QStringLiteral("PORT ") + PortArgument(local->ipv4, std::uint16_t(data_->LocalPort().toInt()));
    }
    byteCount_ = 0;
    okResponses_ = {200, 227};
    next_ = &TCustomFtpEngine::CommandReply;
    SetState(ftpWaitingResponse);
    SendCommand(command);
    return {};
}

QString TCustomFtpEngine::StartRest()
{
    if (QString refusal = CheckReady(true); !refusal.isEmpty())
        return refusal;
    BeginRequest(ftpFctRest, ftpReqRest);
    resumeAt_ = TFtpLocalFile::SizeOf(localFileName_);
    if (resumeAt_ <= 0) {
        EndRequest(0);
        return {};
    }
    okResponses_.clear();
    next_ = &TCustomFtpEngine::CommandReply;
    SetState(ftpWaitingResponse);
    SendCommand(QStringLiteral("REST %1").arg(resumeAt_));
    return {};
}

// --- Data connections ------------------------------------------------------------------------

void TCustomFtpEngine::DataSessionAvailable()
{
    int fd;
    try {
        fd = data_->Accept();
    } catch (const ESocketError&) {
        return;
    }
    if (fd < 0)
        return;
    // Only the server may connect: anyone else who found the port is turned
    // away and the wait goes on.
    QString serverText = control_->GetPeerAddr();
    std::optional<std::uint32_t> expected = ParseDottedAddress(serverText);
    std::uint32_t peer = PeerOf(fd);
    if (!expected || peer != *expected) {
        ::close(fd);
        Trace(QStringLiteral("! Data connection from %1 refused").arg(TSocketAddress{peer, 0}.ToString()));
        return;
    }
    try {
        data_->Dup(fd);
        // The file is closed only after everything was sent: no lingering close.
        data_->SetLingerOnOff(wsLingerOff);
        data_->SetLingerTimeout(10);
        data_->SetLingerOption();
    } catch (const ESocketError& e) {
        FailRequest(acceptSide_ == TDataSide::Receive ? 550 : 426,
                    QStringLiteral("Unable to establish data connection: ") + e.Message());
        return;
    }
    if (!StartDataTls())
        return;
    // Some servers connect as soon as PORT is answered, before the transfer
    // command: the connection then waits for it (StartReceive, StartSend).
    AttachAccepted();
}

void TCustomFtpEngine::AttachAccepted()
{
    if (acceptSide_ == TDataSide::None || data_->State() != wsConnected)
        return;
    dataConnected_ = true;
    if (acceptSide_ == TDataSide::Receive) {
        data_->OnSessionClosed = [this](TCustomAsyncSocket*, int e) { ReceiveClosed(e); };
        data_->OnDataAvailable = [this](TCustomAsyncSocket*, int) { ReceiveData(); };
        data_->OnDataSent = nullptr;
        startTick_ = Now();
        return;
    }
    data_->OnSessionClosed = [this](TCustomAsyncSocket*, int e) { SendClosed(e); };
    data_->OnDataAvailable = nullptr;  // whatever the server sends is read and dropped
    data_->OnDataSent = [this](TCustomAsyncSocket*, int e) {
        blockInFlight_ = false;
        SendData(e);
    };
    int sendBuffer = 0;
    socklen_t length = sizeof sendBuffer;
    if (::getsockopt(data_->HSocket(), SOL_SOCKET, SO_SNDBUF, &sendBuffer, &length) != 0) {
        FailRequest(426, QStringLiteral("winsock.getsockopt(SO_SNDBUF) failed"));
        return;
    }
    if (storeReplyReceived_ && startTick_ == 0)
        PostStartSending();
}

bool TCustomFtpEngine::ConnectDataSocket(void (TCustomFtpEngine::*connected)(int), int failCode)
{
    std::optional<int> port = PortFromPasvReply(pasvResponse_);
    if (!port) {
        FailRequest(failCode, QStringLiteral("%1 Unable to establish data connection: bad PASV reply \"%2\"")
                                  .arg(failCode)
                                  .arg(pasvResponse_));
        return false;
    }
    // The address in the reply is never used: the data connection goes to
    // the server we are talking to, whatever the reply names.
    try {
        data_->SetProto(QStringLiteral("tcp"));
        data_->SetAddr(control_->GetPeerAddr());
        data_->SetPort(QString::number(*port));
        data_->SetLingerOnOff(wsLingerOff);
        data_->SetLingerTimeout(0);
        data_->OnSessionConnected = [this, connected](TCustomAsyncSocket*, int e) { (this->*connected)(e); };
        data_->Connect();
    } catch (const ESocketError& e) {
        FailRequest(failCode, QStringLiteral("%1 ESocketError: ").arg(failCode) + e.Message());
        return false;
    }
    return true;
}

// --- Receiving ---------------------------------------------------------------------------------

QString TCustomFtpEngine::StartReceive(TFtpFct fct)
{
    const QString command = QLatin1String(CommandInfo(fct).verb);
    if (!connected_)
        return command + QStringLiteral(": not connected");
    if (QString refusal = CheckReady(false); !refusal.isEmpty())
        return refusal;
    if (localFileName_.isEmpty() && !displayFileFlag_)
        return QStringLiteral("LocalFileName empty");
    BeginRequest(fct, CommandInfo(fct).type);
    dataCommand_ = command;
    PrepareBlock();
    finalReceived_ = false;
    dataClosed_ = false;
    dataConnected_ = false;
    byteCount_ = 0;
    dataCloseError_ = 0;
    transferError_ = 0;
    transferAborted_ = false;
    displayLine_.clear();
    startTick_ = Now();
    acceptSide_ = TDataSide::Receive;
    if (!displayFileFlag_) {
        localFile_ = TFtpLocalFile::OpenForReceive(localFileName_, resumeAt_, shareMode_);
        if (!localFile_) {
            FailRequest(550, QStringLiteral("Unable to open local file ") + localFileName_);
            return {};
        }
    }
    SetState(ftpWaitingResponse);
    if (passive_ && !ConnectDataSocket(&TCustomFtpEngine::ReceiveConnected, 550))
        return {};
    AttachAccepted();
    next_ = &TCustomFtpEngine::ReceiveFirstReply;
    SendCommand(hostFileName_.isEmpty() ? command : command + u' ' + hostFileName_);
    return {};
}

void TCustomFtpEngine::ReceiveConnected(int error)
{
    if (error != 0) {
        FailRequest(550, QStringLiteral("Unable to establish data connection, error #%1").arg(error));
        return;
    }
    if (!StartDataTls())
        return;
    dataConnected_ = true;
    data_->OnSessionClosed = [this](TCustomAsyncSocket*, int e) { ReceiveClosed(e); };
    data_->OnDataAvailable = [this](TCustomAsyncSocket*, int) { ReceiveData(); };
    data_->OnDataSent = nullptr;
    startTick_ = Now();
}

void TCustomFtpEngine::ReceiveFirstReply(int code, const QString& line)
{
    statusCode_ = code;
    if (code == 125 || code == 150) {
        next_ = &TCustomFtpEngine::ReceiveFinalReply;
        return;
    }
    resumeAt_ = 0;
    FailRequest(code, line);
}

void TCustomFtpEngine::ReceiveFinalReply(int code, const QString& line)
{
    statusCode_ = code;
    if (code == 125 || code == 226 || code == 250) {
        finalReceived_ = true;
        CompletionCheck();
        return;
    }
    Trace(QStringLiteral("! %1 Failed").arg(dataCommand_));
    resumeAt_ = 0;
    FailRequest(code, line);
}

void TCustomFtpEngine::ReceiveData()
{
    if (Progress())
        return;
    int n = data_->Receive(block_.get(), blockCapacity_);
    if (n > 0) {
        byteCount_ += n;
        if (localFile_ && !localFile_->Write(block_.get(), n)) {
            Trace(QStringLiteral("! Error writing local file"));
            transferError_ = 550;
            transferMessage_ = QStringLiteral("550 Error writing local file ") + localFileName_;
            data_->ShutDown(2);
            return;
        }
        if (displayFileFlag_)
            DeliverDisplayLines(block_.get(), n, false);
        return;
    }
    if (n < 0 && data_->LastError() != kWsaEWOULDBLOCK && data_->State() == wsConnected) {
        Trace(QStringLiteral("! Data: Receive error %1").arg(data_->LastError()));
        transferError_ = data_->LastError();
        const QString tls = DataTlsProblem();
        transferMessage_ = tls.isEmpty() ? QStringLiteral("426 Data: Receive error %1").arg(data_->LastError())
                                         : QStringLiteral("426 TLS on the data connection failed: ") + tls;
        data_->ShutDown(2);
    }
}

void TCustomFtpEngine::DeliverDisplayLines(const char* data, long length, bool flush)
{
    // Lines are cut at CR and LF; a run of line ends gives no empty line,
    // and a line split between two reads is delivered whole.
    displayLine_.append(data, length);
    qsizetype start = 0;
    for (qsizetype i = 0; i < displayLine_.size(); ++i) {
        char c = displayLine_[i];
        if (c != '\r' && c != '\n')
            continue;
        if (i > start && OnDisplayFile)
            OnDisplayFile(this, QString::fromUtf8(displayLine_.constData() + start, i - start));
        start = i + 1;
    }
    displayLine_.remove(0, start);
    if ((flush || displayLine_.size() > kMaxDisplayLine) && !displayLine_.isEmpty()) {
        if (OnDisplayFile)
            OnDisplayFile(this, QString::fromUtf8(displayLine_));
        displayLine_.clear();
    }
}

void TCustomFtpEngine::ReceiveClosed(int error)
{
    if (displayFileFlag_)
        DeliverDisplayLines(nullptr, 0, true);
    NoteDataTlsProblem();
    dataClosed_ = true;
    dataCloseError_ = error;
    CompletionCheck();
}

void TCustomFtpEngine::NoteDataTlsProblem()
{
    // Under PROT P, bytes that did not come through TLS are nobody's: the
    // transfer fails, whatever the server then says.
    const QString tls = DataTlsProblem();
    if (tls.isEmpty())
        return;
    Trace(QStringLiteral("! TLS on the data connection failed: ") + tls);
    transferError_ = 426;
    transferMessage_ = QStringLiteral("426 TLS on the data connection failed: ") + tls;
}

void TCustomFtpEngine::CompletionCheck()
{
    if (requestDoneSent_ || !finalReceived_ || !dataClosed_)
        return;
    stopTick_ = Now();
    Trace(QStringLiteral("! ") + TransferStatistics(byteCount_, stopTick_ - startTick_));
    resumeAt_ = 0;
    ResetDataHandlers();
    if (transferAborted_) {
        FailRequest(426, QStringLiteral("426 Transfer aborted by the application"));
        return;
    }
    if (transferError_ != 0) {
        FailRequest(transferError_, transferMessage_);
        return;
    }
    if (dataCloseError_ != 0) {
        FailRequest(dataCloseError_, QStringLiteral("426 Data connection failed: %1 (Winsock error #%2)")
                                         .arg(SocketErrorDesc(dataCloseError_))
                                         .arg(dataCloseError_));
        return;
    }
    if (localFile_ && !localFile_->Commit()) {
        FailRequest(550, QStringLiteral("550 Unable to write local file ") + localFileName_);
        return;
    }
    localFile_.reset();
    result_ = 0;
    EndRequest(0);
}

// --- Sending ------------------------------------------------------------------------------------

QString TCustomFtpEngine::StartSend(bool append)
{
    if (!connected_)
        return QStringLiteral("STOR/APPE: not connected");
    if (QString refusal = CheckReady(false); !refusal.isEmpty())
        return refusal;
    if (localFileName_.isEmpty())
        return QStringLiteral("LocalFileName empty");
    BeginRequest(append ? ftpFctAppend : ftpFctPut, append ? ftpReqAppend : ftpReqPut);
    appendFlag_ = append;
    PrepareBlock();
    finalReceived_ = false;
    dataClosed_ = false;
    dataConnected_ = false;
    storeReplyReceived_ = false;
    transferAborted_ = false;
    blockInFlight_ = false;
    eofFlag_ = false;
    startTick_ = 0;
    byteCount_ = 0;
    dataCloseError_ = 0;
    transferError_ = 0;

    bool cancel = false;
    if (OnReadyToTransmit)
        OnReadyToTransmit(this, cancel);
    if (cancel) {
        Trace(QStringLiteral("! 426 Transmit cancelled by application"));
        FailRequest(426, QStringLiteral("426 Transmit cancelled by application"));
        return {};
    }
    acceptSide_ = TDataSide::Send;
    localFile_ = TFtpLocalFile::OpenForSend(localFileName_, resumeAt_, shareMode_);
    if (!localFile_) {
        Trace(QStringLiteral("! 426 Unable to open local file ") + localFileName_);
        FailRequest(426, QStringLiteral("426 Unable to open local file ") + localFileName_);
        return {};
    }
    SetState(ftpWaitingResponse);
    if (passive_) {
        // STOR goes out once the data connection is made (SendConnected).
        ConnectDataSocket(&TCustomFtpEngine::SendConnected, 426);
        return {};
    }
    AttachAccepted();
    next_ = &TCustomFtpEngine::SendFirstReply;
    SendCommand(TransferCommand());
    return {};
}

void TCustomFtpEngine::SendConnected(int error)
{
    if (error != 0) {
        FailRequest(550, QStringLiteral("Unable to establish data connection, error #%1").arg(error));
        return;
    }
    // STOR goes out at once: servers start their side of the handshake
    // only once they have it.
    if (!StartDataTls())
        return;
    data_->OnSessionClosed = [this](TCustomAsyncSocket*, int e) { SendClosed(e); };
    data_->OnDataAvailable = nullptr;
    data_->OnDataSent = nullptr;
    dataConnected_ = true;
    startTick_ = Now();
    next_ = &TCustomFtpEngine::SendFirstReply;
    SendCommand(TransferCommand());
}

void TCustomFtpEngine::SendFirstReply(int code, const QString& line)
{
    statusCode_ = code;
    if (code != 125 && code != 150) {
        resumeAt_ = 0;
        FailRequest(code, line);
        return;
    }
    storeReplyReceived_ = true;
    next_ = &TCustomFtpEngine::SendFinalReply;
    if (passive_) {
        data_->OnDataSent = [this](TCustomAsyncSocket*, int e) {
            blockInFlight_ = false;
            SendData(e);
        };
        SendData(0);
    } else if (dataConnected_ && startTick_ == 0) {
        // Sending starts once both the reply and the connection are there.
        PostStartSending();
    }
}

void TCustomFtpEngine::StartSending()
{
    if (!localFile_ || requestDoneSent_ || acceptSide_ != TDataSide::Send)
        return;
    startTick_ = Now();
    SendData(0);
}

void TCustomFtpEngine::SendData(int error)
{
    if (!localFile_ || requestDoneSent_)
        return;
    if (Progress())
        return;
    if (error != 0) {
        Trace(QStringLiteral("! Error #%1 sending data").arg(error));
        transferError_ = error;
        transferMessage_ = QStringLiteral("426 Error #%1 sending data").arg(error);
        data_->Close();
        return;
    }
    if (eofFlag_ || !storeReplyReceived_ || !dataConnected_ || blockInFlight_ || data_->State() != wsConnected)
        return;
    long n = localFile_->Read(block_.get(), blockCapacity_);
    if (n < 0) {
        Trace(QStringLiteral("! Error reading file"));
        transferError_ = 426;
        transferMessage_ = QStringLiteral("426 Error reading local file ") + localFileName_;
        data_->Close();
        return;
    }
    if (n == 0) {
        eofFlag_ = true;
        if (dataTls_) {
            // TLS ends with a goodbye each way: ours goes now, and the server
            // closes once it has read it. Closing at once could reset the
            // connection under bytes the server has yet to read (a TLS 1.3
            // server sends us session tickets after the handshake).
            data_->ShutDown(SHUT_WR);
            return;
        }
        data_->Close();
        return;
    }
    byteCount_ += n;
    blockInFlight_ = true;
    data_->Send(block_.get(), int(n));
}

void TCustomFtpEngine::SendFinalReply(int code, const QString& line)
{
    statusCode_ = code;
    if (code == 226 || code == 250) {
        finalReceived_ = true;
        CompletionCheck();
        return;
    }
    Trace(QStringLiteral("! %1 Failed").arg(appendFlag_ ? QStringLiteral("APPE") : QStringLiteral("STOR")));
    FailRequest(code, line);
}

void TCustomFtpEngine::SendClosed(int error)
{
    localFile_.reset();
    NoteDataTlsProblem();
    // A connection that ends before the whole file went out is a failed
    // upload, even if the server then calls it complete.
    if (!eofFlag_ && transferError_ == 0 && !transferAborted_) {
        transferError_ = error ? error : 426;
        transferMessage_ = QStringLiteral("426 Data connection closed before the whole file was sent");
    }
    dataClosed_ = true;
    dataCloseError_ = error;
    CompletionCheck();
}

} // namespace vesk
