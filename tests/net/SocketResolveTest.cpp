// The resolution functions and the mapping of system errors to the
// socket layer's numbers and texts.
#include "net/AsyncSocket.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <netdb.h>

using namespace vesk;

namespace {

// The value as text, or the message it was refused with.
template <class F>
QString Outcome(F resolve)
{
    try {
        return resolve();
    } catch (const ESocketError& e) {
        return e.Message();
    }
}

} // namespace

TEST(SocketResolveTest, Hosts)
{
    const struct {
        QString host;
        QString outcome;
    } rows[] = {
        {"127.0.0.1", "127.0.0.1"},
        {"255.255.255.255", "255.255.255.255"},
        {"10.1", "10.0.0.1"},
        {"localhost", "127.0.0.1"},
        {"", "SocketResolveHost: '' Invalid Hostname."},
        {QString(257, 'a'), "SocketResolveHost: '" + QString(257, 'a') + "' Invalid Hostname."},
        {"two words", "SocketResolveHost: 'two words' Invalid Hostname."},
        {"1.2.3.4 junk", "SocketResolveHost: '1.2.3.4 junk' Invalid Hostname."},
        {QString::fromLatin1("local\0host", 10), "SocketResolveHost: 'local?host' Invalid Hostname."},
        {"3com.example", "SocketResolveHost: '3com.example' Invalid IP address."},
        {"1.2.3.4.5", "SocketResolveHost: '1.2.3.4.5' Invalid IP address."},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Outcome([&] { return SocketResolveHost(row.host).ToString(); }), row.outcome)
            << row.host.toStdString();
}

TEST(SocketResolveTest, PortsAndProtocols)
{
    const struct {
        QString port;
        QString outcome;
    } ports[] = {
        {"21", "21"},
        {"8080abc", "8080"},
        {"ftp", "21"},
        {QString(31, '0') , "0"},
        {"65536", "SocketResolvePort: Invalid Port."},
        {"", "SocketResolvePort: Invalid Port."},
        {QString(32, '1'), "SocketResolvePort: Invalid Port."},
        {"no-such-service", "SocketResolvePort: Cannot convert port 'no-such-service'"},
        {QString::fromLatin1("ftp\0x", 5), "SocketResolvePort: Cannot convert port 'ftp?x'"},
    };
    for (const auto& row : ports)
        EXPECT_EQ(Outcome([&] { return QString::number(SocketResolvePort(row.port, "tcp")); }), row.outcome)
            << row.port.toStdString();

    const struct {
        QString proto;
        QString outcome;
    } protos[] = {
        {"tcp", "6"},
        {"udp", "17"},
        {"17", "17"},
        {"", "SocketResolveProto: Invalid Protocol."},
        {QString(32, 'p'), "SocketResolveProto: Invalid Protocol."},
        {"no-such-protocol", "SocketResolveProto: Cannot convert protocol 'no-such-protocol'"},
    };
    for (const auto& row : protos)
        EXPECT_EQ(Outcome([&] { return QString::number(SocketResolveProto(row.proto)); }), row.outcome)
            << row.proto.toStdString();
}

TEST(SocketResolveTest, SystemErrorsBecomeWinsockNumbersAndTexts)
{
    const struct {
        int code;
        int expected;
        const char* text;
    } errnos[] = {
        {ECONNREFUSED, 10061, "Connection refused"},
        {ECONNRESET, 10054, "Connection reset by peer"},
        {EPIPE, 10054, "Connection reset by peer"},
        {ETIMEDOUT, 10060, "Connection timed out"},
        {EAGAIN, 10035, "Operation would block"},
        {EINPROGRESS, 10036, "Operation now in progress"},
        {ENOTCONN, 10057, "Socket is not connected"},
        {EADDRINUSE, 10048, "Address already in use"},
        {EHOSTUNREACH, 10065, "No route to host"},
        {EMFILE, 10024, "Too many open files"},
        {0, 0, "No Error"},
    };
    for (const auto& row : errnos) {
        EXPECT_EQ(WinsockErrorFromErrno(row.code), row.expected) << row.code;
        EXPECT_EQ(SocketErrorDesc(row.expected), QString::fromLatin1(row.text));
    }
    EXPECT_EQ(WinsockErrorFromResolver(EAI_NONAME, 0), 11001);
    EXPECT_EQ(SocketErrorDesc(11001), QStringLiteral("Host not found"));
    EXPECT_EQ(WinsockErrorFromResolver(EAI_AGAIN, 0), 11002);
    EXPECT_EQ(WinsockErrorFromResolver(EAI_SYSTEM, ECONNREFUSED), 10061);
    EXPECT_EQ(SocketErrorDesc(12345), QStringLiteral("Not a WinSock error"));
}
