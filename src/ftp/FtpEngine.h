// TCustomFtpEngine: an FTP client (RFC 959) that never blocks. Every
// operation is a request that sends one command or runs a fixed sequence
// of commands over a control connection, and transfers use a second
// connection opened for each one. A request ends by posting a
// request-done event to the engine's own QObject; OnRequestDone fires when
// the event loop delivers it.
//
// The engine is a state machine with one door: every change of state goes
// through SetState (and fires OnStateChange), the states are named after
// what they wait for, and each kind of reply has its own handler. The whole
// conversation is reported through OnDisplay: "> " commands sent (the
// password masked), "< " reply lines, "! " local notes.
//
// Threads: one. The engine, its sockets and its events belong to the
// thread that created it, which must run an event loop or pump events.
//
// Refused calls (not ready, not connected, an empty or unsafe name) go to
// OnError when it is assigned, otherwise they raise EFtpError; nothing is
// sent then. Every command argument (UserName, PassWord, HostDirName,
// HostFileName, LocalFileName as RNTO name or raw command) that holds CR,
// LF or NUL is refused, so a name can never carry a second command.
//
// Handlers may read the engine and call Abort; they must not destroy it.
#pragma once

#include "ftp/FtpTypes.h"
#include "net/SyncSocket.h"
#include "net/TlsTransport.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vesk {

class TFtpLocalFile;
class TCustomFtpEngine;

using TFtpDisplayEvent = std::function<void(TCustomFtpEngine* sender, const QString& text)>;
using TFtpCommandEvent = std::function<void(TCustomFtpEngine* sender, QString& command)>;
using TFtpNotifyEvent = std::function<void(TCustomFtpEngine* sender)>;
using TFtpProgressEvent = std::function<void(TCustomFtpEngine* sender, qint64 count, bool& abort)>;
using TFtpSessionEvent = std::function<void(TCustomFtpEngine* sender, int error)>;
using TFtpRequestDoneEvent = std::function<void(TCustomFtpEngine* sender, TFtpRequest rqType, int error)>;
using TFtpReadyToTransmitEvent = std::function<void(TCustomFtpEngine* sender, bool& cancel)>;

// Bytes of the control connection held while a reply line is incomplete.
inline constexpr int kFtpReplyBufferSize = 4096;
// Bytes read from a data connection at a time, and sent at a time (one
// block in flight: the next is read from the file only once the socket has
// sent the last one). See the README's FTP section for the size.
inline constexpr int kFtpDefaultBlockSize = 65536;

class TCustomFtpEngine {
public:
    TCustomFtpEngine();
    virtual ~TCustomFtpEngine();
    TCustomFtpEngine(const TCustomFtpEngine&) = delete;
    TCustomFtpEngine& operator=(const TCustomFtpEngine&) = delete;

    // --- Settings.
    QString HostName() const { return hostName_; }
    void SetHostName(const QString& v) { hostName_ = v; }
    // A service name or a number; "ftp" at first.
    QString Port() const { return port_; }
    void SetPort(const QString& v) { port_ = v; }
    QString UserName() const { return userName_; }
    void SetUserName(const QString& v) { userName_ = v; }
    QString PassWord() const { return passWord_; }
    void SetPassWord(const QString& v) { passWord_ = v; }
    QString HostDirName() const { return hostDirName_; }
    void SetHostDirName(const QString& v) { hostDirName_ = v; }
    // The remote file of RETR, STOR, APPE, SIZE, DELE, MKD, RMD, RNFR, and
    // the argument of LIST and NLST when not empty.
    QString HostFileName() const { return hostFileName_; }
    void SetHostFileName(const QString& v) { hostFileName_ = v; }
    // The local file of a transfer; the new name for RNTO; the command of Quote.
    QString LocalFileName() const { return localFileName_; }
    void SetLocalFileName(const QString& v) { localFileName_ = v; }
    // Received data goes to OnDisplayFile line by line instead of a file.
    bool DisplayFileFlag() const { return displayFileFlag_; }
    void SetDisplayFileFlag(bool v) { displayFileFlag_ = v; }
    // Type "I" when on (the default), "A" when off; sent by SetTypeAsync.
    bool Binary() const { return binary_; }
    void SetBinary(bool v) { binary_ = v; }
    TFtpShareMode ShareMode() const { return shareMode_; }
    void SetShareMode(TFtpShareMode v) { shareMode_ = v; }
    TFtpOptions Options() const { return options_; }
    void SetOptions(TFtpOptions v) { options_ = v; }
    // The transfer block (kFtpDefaultBlockSize at first); values below 512
    // count as 512. Takes effect at the next transfer.
    int BlockSize() const { return blockSize_; }
    void SetBlockSize(int bytes) { blockSize_ = bytes < 512 ? 512 : bytes; }
    // PASV instead of PORT; off at first.
    bool Passive() const { return passive_; }
    void SetPassive(bool v) { passive_ = v; }
    // Explicit TLS for the sessions opened from now on; ftpTlsNone at first.
    // Every request or sequence that opens a session (OpenAsync included)
    // then sends AUTH TLS after the greeting, makes the control connection
    // TLS, and sends PBSZ 0 and PROT P, so that every data connection is
    // TLS too (resuming the control connection's session). Nothing else is
    // sent on the control connection until its handshake has succeeded.
    TFtpEncryption Encryption() const { return encryption_; }
    void SetEncryption(TFtpEncryption v) { encryption_ = v; }
    // The SHA-256 fingerprint (64 hexadecimal digits, no colons) of a
    // server certificate the user chose to trust although it does not
    // verify; empty for none.
    QString TrustedCertificate() const { return trustedCertificate_; }
    void SetTrustedCertificate(const QString& sha256) { trustedCertificate_ = sha256; }

