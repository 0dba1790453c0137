// FTP passwords in the desktop's keyring (the freedesktop.org secret service, through libsecret).
//
// A password is kept under three attributes, "site", "host" and "login",
// in a schema of the program's own, so a lookup with the same three values
// finds it and nothing else does.
//
// The keyring is only used when one is already running: availability is
// decided without starting anything. With no session bus (no
// DBUS_SESSION_BUS_ADDRESS, or an empty one, and no $XDG_RUNTIME_DIR/bus)
// it is unavailable at once; otherwise the bus is asked, within
// kSecretProbeMs, whether a secret service owns its name (a service that
// the bus could start on demand does not count). The answer is kept for as
// long as the bus address stays the same. Every call is bounded: a probe
// by kSecretProbeMs, a store, lookup or removal by kSecretCallMs (room for
// the desktop's unlock prompt); a call that runs out of time is cancelled
// and fails. Thread-safe; nothing here throws.
#pragma once

#include <QString>

#include <optional>

namespace vesk {

inline constexpr int kSecretProbeMs = 2000;
inline constexpr int kSecretCallMs = 30000;

// The schema name the program's passwords are stored under.
inline constexpr const char* kSecretSchemaName = "org.htmlvesk.FtpPassword";

class SecretStore {
public:
    // True when a secret service is running on the session bus.
    static bool Available();
    // Stores (or replaces) the password of site/host/login in the default
    // collection. False when unavailable or refused.
    static bool Store(const QString& site, const QString& host, const QString& login, const QString& password);
    // The password kept for site/host/login; nullopt when there is none, or
    // when the keyring is unavailable or did not answer in time.
    static std::optional<QString> Lookup(const QString& site, const QString& host, const QString& login);
    // Removes the password of site/host/login. True when the keyring
    // answered (whether or not there was one to remove).
    static bool Remove(const QString& site, const QString& host, const QString& login);
};

} // namespace vesk
