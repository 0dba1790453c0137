// Addresses of the socket layer and the blocking resolution functions.
//
// The layer speaks IPv4, as its callers expect dotted addresses; every
// address passes through TSocketAddress so that IPv6 can be added in one place.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

struct sockaddr;
struct sockaddr_in;

namespace vesk {

struct TSocketAddress {
    std::uint32_t ipv4 = 0;  // host byte order
    std::uint16_t port = 0;  // host byte order

    // "a.b.c.d"
    QString ToString() const;
    void ToSockaddr(sockaddr_in& out) const;
    // nullopt for anything but an IPv4 address.
    static std::optional<TSocketAddress> FromSockaddr(const sockaddr* address);
    friend bool operator==(const TSocketAddress&, const TSocketAddress&) = default;
};

// True when the text can be handed to a resolver as a name: not empty, at
// most 256 characters, and free of NULs, blanks and other control
// characters (a NUL would silently shorten the name a resolver sees).
bool IsValidHostText(const QString& host);

// Parses a numeric address the classic way ("a.b.c.d", also the short and
// hexadecimal forms, "255.255.255.255" included); nullopt when it is not one.
std::optional<std::uint32_t> ParseDottedAddress(const QString& text);

// The address of a host name or dotted address. A text that is empty, longer
// than 256 characters or holds a NUL, blank or control character raises
// ESocketError "SocketResolveHost: '<text>' Invalid Hostname."; a text that
// starts with a digit must be a dotted address, else "SocketResolveHost:
// '<text>' Invalid IP address."; any other text is looked up (blocking) and
// a failure raises "SocketResolveHost: Cannot convert host address '<text>'".
// Control characters of the text are shown as "?" in the messages.
TSocketAddress SocketResolveHost(const QString& host);

// A port number (host byte order) for a decimal text or a service name of
// `protocol` ("tcp", "udp"). Empty or 32 characters or longer:
// "SocketResolvePort: Invalid Port."; a text starting with a digit is read
// as a decimal number up to its first non-digit, and a number above 65535
// gives the same "Invalid Port." (it cannot name a port); an unknown service
// name: "SocketResolvePort: Cannot convert port '<text>'".
int SocketResolvePort(const QString& port, const QString& protocol);

// A protocol number for a decimal text or a protocol name. Empty or 32
// characters or longer: "SocketResolveProto: Invalid Protocol."; a number is
// read as SocketResolvePort reads it; an unknown name:
// "SocketResolveProto: Cannot convert protocol '<text>'".
int SocketResolveProto(const QString& proto);

// The text with control characters shown as "?", for messages that echo input.
QString PrintableText(const QString& text);

} // namespace vesk