    // --- Results.
    // The reply line (or local error text) that made the last request fail;
    // cleared when a request or sequence starts.
    QString ErrorMessage() const { return errorMessage_; }
    QString LastResponse() const { return lastResponse_; }
    int StatusCode() const { return statusCode_; }
    // The code the last request ended with, 0 for success.
    int LastResult() const { return requestResult_; }
    TFtpState State() const { return state_; }
    bool Connected() const { return connected_; }
    TFtpRequest RequestType() const { return requestType_; }
    // SIZE's number; 0 before one succeeded.
    qint64 SizeResult() const { return sizeResult_; }
    // The quoted path of the last CWD, MKD, PWD or CDUP reply.
    QString DirResult() const { return dirResult_; }
    // Bytes of the current (or last) transfer, and where it resumed.
    qint64 ByteCount() const { return byteCount_; }
    qint64 ResumeAt() const { return resumeAt_; }
    // The two connections, for layers added on the byte path (TLS).
    TAsyncSocket& ControlSocket() { return *control_; }
    TAsyncSocket& DataSocket() { return *data_; }
    // The control connection is connected and TLS.
    bool Encrypted() const;
    // "If available" found no TLS on the server: the session is plain FTP.
    bool FellBackToPlain() const { return fellBackToPlain_; }
    // The server certificate of the session's last handshake (also of one
    // that was refused); empty when there was none.
    TCertificateInfo PeerCertificate() const;
    // The last session failed because the server's certificate was not
    // accepted (it did not verify and was not the trusted one): the user
    // may be asked whether to trust PeerCertificate(). Changed: a trusted
    // fingerprint was set and the server showed another certificate.
    bool CertificateRefused() const;
    bool CertificateChanged() const;

    // --- One-command requests (and Open). Each needs the engine ready and,
    // except Open, connected. Every request returns true when it started
    // (or ended at once; OnRequestDone follows either way) and false when
    // it was refused and OnError took the text.
    bool OpenAsync();
    bool UserAsync();
    bool PassAsync();
    bool ChangeDirAsync();
    bool PrintDirAsync();
    bool ParentDirAsync();
    bool SystemAsync();
    bool QuitAsync();
    bool SetTypeAsync();
    bool TypeBinaryAsync();
    bool TypeAsciiAsync();
    bool FileSizeAsync();
    bool MakeDirAsync();
    bool RemoveDirAsync();
    bool DeleteAsync();
    bool RenameFromAsync();
    bool RenameToAsync();
    bool QuoteAsync();
    // REST with the size of LocalFileName; ends at once, sending nothing,
    // when that file is missing or empty.
    bool RestAsync();
    // PASV, or a listening data socket and PORT.
    bool PortAsync();
    // Transfers; each needs a PortAsync just before.
    bool RetrAsync();
    bool DirAsync();   // LIST
    bool LsAsync();    // NLST
    bool StorAsync();
    bool AppeAsync();

    // --- Sequences, reported once at the end.
    bool ConnectAsync();        // Open, User, Pass
    bool GetAsync();            // Port, RETR
    bool PutAsync();            // Port, STOR
    bool AppendAsync();         // Port, APPE
    bool ListAsync();           // Port, LIST
    bool NameListAsync();       // Port, NLST
    bool ResumeGetAsync();      // Port, Rest, RETR
    bool RenameAsync();         // RNFR, RNTO
    bool ReceiveAsync();        // whole sessions: Open … Quit
    bool ResumeReceiveAsync();
    bool TransmitAsync();
    bool AppendFileAsync();
    bool ListSessionAsync();
    bool NameListSessionAsync();
    bool SystemSessionAsync();
    bool MakeDirSessionAsync();
    bool RemoveDirSessionAsync();
    bool DeleteSessionAsync();
    bool RenameSessionAsync();
    bool SizeSessionAsync();
    bool QuoteSessionAsync();

