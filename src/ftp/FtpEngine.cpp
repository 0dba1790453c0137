// TCustomFtpEngine: requests, the sequencer, the control connection and its
// replies. Data connections and transfers are in FtpTransfer.cpp.
#include "ftp/FtpEngine.h"

#include "ftp/FtpLocalFile.h"
#include "ftp/FtpReply.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <algorithm>
#include <cstring>

namespace vesk {

namespace {

constexpr QEvent::Type kWmFtpRequestDone = QEvent::Type(QEvent::User + 1);
constexpr QEvent::Type kWmFtpStartSending = QEvent::Type(QEvent::User + 2);

// The request-done message carries the request it reports, so a request
// started before the message is delivered cannot change what it says.
class TFtpRequestDoneMessage : public QEvent {
public:
    TFtpRequestDoneMessage(TFtpRequest type, int code) : QEvent(kWmFtpRequestDone), type(type), code(code) {}
    TFtpRequest type;
    int code;
};

} // namespace

// The engine's own receiver of posted messages.
class TCustomFtpEngine::Window : public QObject {
public:
    explicit Window(TCustomFtpEngine* engine) : engine_(engine) { setObjectName(QStringLiteral("FtpEngineWindow")); }
    bool event(QEvent* e) override
    {
        if (e->type() == kWmFtpRequestDone) {
            auto* done = static_cast<TFtpRequestDoneMessage*>(e);
            if (engine_->OnRequestDone)
                engine_->OnRequestDone(engine_, done->type, done->code);
            return true;
        }
        if (e->type() == kWmFtpStartSending) {
            engine_->StartSending();
            return true;
        }
        return QObject::event(e);
    }

private:
    TCustomFtpEngine* engine_;
};

// --- The commands -------------------------------------------------------------

const TCustomFtpEngine::TCommandInfo& TCustomFtpEngine::CommandInfo(TFtpFct fct)
{
    using S = TCommandInfo;
    static const TCommandInfo table[ftpFctCount + 1] = {
        /* Open    */ {ftpReqOpen, "", S::None, {}, false},
        /* Auth    */ {ftpReqAuth, "AUTH TLS", S::None, {234}, false},
        /* Pbsz    */ {ftpReqPbsz, "PBSZ 0", S::None, {200}, false},
        /* Prot    */ {ftpReqProt, "PROT P", S::None, {200}, false},
        /* User    */ {ftpReqUser, "USER", S::User, {331, 230}, false},
        /* Pass    */ {ftpReqPass, "PASS", S::Pass, {230}, false},
        /* Cwd     */ {ftpReqChangeDir, "CWD", S::HostDir, {200, 250, 257}, true},
        // RFC 959 answers CDUP with 200; many servers say 250.
        /* CDup    */ {ftpReqParentDir, "CDUP", S::None, {250, 200}, true},
        /* TypeSet */ {ftpReqType, "TYPE", S::TypeLetter, {200}, false},
        /* Port    */ {ftpReqPort, "", S::None, {200, 227}, false},
        /* Rest    */ {ftpReqRest, "REST", S::None, {}, false},
        /* Get     */ {ftpReqGet, "RETR", S::HostFile, {}, false},
        /* Put     */ {ftpReqPut, "STOR", S::HostFile, {}, false},
        /* Append  */ {ftpReqAppend, "APPE", S::HostFile, {}, false},
        /* Dir     */ {ftpReqList, "LIST", S::HostFile, {}, false},
        /* Ls      */ {ftpReqNameList, "NLST", S::HostFile, {}, false},
        /* Syst    */ {ftpReqSystem, "SYST", S::None, {215}, false},
        /* Mkd     */ {ftpReqMakeDir, "MKD", S::HostFile, {257}, true},
        /* Rmd     */ {ftpReqRemoveDir, "RMD", S::HostFile, {250, 257}, false},
        /* RenFrom */ {ftpReqRenameFrom, "RNFR", S::HostFile, {350}, false},
        /* RenTo   */ {ftpReqRenameTo, "RNTO", S::Local, {200, 250, 257}, false},
        /* Size    */ {ftpReqSize, "SIZE", S::HostFile, {213}, false},
        /* Dele    */ {ftpReqDelete, "DELE", S::HostFile, {250, 257}, false},
        /* Pwd     */ {ftpReqPrintDir, "PWD", S::None, {250, 257}, true},
        /* Quote   */ {ftpReqQuote, "", S::Local, {}, false},
        /* Quit    */ {ftpReqQuit, "QUIT", S::None, {221}, false},
        /* None    */ {ftpReqNone, "", S::None, {}, false},
    };
    return table[fct];
}

// --- Life ----------------------------------------------------------------------------

TCustomFtpEngine::TCustomFtpEngine()
    : window_(std::make_unique<Window>(this)), control_(std::make_unique<TAsyncSocket>()),
      data_(std::make_unique<TAsyncSocket>())
{
    control_->OnDnsLookupDone = [this](TCustomAsyncSocket*, int error) { ControlDnsLookupDone(error); };
    control_->OnSessionConnected = [this](TCustomAsyncSocket*, int error) { ControlSessionConnected(error); };
    control_->OnDataAvailable = [this](TCustomAsyncSocket*, int) { ControlDataAvailable(); };
    control_->OnSessionClosed = [this](TCustomAsyncSocket*, int error) { ControlSessionClosed(error); };
}

TCustomFtpEngine::~TCustomFtpEngine()
{
    // Nothing is reported while the engine goes: the sockets close quietly.
    control_->OnSessionClosed = nullptr;
    control_->OnDnsLookupDone = nullptr;
    ResetDataHandlers();
    localFile_.reset();
}

// --- State, trace, refusals ---------------------------------------------------------

void TCustomFtpEngine::SetState(TFtpState state)
{
    if (state == state_)
        return;
    state_ = state;
    if (OnStateChange)
        OnStateChange(this);
}

void TCustomFtpEngine::Trace(const QString& text)
{
    if (OnDisplay)
        OnDisplay(this, text);
}

void TCustomFtpEngine::Refuse(const QString& text)
{
    if (OnError) {
        OnError(this, text);
        return;
    }
    throw EFtpError(text);
}

QString TCustomFtpEngine::CheckReady(bool needConnection) const
{
    if (state_ != ftpReady && state_ != ftpInternalReady)
        return QStringLiteral("FTP component not ready");
    if (needConnection && !connected_)
        return QStringLiteral("FTP component not connected");
    return {};
}

QString TCustomFtpEngine::CheckArguments(TFctSet steps) const
{
    auto uses = [&](std::initializer_list<TFtpFct> fcts) {
        return std::any_of(fcts.begin(), fcts.end(), [&](TFtpFct f) { return steps & (1u << f); });
    };
    struct Field {
        bool used;
        const QString& value;
        const char* name;
    };
    const Field fields[] = {
        {uses({ftpFctUser}), userName_, "UserName"},
        {uses({ftpFctPass}), passWord_, "PassWord"},
        {uses({ftpFctCwd}), hostDirName_, "HostDirName"},
        {uses({ftpFctGet, ftpFctPut, ftpFctAppend, ftpFctDir, ftpFctLs, ftpFctMkd, ftpFctRmd, ftpFctRenFrom,
               ftpFctSize, ftpFctDele}),
         hostFileName_, "HostFileName"},
        {uses({ftpFctRenTo, ftpFctQuote}), localFileName_, "LocalFileName"},
    };
    for (const Field& f : fields)
        if (f.used && HoldsLineBreak(f.value))
            return QStringLiteral("%1 holds CR, LF or NUL").arg(QLatin1String(f.name));
    return {};
}

// --- Starting requests ------------------------------------------------------------------

bool TCustomFtpEngine::RunOne(TFtpFct fct)
{
    QString refusal = StartFct(fct);
    if (refusal.isEmpty())
        return true;
    Refuse(refusal);
    return false;
}

QString TCustomFtpEngine::StartFct(TFtpFct fct)
{
    if (QString bad = CheckArguments(1u << fct); !bad.isEmpty())
        return bad;
    switch (fct) {
    case ftpFctOpen:
        return StartOpen();
    case ftpFctPort:
        return StartPort();
    case ftpFctRest:
        return StartRest();
    case ftpFctGet:
    case ftpFctDir:
    case ftpFctLs:
        return StartReceive(fct);
    case ftpFctPut:
        return StartSend(false);
    case ftpFctAppend:
        return StartSend(true);
    default:
        return StartCommand(fct);
    }
}

void TCustomFtpEngine::BeginRequest(TFtpFct fct, TFtpRequest type)
{
    fct_ = fct;
    if (!sequence_) {
        requestType_ = type;
        // A request's failure is its own: an earlier one's text must not stay.
        errorMessage_.clear();
    }
    requestDoneSent_ = false;
    result_ = 0;
    closeWhenDone_ = false;
    next_ = nullptr;
}

QString TCustomFtpEngine::StartCommand(TFtpFct fct)
{
    const TCommandInfo& info = CommandInfo(fct);
    if (QString refusal = CheckReady(true); !refusal.isEmpty())
        return refusal;
    QString arg;
    switch (info.arg) {
    case TCommandInfo::User:
        if (userName_.isEmpty())
            return QStringLiteral("UserName empty");
        arg = userName_;
        break;
    case TCommandInfo::Pass:
        if (passWord_.isEmpty())
            return QStringLiteral("Password empty");
        arg = passWord_;
        break;
    case TCommandInfo::HostDir:
        if (hostDirName_.isEmpty())
            return QStringLiteral("HostDirName empty");
        arg = hostDirName_;
        break;
    case TCommandInfo::HostFile:
        arg = hostFileName_;
        break;
    case TCommandInfo::Local:
        arg = localFileName_;
        break;
    case TCommandInfo::TypeLetter:
        arg = binary_ ? QStringLiteral("I") : QStringLiteral("A");
        break;
    case TCommandInfo::None:
        break;
    }
    BeginRequest(fct, info.type);
    okResponses_.clear();
    for (int code : info.ok)
        if (code != 0)
            okResponses_.push_back(code);
    next_ = &TCustomFtpEngine::CommandReply;
    closeWhenDone_ = fct == ftpFctQuit;
    if (fct == ftpFctSize)
        sizeResult_ = 0;
    SetState(ftpWaitingResponse);
    QString verb = QLatin1String(info.verb);
    if (fct == ftpFctQuote)
        SendCommand(arg);
    else
        SendCommand(info.arg == TCommandInfo::None ? verb : verb + u' ' + arg);
    return {};
}

void TCustomFtpEngine::SendCommand(const QString& text)
{
    QString command = text;
    if (OnCommand)
        OnCommand(this, command);
    if (HoldsLineBreak(command)) {
        FailRequest(500, QStringLiteral("500 Command holds CR, LF or NUL"));
        return;
    }
    // The password never reaches the trace.
    bool secret = command.startsWith(QLatin1String("PASS "), Qt::CaseInsensitive);
    Trace(QStringLiteral("> ") + (secret ? QStringLiteral("PASS ****") : command));
    if (control_->State() == wsConnected)
        control_->SendStr((command + QStringLiteral("\r\n")).toUtf8());
}

// --- Ending requests ---------------------------------------------------------------------

void TCustomFtpEngine::EndRequest(int code)
{
    if (requestDoneSent_)
        return;
    requestDoneSent_ = true;
    if (sequence_) {
        lastStepResult_ = code;
        if (state_ != ftpAbort)
            SetState(ftpInternalReady);
        Sequencer();
        return;
    }
    FinishRequest(code, false);
}

void TCustomFtpEngine::FinishRequest(int code, bool wasSequence)
{
    requestDoneSent_ = true;
    requestResult_ = code;
    next_ = nullptr;
    CloseDataSocket();
    ReleaseLocalFile();
    if (wasSequence && savedStatus_ != -1) {
        lastResponse_ = savedResponse_;
        statusCode_ = savedStatus_;
    }
    sequence_ = false;
    fctSet_ = 0;
    SetState(ftpReady);
    PostRequestDone(requestType_, code);
}

void TCustomFtpEngine::FailRequest(int code, const QString& message)
{
    lastResponse_ = message;
    errorMessage_ = message;
    statusCode_ = code;
    result_ = code;
    next_ = nullptr;
    CloseDataSocket();
    ReleaseLocalFile();
    EndRequest(code);
}

void TCustomFtpEngine::PostStartSending()
{
    QCoreApplication::postEvent(window_.get(), new QEvent(kWmFtpStartSending));
}

void TCustomFtpEngine::PostRequestDone(TFtpRequest type, int code)
{
    QCoreApplication::postEvent(window_.get(), new TFtpRequestDoneMessage(type, code));
}

// --- Sequences ------------------------------------------------------------------------------

bool TCustomFtpEngine::RunSequence(TFtpRequest type, TFctSet steps)
{
    // A session that opens is made TLS first, unless the user chose plain FTP.
    if ((steps & (1u << ftpFctOpen)) && encryption_ != ftpTlsNone)
        steps |= (1u << ftpFctAuth) | (1u << ftpFctPbsz) | (1u << ftpFctProt);
    QString refusal;
    if (connected_ && (steps & (1u << ftpFctOpen)))
        refusal = QStringLiteral("FTP component already connected");
    else if (state_ != ftpReady && state_ != ftpInternalReady)
        refusal = QStringLiteral("FTP component not ready");
    else
        refusal = CheckArguments(steps);
    if (!refusal.isEmpty()) {
        Refuse(refusal);
        return false;
    }
    savedResponse_ = lastResponse_;
    savedStatus_ = -1;
    requestType_ = type;
    result_ = 0;
    fctSet_ = steps;
    fctPrev_ = ftpFctNone;
    lastStepResult_ = 0;
    sequenceResult_ = 0;
    sequence_ = true;
    lastResponse_.clear();
    errorMessage_.clear();
    requestDoneSent_ = false;
    Sequencer();
    return true;
}

void TCustomFtpEngine::Sequencer()
{
    if (state_ == ftpAbort) {
        fctSet_ = 0;
        sequenceResult_ = 426;
        errorMessage_ = QStringLiteral("426 Operation aborted.");
    } else if (fctPrev_ != ftpFctNone && lastStepResult_ != 0) {
        // The first failure is the sequence's; a planned QUIT still goes out
        // while there is a connection to send it on.
        sequenceResult_ = lastStepResult_;
        const TFctSet quit = 1u << ftpFctQuit;
        fctSet_ = (fctSet_ & quit) && fctPrev_ != ftpFctQuit && connected_ ? quit : 0;
    }
    lastStepResult_ = 0;
    for (int f = 0; f < ftpFctCount; ++f) {
        const TFtpFct fct = TFtpFct(f);
        if (!(fctSet_ & (1u << fct)))
            continue;
        fctSet_ &= ~(1u << fct);
        if (fct == ftpFctPass && fctPrev_ == ftpFctUser && statusCode_ != 331)
            continue;  // USER was answered 230: no password is asked for
        if (fct == ftpFctCwd && hostDirName_.isEmpty())
            continue;
        if (fct == ftpFctGet && !(fctPrev_ == ftpFctRest && resumeAt_ >= 0 && statusCode_ == 350))
            resumeAt_ = 0;
        if (fct == ftpFctQuit) {
            savedResponse_ = lastResponse_;
            savedStatus_ = statusCode_;
        }
        fctPrev_ = fct;
        QString refusal = StartFct(fct);
        if (!refusal.isEmpty()) {
            // A step that cannot start fails the sequence like a negative reply.
            if (errorMessage_.isEmpty())
                errorMessage_ = refusal;
            requestDoneSent_ = false;
            EndRequest(500);
        }
        return;
    }
    fctSet_ = 0;
    FinishRequest(sequenceResult_, true);
}

// --- Public requests ----------------------------------------------------------------------------

bool TCustomFtpEngine::OpenAsync()
{
    // With TLS, opening is the greeting and the TLS set-up, reported once.
    return encryption_ == ftpTlsNone ? RunOne(ftpFctOpen) : RunSequence(ftpReqOpen, 1u << ftpFctOpen);
}
bool TCustomFtpEngine::UserAsync() { return RunOne(ftpFctUser); }
bool TCustomFtpEngine::PassAsync() { return RunOne(ftpFctPass); }
bool TCustomFtpEngine::ChangeDirAsync() { return RunOne(ftpFctCwd); }
bool TCustomFtpEngine::PrintDirAsync() { return RunOne(ftpFctPwd); }
bool TCustomFtpEngine::ParentDirAsync() { return RunOne(ftpFctCDup); }
bool TCustomFtpEngine::SystemAsync() { return RunOne(ftpFctSyst); }
bool TCustomFtpEngine::QuitAsync() { return RunOne(ftpFctQuit); }
bool TCustomFtpEngine::SetTypeAsync() { return RunOne(ftpFctTypeSet); }
bool TCustomFtpEngine::TypeBinaryAsync()
{
    binary_ = true;
    return RunOne(ftpFctTypeSet);
}
bool TCustomFtpEngine::TypeAsciiAsync()
{
    binary_ = false;
    return RunOne(ftpFctTypeSet);
}
bool TCustomFtpEngine::FileSizeAsync() { return RunOne(ftpFctSize); }
bool TCustomFtpEngine::MakeDirAsync() { return RunOne(ftpFctMkd); }
bool TCustomFtpEngine::RemoveDirAsync() { return RunOne(ftpFctRmd); }
bool TCustomFtpEngine::DeleteAsync() { return RunOne(ftpFctDele); }
bool TCustomFtpEngine::RenameFromAsync() { return RunOne(ftpFctRenFrom); }
bool TCustomFtpEngine::RenameToAsync() { return RunOne(ftpFctRenTo); }
bool TCustomFtpEngine::QuoteAsync() { return RunOne(ftpFctQuote); }
bool TCustomFtpEngine::RestAsync() { return RunOne(ftpFctRest); }
bool TCustomFtpEngine::PortAsync() { return RunOne(ftpFctPort); }
bool TCustomFtpEngine::RetrAsync() { return RunOne(ftpFctGet); }
bool TCustomFtpEngine::DirAsync() { return RunOne(ftpFctDir); }
bool TCustomFtpEngine::LsAsync() { return RunOne(ftpFctLs); }
bool TCustomFtpEngine::StorAsync() { return RunOne(ftpFctPut); }
bool TCustomFtpEngine::AppeAsync() { return RunOne(ftpFctAppend); }

namespace {
constexpr std::uint32_t Steps(std::initializer_list<int> fcts)
{
    std::uint32_t set = 0;
    for (int f : fcts)
        set |= 1u << f;
    return set;
}
} // namespace

#define VESK_SEQUENCE(name, type, ...) \
    bool TCustomFtpEngine::name() { return RunSequence(type, Steps({__VA_ARGS__})); }

VESK_SEQUENCE(ConnectAsync, ftpReqConnect, ftpFctOpen, ftpFctUser, ftpFctPass)
VESK_SEQUENCE(GetAsync, ftpReqGet, ftpFctPort, ftpFctGet)
VESK_SEQUENCE(PutAsync, ftpReqPut, ftpFctPort, ftpFctPut)
VESK_SEQUENCE(AppendAsync, ftpReqAppend, ftpFctPort, ftpFctAppend)
VESK_SEQUENCE(ListAsync, ftpReqList, ftpFctPort, ftpFctDir)
VESK_SEQUENCE(NameListAsync, ftpReqNameList, ftpFctPort, ftpFctLs)
VESK_SEQUENCE(ResumeGetAsync, ftpReqResumeGet, ftpFctPort, ftpFctRest, ftpFctGet)
VESK_SEQUENCE(RenameAsync, ftpReqRename, ftpFctRenFrom, ftpFctRenTo)
VESK_SEQUENCE(ReceiveAsync, ftpReqReceive, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd, ftpFctTypeSet, ftpFctPort,
              ftpFctGet, ftpFctQuit)
VESK_SEQUENCE(ResumeReceiveAsync, ftpReqResumeSession, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd, ftpFctTypeSet,
              ftpFctPort, ftpFctRest, ftpFctGet, ftpFctQuit)
VESK_SEQUENCE(TransmitAsync, ftpReqTransmit, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd, ftpFctTypeSet, ftpFctPort,
              ftpFctPut, ftpFctQuit)
VESK_SEQUENCE(AppendFileAsync, ftpReqTransmit, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd, ftpFctTypeSet,
              ftpFctPort, ftpFctAppend, ftpFctQuit)
VESK_SEQUENCE(ListSessionAsync, ftpReqListSession, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd, ftpFctPort,
              ftpFctDir, ftpFctQuit)
VESK_SEQUENCE(NameListSessionAsync, ftpReqNameListSession, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd,
              ftpFctPort, ftpFctLs, ftpFctQuit)
VESK_SEQUENCE(SystemSessionAsync, ftpReqSystemSession, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctSyst, ftpFctQuit)
VESK_SEQUENCE(MakeDirSessionAsync, ftpReqMakeDirSession, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd, ftpFctMkd,
              ftpFctQuit)
VESK_SEQUENCE(RemoveDirSessionAsync, ftpReqRemoveDirSession, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd,
              ftpFctRmd, ftpFctQuit)
VESK_SEQUENCE(DeleteSessionAsync, ftpReqDeleteSession, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd, ftpFctDele,
              ftpFctQuit)
VESK_SEQUENCE(RenameSessionAsync, ftpReqRenameSession, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd,
              ftpFctRenFrom, ftpFctRenTo, ftpFctQuit)
VESK_SEQUENCE(SizeSessionAsync, ftpReqSize, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd, ftpFctSize, ftpFctQuit)
VESK_SEQUENCE(QuoteSessionAsync, ftpReqQuoteSession, ftpFctOpen, ftpFctUser, ftpFctPass, ftpFctCwd, ftpFctQuote,
              ftpFctQuit)

#undef VESK_SEQUENCE

// --- Abort ------------------------------------------------------------------------------------------

void TCustomFtpEngine::Abort()
{
    SetState(ftpAbort);
    control_->CancelDnsLookup();
    if (control_->State() != wsClosed)
        control_->Abort();
    ResetDataHandlers();
    if (data_->State() != wsClosed)
        data_->Abort();
    ReleaseLocalFile();
    connected_ = false;
    if (!requestDoneSent_) {
        result_ = 426;
        statusCode_ = 426;
        errorMessage_ = QStringLiteral("426 Operation aborted.");
        EndRequest(426);
    }
    SetState(ftpReady);
}

// --- The control connection ---------------------------------------------------------------------------

QString TCustomFtpEngine::StartOpen()
{
    if (connected_)
        return QStringLiteral("FTP component already connected");
    if (QString refusal = CheckReady(false); !refusal.isEmpty())
        return refusal;
    BeginRequest(ftpFctOpen, ftpReqOpen);
    tls_.reset();
    controlTls_.reset();
    dataTls_.reset();
    protP_ = false;
    fellBackToPlain_ = false;
    rcvCnt_ = 0;
    openReplyCode_ = 0;
    SetState(ftpDnsLookup);
    if (!IsValidHostText(hostName_)) {
        ControlDnsLookupDone(kWsaEINVAL);
        return {};
    }
    try {
        control_->DnsLookup(hostName_);
    } catch (const ESocketError&) {
        ControlDnsLookupDone(control_->LastError() ? control_->LastError() : kWsaHOST_NOT_FOUND);
    }
    return {};
}

void TCustomFtpEngine::ControlDnsLookupDone(int error)
{
    if (state_ != ftpDnsLookup)
        return;
    if (error != 0) {
        lastResponse_ = QStringLiteral("500 %1 (Winsock error #%2)").arg(SocketErrorDesc(error)).arg(error);
        statusCode_ = result_ = 500;
        errorMessage_ = lastResponse_;
        EndRequest(error);
        return;
    }
    SetState(ftpWaitingBanner);
    try {
        control_->SetAddr(control_->DnsResult());
        control_->SetProto(QStringLiteral("tcp"));
        control_->SetPort(port_);
        control_->Connect();
    } catch (const ESocketError& e) {
        lastResponse_ = QStringLiteral("500 ESocketError: ") + e.Message();
        statusCode_ = result_ = 500;
        errorMessage_ = lastResponse_;
        EndRequest(500);
    }
}

void TCustomFtpEngine::ControlSessionConnected(int error)
{
    if (error != 0) {
        lastResponse_ = QStringLiteral("500 %1 (Winsock error #%2)").arg(SocketErrorDesc(error)).arg(error);
        statusCode_ = result_ = 500;
        errorMessage_ = lastResponse_;
        EndRequest(error);
        control_->Close();
        SetState(ftpReady);
        return;
    }
    connected_ = true;
}

void TCustomFtpEngine::ControlDataAvailable()
{
    int n = control_->Receive(rcvBuf_ + rcvCnt_, kFtpReplyBufferSize - rcvCnt_);
    if (n == 0) {
        control_->Close();
        return;
    }
    if (n < 0)
        return;
    rcvCnt_ += n;
    // Complete lines are taken out of the buffer first, so a handler that
    // runs events cannot see it half consumed.
    QList<QByteArray> lines;
    const bool acceptLF = options_.testFlag(ftpAcceptLF);
    int start = 0;
    for (;;) {
        const char* from = rcvBuf_ + start;
        const char* lf = static_cast<const char*>(std::memchr(from, '\n', std::size_t(rcvCnt_ - start)));
        if (!acceptLF) {
            while (lf && (lf == from || lf[-1] != '\r'))
                lf = static_cast<const char*>(
                    std::memchr(lf + 1, '\n', std::size_t(rcvBuf_ + rcvCnt_ - (lf + 1))));
        }
        if (!lf)
            break;
        int end = int(lf - rcvBuf_);
        QByteArray line(from, end - start);
        while (line.endsWith('\r') || line.endsWith('\n'))
            line.chop(1);
        lines.append(line);
        start = end + 1;
    }
    std::memmove(rcvBuf_, rcvBuf_ + start, std::size_t(rcvCnt_ - start));
    rcvCnt_ -= start;
    const quint64 session = session_;
    const quint64 epoch = controlEpoch_;
    for (const QByteArray& line : lines) {
        HandleLine(line);
        // Lines that came in the clear after the connection turned TLS are
        // not the server's (they were injected before the handshake): dropped.
        if (session != session_ || epoch != controlEpoch_)
            return;
    }
    if (rcvCnt_ == kFtpReplyBufferSize)
        ReplyLineTooLong();
}

void TCustomFtpEngine::ReplyLineTooLong()
{
    // The conversation cannot be followed past a line we could not read:
    // the request fails and the connection goes.
    rcvCnt_ = 0;
    Trace(QStringLiteral("! Reply line longer than %1 bytes").arg(kFtpReplyBufferSize));
    if (!requestDoneSent_) {
        lastResponse_ = errorMessage_ = QStringLiteral("500 Reply line too long");
        statusCode_ = result_ = 500;
    }
    control_->Close();
}

void TCustomFtpEngine::HandleLine(const QByteArray& raw)
{
    const QString line = QString::fromUtf8(raw);
    lastResponse_ = line;
    if (OnResponse)
        OnResponse(this);
    Trace(QStringLiteral("< ") + line);
    if (state_ != ftpWaitingBanner && state_ != ftpWaitingResponse)
        return;
    const TFtpLine kind = ClassifyReplyLine(raw, openReplyCode_);
    switch (kind.kind) {
    case TFtpLineKind::Text:
        // Text outside a reply is passed over, but not as the answer to
        // AUTH TLS: waiting on would only end in a time-out.
        if (fct_ == ftpFctAuth && openReplyCode_ == 0 && state_ == ftpWaitingResponse)
            FailRequest(500, QStringLiteral("500 The answer to AUTH TLS is not an FTP reply: ") + line);
        return;
    case TFtpLineKind::MultiStart:
        openReplyCode_ = kind.code;
        return;
    case TFtpLineKind::Malformed:
        if (state_ == ftpWaitingBanner) {
            lastResponse_ = errorMessage_ = QStringLiteral("500 Malformed reply: ") + line;
            statusCode_ = result_ = 500;
            control_->Close();
        } else {
            FailRequest(500, QStringLiteral("500 Malformed reply: ") + line);
        }
        return;
    case TFtpLineKind::Final:
        break;
    }
    openReplyCode_ = 0;
    if (state_ == ftpWaitingBanner) {
        statusCode_ = kind.code;
        if (kind.code != 220) {
            errorMessage_ = line;
            result_ = kind.code;
            control_->Close();
            return;
        }
        SetState(ftpConnected);
        if (OnSessionConnected)
            OnSessionConnected(this, 0);
        EndRequest(0);
        return;
    }
    if (!next_) {
        FailRequest(500, QStringLiteral("Program error: no reply handler"));
        return;
    }
    (this->*next_)(kind.code, line);
}

void TCustomFtpEngine::CommandReply(int code, const QString& line)
{
    if (fct_ == ftpFctAuth) {
        AuthReply(code, line);
        return;
    }
    statusCode_ = code;
    if (!okResponses_.empty())
        result_ = std::find(okResponses_.begin(), okResponses_.end(), code) != okResponses_.end() ? 0 : code;
    else
        result_ = code < 500 ? 0 : code;
    if (result_ != 0 && errorMessage_.isEmpty())
        errorMessage_ = line;
    if (passive_ && code == 227)
        pasvResponse_ = line;
    if (result_ == 0) {
        if (fct_ == ftpFctProt)
            protP_ = true;
        if (fct_ == ftpFctSize)
            sizeResult_ = SizeFromReply(line);
        if (CommandInfo(fct_).storesDir)
            dirResult_ = QuotedDirectory(line);
    }
    if (closeWhenDone_) {
        // QUIT: the request ends when the close is reported.
        closeWhenDone_ = false;
        next_ = nullptr;
        control_->Close();
        return;
    }
    EndRequest(result_);
}

void TCustomFtpEngine::ControlSessionClosed(int error)
{
    ++session_;
    rcvCnt_ = 0;
    openReplyCode_ = 0;
    protP_ = false;
    const QString tlsProblem = ControlTlsProblem();
    if (connected_) {
        connected_ = false;
        if (state_ != ftpAbort)
            SetState(ftpNotConnected);
        if (OnSessionClosed)
            OnSessionClosed(this, error);
    }
    if (state_ == ftpAbort)
        return;  // Abort ends the request itself
    SetState(ftpInternalReady);
    if (requestDoneSent_) {
        SetState(ftpReady);
        return;
    }
    // A request that was still waiting has failed: only after QUIT does a
    // closing server mean that all went well.
    if (!tlsProblem.isEmpty() && fct_ != ftpFctQuit) {
        lastResponse_ = errorMessage_ = QStringLiteral("500 TLS failed: ") + tlsProblem;
        statusCode_ = result_ = 500;
    } else if (result_ == 0 && fct_ != ftpFctQuit) {
        lastResponse_ = error ? QStringLiteral("500 Connection lost: %1 (Winsock error #%2)")
                                    .arg(SocketErrorDesc(error))
                                    .arg(error)
                              : QStringLiteral("500 Connection closed by the server");
        errorMessage_ = lastResponse_;
        statusCode_ = result_ = 500;
    }
    EndRequest(result_);
}

} // namespace vesk
