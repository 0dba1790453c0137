// Connecting through a SOCKS proxy of level 4, 4A or 5.
//
// With SocksServer empty (the default) every call and event passes through
// to the socket proper. With a server, Connect opens the connection to the
// proxy instead and runs the proxy's handshake as soon as it is made; the
// user's OnSessionConnected is held back until the handshake has ended, with
// 0 or the SOCKS error below. A failure fires OnSocksError(code, text), then
// OnSessionConnected(code), then closes the socket with that code.
#pragma once

#include "net/AsyncSocket.h"

#include <array>
#include <cstdint>

namespace vesk {

enum TSocksAuthentication { socksNoAuthentication, socksAuthenticateUsercode };
enum TSocksAuthState { socksAuthStart, socksAuthSuccess, socksAuthFailure };

// SOCKS error codes of OnSocksError and OnSessionConnected.
inline constexpr int kSocksLogicError = 20001;        // "socket logic error", "too much data available"
inline constexpr int kSocksVersionError = 20002;      // "socks version error"
inline constexpr int kSocksMethodRefused = 20003;     // "authentication method not acceptable"
inline constexpr int kSocksGeneralFailure = 20004;    // level 5 replies 1 to 8: 20004 to 20011
inline constexpr int kSocksConnectionRefused = 20008;
inline constexpr int kSocksAddressType = 20011;       // "address type not supported"
inline constexpr int kSocksUnassignedError = 20012;   // "unassigned error #<code>"
inline constexpr int kSocksInternalError = 20013;     // "internal error"
inline constexpr int kSocksAuthenticationFailed = 20015;
inline constexpr int kSocksRequestRejected = 20016;   // level 4 reply 91
inline constexpr int kSocksCannotResolve = 20017;     // a level 4 target without an address

using TSocksErrorEvent = std::function<void(TCustomAsyncSocket* sender, int error, const QString& msg)>;
using TSocksAuthStateEvent = std::function<void(TCustomAsyncSocket* sender, TSocksAuthState authState)>;

class TCustomSocksSocket : public TCustomAsyncSocket {
public:
    TCustomSocksSocket() = default;

    // "4", "4A" or "5" (accepted in either case, stored in upper case), else
    // "Invalid socks level. Must be 4, 4A or 5."; only while closed ("Can't
    // change socks level if not closed"). Every close sets it back to "5".
    QString SocksLevel() const { return socksLevel_; }
    void SetSocksLevel(const QString& level);
    // A non-empty server turns the proxy on. Only while closed ("Can't change
    // socks server if not closed", "… socks port …"); every close clears both.
    QString SocksServer() const { return socksServer_; }
    void SetSocksServer(const QString& server);
    QString SocksPort() const { return socksPort_; }
    void SetSocksPort(const QString& port);
    // Level 4 and 4A send the user code up to its first NUL (a NUL ends the
    // field on the wire); level 5 sends user code and password of at most
    // 255 bytes each, longer ones fail as "socks authentication failed".
    QString SocksUsercode() const { return socksUsercode_; }
    void SetSocksUsercode(const QString& usercode) { socksUsercode_ = usercode; }
    QString SocksPassword() const { return socksPassword_; }
    void SetSocksPassword(const QString& password) { socksPassword_ = password; }
    TSocksAuthentication SocksAuthentication() const { return socksAuthentication_; }
    void SetSocksAuthentication(TSocksAuthentication value) { socksAuthentication_ = value; }
    // The address and port a level 5 proxy reported for the connection
    // (dotted, or the name it gave); empty before a level 5 handshake ended.
    QString SocksBoundAddr() const { return boundAddr_; }
    QString SocksBoundPort() const { return boundPort_; }

    // With a proxy: only "tcp" ("tcp is the only protocol supported thru
    // socks server"); the target Addr must be a valid host text of at most
    // 255 bytes ("connect: SocketResolveHost: '<text>' Invalid Hostname.").
    void Connect() override;
    // Refused with a proxy: "listening is not supported thru socks server".
    void Listen() override;

    // Fired when the connection to the proxy is made or fails, before the handshake.
    TSocketErrorEvent OnSocksConnected;
    TSocksErrorEvent OnSocksError;
    // socksAuthStart when the user-name/password exchange starts,
    // socksAuthSuccess when it succeeds, socksAuthFailure when it fails or
    // the connection closes during it.
    TSocksAuthStateEvent OnSocksAuthState;

protected:
    void TriggerSessionConnected(int error) override;
    bool TriggerDataAvailable(int error) override;
    void TriggerDataSent(int error) override;
    void TriggerSessionClosed(int error) override;
    TSocketAddress ConnectDestination() override;
    void ResetAfterClose() override;
    // True while the proxy's handshake runs (the connection to the proxy is made).
    bool SocksHandshaking() const { return phase_ >= Phase::WaitMethod; }

private:
    enum class Phase { None, Connecting, WaitMethod, WaitAuth, WaitConnect5, WaitConnect4 };

    void StartHandshake();
    void SendConnectRequest5();
    void ReadReply();
    void MethodReply();
    void AuthReply();
    void ConnectReply5();
    void ConnectReply4();
    void Succeed();
    void Fail(int code, const QString& message);
    // Bytes of the reply this phase still needs before it can be judged.
    int BytesWanted() const;
    // A proxy must not speak before it has been asked: bytes already waiting
    // after a reply are a protocol fault.
    bool ExtraDataWaiting();
    void ReportAuthState(TSocksAuthState state);

    QString socksLevel_ = QStringLiteral("5");
    QString socksServer_;
    QString socksPort_;
    QString socksUsercode_;
    QString socksPassword_;
    TSocksAuthentication socksAuthentication_ = socksNoAuthentication;
    QString boundAddr_;
    QString boundPort_;

    Phase phase_ = Phase::None;
    // The longest reply: a level 5 reply with a 255-byte domain name.
    std::array<std::uint8_t, 4 + 1 + 255 + 2> reply_{};
    int received_ = 0;
};

} // namespace vesk