    // Ends whatever runs at once: both connections closed, the local file
    // released (a download's old file kept), the engine ready. A request
    // that was running ends with 426 "426 Operation aborted.".
    void Abort();

    // --- Events (sender first).
    TFtpDisplayEvent OnDisplay;
    TFtpDisplayEvent OnDisplayFile;
    TFtpCommandEvent OnCommand;
    TFtpNotifyEvent OnResponse;
    TFtpProgressEvent OnProgress;
    TFtpSessionEvent OnSessionConnected;
    TFtpSessionEvent OnSessionClosed;
    TFtpRequestDoneEvent OnRequestDone;
    TFtpNotifyEvent OnStateChange;
    TFtpReadyToTransmitEvent OnReadyToTransmit;
    // Receives the text of a refused call instead of an exception.
    TFtpDisplayEvent OnError;

protected:
    // Every progress report passes here; true asks the transfer to stop.
    virtual bool TriggerProgress(qint64 count);
    void SetErrorMessage(const QString& text) { errorMessage_ = text; }
    void SetStatusCode(int code) { statusCode_ = code; }

private:
    class Window;
    friend class Window;

    // The steps of sequences, in the order the sequencer runs them.
    enum TFtpFct {
        ftpFctOpen, ftpFctAuth, ftpFctPbsz, ftpFctProt, ftpFctUser, ftpFctPass, ftpFctCwd, ftpFctCDup, ftpFctTypeSet, ftpFctPort, ftpFctRest,
        ftpFctGet, ftpFctPut, ftpFctAppend, ftpFctDir, ftpFctLs, ftpFctSyst, ftpFctMkd, ftpFctRmd,
        ftpFctRenFrom, ftpFctRenTo, ftpFctSize, ftpFctDele, ftpFctPwd, ftpFctQuote, ftpFctQuit,
        ftpFctCount, ftpFctNone = ftpFctCount,
    };
    using TFctSet = std::uint32_t;
    using TReplyHandler = void (TCustomFtpEngine::*)(int code, const QString& line);

    // What a step sends and which replies mean success.
    struct TCommandInfo {
        enum Arg { None, HostFile, HostDir, User, Pass, Local, TypeLetter };
        TFtpRequest type;
        const char* verb;
        Arg arg;
        int ok[3];  // success codes, 0-terminated; none: every code below 500
        bool storesDir;
    };
    static const TCommandInfo& CommandInfo(TFtpFct fct);

    // The one door for state changes.
    void SetState(TFtpState state);
    void Trace(const QString& text);
    // Reports a refused call (OnError or EFtpError).
    void Refuse(const QString& text);
    // Starts one step; a refusal comes back as its text (empty: started).
    QString StartFct(TFtpFct fct);
    QString CheckReady(bool needConnection) const;
    QString CheckArguments(TFctSet steps) const;
    bool RunOne(TFtpFct fct);
    bool RunSequence(TFtpRequest type, TFctSet steps);
    void BeginRequest(TFtpFct fct, TFtpRequest type);
    void FinishRequest(int code, bool wasSequence);
    void Sequencer();
    QString StartCommand(TFtpFct fct);
    void SendCommand(const QString& text);
    void EndRequest(int code);
    // Ends the request in flight with `code`: ErrorMessage and the last
    // reply become `message`, the data connection closes, a download's
    // temporary file goes.
    void FailRequest(int code, const QString& message);
    void PostRequestDone(TFtpRequest type, int code);

    // Control connection.
    QString StartOpen();
    void ControlDnsLookupDone(int error);
    void ControlSessionConnected(int error);
    void ControlDataAvailable();
    void ControlSessionClosed(int error);
    void HandleLine(const QByteArray& raw);
    void ReplyLineTooLong();
    void CommandReply(int code, const QString& line);

    // TLS (FtpTls.cpp).
    void AuthReply(int code, const QString& line);
    // Gives `socket` a TLS transport of the session's context and starts
    // its handshake; `which` names the connection in the trace.
    bool AttachTls(TAsyncSocket& socket, bool resume, const QString& which,
                   std::shared_ptr<const TTlsStatus>& status);
    bool StartControlTls();
    bool StartDataTls();
    // Why the data connection of the transfer cannot be trusted (PROT P and
    // no finished handshake, or a TLS failure); empty when all is well.
    QString DataTlsProblem() const;
    // At the data connection's close: a TLS problem makes the transfer fail.
    void NoteDataTlsProblem();
    // The reason a TLS control connection went, empty when TLS is not why.
    QString ControlTlsProblem() const;

    // Data connections and transfers (FtpTransfer.cpp).
    QString StartPort();
    QString StartRest();
    QString StartReceive(TFtpFct fct);
    QString StartSend(bool append);
    void DataSessionAvailable();
    // Gives an accepted data connection the handlers of the transfer in flight.
    void AttachAccepted();
    bool AcceptData();
    void ReceiveConnected(int error);
    void ReceiveFirstReply(int code, const QString& line);
    void ReceiveFinalReply(int code, const QString& line);
    void ReceiveData();
    void ReceiveClosed(int error);
    void SendConnected(int error);
    void SendFirstReply(int code, const QString& line);
    void SendFinalReply(int code, const QString& line);
    void SendData(int error);
    void SendClosed(int error);
    void StartSending();
    void PostStartSending();
    void CompletionCheck();
    void DeliverDisplayLines(const char* data, long length, bool flush);
    bool Progress();
    bool ConnectDataSocket(void (TCustomFtpEngine::*connected)(int), int failCode);
    void CloseDataSocket();
    void ReleaseLocalFile();
    void ResetDataHandlers();
    QString TransferCommand() const;

    std::unique_ptr<Window> window_;
    std::unique_ptr<TAsyncSocket> control_;
    std::unique_ptr<TAsyncSocket> data_;

    QString hostName_, port_ = QStringLiteral("ftp"), userName_, passWord_, hostDirName_, hostFileName_,
        localFileName_;
    bool displayFileFlag_ = false;
    bool binary_ = true;
    TFtpShareMode shareMode_ = ftpShareExclusive;
    TFtpOptions options_ = ftpAcceptLF;
    bool passive_ = false;
    TFtpEncryption encryption_ = ftpTlsNone;
    QString trustedCertificate_;

    // TLS of the session: the context lives until the next session opens, so
    // that what was learnt of the certificate can still be asked for.
    std::unique_ptr<TTlsClientContext> tls_;
    std::shared_ptr<const TTlsStatus> controlTls_;
    std::shared_ptr<const TTlsStatus> dataTls_;
    bool protP_ = false;            // PROT P accepted: data connections are TLS
    bool fellBackToPlain_ = false;
    quint64 controlEpoch_ = 0;      // changes when the control connection turns TLS

    TFtpState state_ = ftpReady;
    bool connected_ = false;
    quint64 session_ = 0;  // changes with every close of the control connection
    TFtpRequest requestType_ = ftpReqNone;
    TFtpFct fct_ = ftpFctNone;   // the request or step in flight
    int result_ = 0;             // of the command in flight
    int requestResult_ = 0;      // of the last request that ended
    int statusCode_ = 0;
    QString lastResponse_;
    QString errorMessage_;
    bool requestDoneSent_ = true;
    std::vector<int> okResponses_;
    TReplyHandler next_ = nullptr;
    bool closeWhenDone_ = false;  // QUIT: the request ends when the close is reported
    int openReplyCode_ = 0;       // code of the multi-line reply being read

    // Sequencer.
    bool sequence_ = false;
    TFctSet fctSet_ = 0;
    TFtpFct fctPrev_ = ftpFctNone;
    int lastStepResult_ = 0;
    int sequenceResult_ = 0;
    QString savedResponse_;
    int savedStatus_ = -1;

    char rcvBuf_[kFtpReplyBufferSize];
    int rcvCnt_ = 0;

    // Transfer.
    QString dataCommand_;
    std::unique_ptr<TFtpLocalFile> localFile_;
    qint64 byteCount_ = 0;
    qint64 resumeAt_ = 0;
    bool eofFlag_ = false;
    bool finalReceived_ = false;
    bool dataClosed_ = true;
    bool dataConnected_ = false;
    bool storeReplyReceived_ = false;
    bool transferAborted_ = false;
    bool blockInFlight_ = false;
    int dataCloseError_ = 0;
    qint64 startTick_ = 0;
    qint64 stopTick_ = 0;
    bool appendFlag_ = false;
    QString pasvResponse_;
    enum class TDataSide { None, Receive, Send } acceptSide_ = TDataSide::None;  // who takes an accepted connection
    int transferError_ = 0;        // a local failure that makes the transfer fail whatever the server says
    QString transferMessage_;
    QByteArray displayLine_;
    int blockSize_ = kFtpDefaultBlockSize;
    std::unique_ptr<char[]> block_;
    int blockCapacity_ = 0;
    void PrepareBlock();

    qint64 sizeResult_ = 0;
    QString dirResult_;
};

} // namespace vesk
