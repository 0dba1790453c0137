// Passwords in the desktop's keyring through libsecret, with every call bounded in time.
// glib's headers use "signals" as a name, which Qt defines as a keyword: they come first.
#include <libsecret/secret.h>

#include "platform/SecretStore.h"

#include <QByteArray>
#include <QFileInfo>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace vesk {

namespace {

const SecretSchema* PasswordSchema()
{
    static const SecretSchema schema = []() {
        SecretSchema s{};  // the unused attribute slots and reserved fields stay zero
        s.name = kSecretSchemaName;
        s.flags = SECRET_SCHEMA_NONE;
        s.attributes[0] = {"site", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[1] = {"host", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[2] = {"login", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return s;
    }();
    return &schema;
}

// A cancellable that a watchdog thread cancels when `ms` have passed, so a
// keyring or bus that stops answering cannot hold the program.
class Deadline {
public:
    explicit Deadline(int ms) : cancellable_(g_cancellable_new())
    {
        watchdog_ = std::thread([this, ms]() {
            std::unique_lock lock(mutex_);
            if (!cv_.wait_for(lock, std::chrono::milliseconds(ms), [this]() { return done_; }))
                g_cancellable_cancel(cancellable_);
        });
    }
    ~Deadline()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        cv_.notify_one();
        watchdog_.join();
        g_object_unref(cancellable_);
    }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;
    GCancellable* get() const { return cancellable_; }

private:
    GCancellable* cancellable_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    std::thread watchdog_;
};

// The session bus the process would talk to, or empty when there is none.
// An address set but empty counts as none (that is how a caller switches
// the keyring off), without falling back to the runtime folder.
QByteArray SessionBusAddress()
{
    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        return qgetenv("DBUS_SESSION_BUS_ADDRESS").trimmed();
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty())
        return {};
    const QByteArray socket = runtime + "/bus";
    // Only an existing socket: glib would otherwise try to launch a bus.
    if (!QFileInfo(QString::fromLocal8Bit(socket)).exists())
        return {};
    return "unix:path=" + socket;
}

// Asks the bus, without starting anything, whether a secret service runs.
bool ProbeSecretService()
{
    Deadline deadline(kSecretProbeMs);
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, deadline.get(), &error);
    if (!bus) {
        g_clear_error(&error);
        return false;
    }
    // The shared connection would end the whole program if the bus went
    // away; an editor outlives its desktop session's helpers.
    g_dbus_connection_set_exit_on_close(bus, FALSE);
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner",
        g_variant_new("(s)", "org.freedesktop.secrets"), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NO_AUTO_START,
        kSecretProbeMs, deadline.get(), &error);
    g_object_unref(bus);
    if (!reply) {
        g_clear_error(&error);
        return false;
    }
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

std::mutex g_probeMutex;
QByteArray g_probedAddress;
bool g_probedAvailable = false;

} // namespace

bool SecretStore::Available()
{
    const QByteArray address = SessionBusAddress();
    if (address.isEmpty())
        return false;
    std::lock_guard lock(g_probeMutex);
    if (address != g_probedAddress) {
        g_probedAvailable = ProbeSecretService();
        g_probedAddress = address;
    }
    return g_probedAvailable;
}

bool SecretStore::Store(const QString& site, const QString& host, const QString& login, const QString& password)
{
    if (!Available())
        return false;
    const QByteArray s = site.toUtf8(), h = host.toUtf8(), l = login.toUtf8(), p = password.toUtf8();
    const QByteArray label = "HTML Vesk FTP password for " + l + "@" + h + " (" + s + ")";
    Deadline deadline(kSecretCallMs);
    GError* error = nullptr;
    const gboolean stored =
        secret_password_store_sync(PasswordSchema(), SECRET_COLLECTION_DEFAULT, label.constData(), p.constData(),
                                   deadline.get(), &error, "site", s.constData(), "host", h.constData(), "login",
                                   l.constData(), static_cast<char*>(nullptr));
    g_clear_error(&error);
    return stored;
}

std::optional<QString> SecretStore::Lookup(const QString& site, const QString& host, const QString& login)
{
    if (!Available())
        return std::nullopt;
    const QByteArray s = site.toUtf8(), h = host.toUtf8(), l = login.toUtf8();
    Deadline deadline(kSecretCallMs);
    GError* error = nullptr;
    gchar* password = secret_password_lookup_sync(PasswordSchema(), deadline.get(), &error, "site", s.constData(),
                                                  "host", h.constData(), "login", l.constData(),
                                                  static_cast<char*>(nullptr));
    g_clear_error(&error);
    if (!password)
        return std::nullopt;
    QString found = QString::fromUtf8(password);
    secret_password_free(password);  // wipes the copy before freeing it
    return found;
}

bool SecretStore::Remove(const QString& site, const QString& host, const QString& login)
{
    if (!Available())
        return false;
    const QByteArray s = site.toUtf8(), h = host.toUtf8(), l = login.toUtf8();
    Deadline deadline(kSecretCallMs);
    GError* error = nullptr;
    secret_password_clear_sync(PasswordSchema(), deadline.get(), &error, "site", s.constData(), "host", h.constData(),
                               "login", l.constData(), static_cast<char*>(nullptr));
    const bool answered = error == nullptr;
    g_clear_error(&error);
    return answered;
}

} // namespace vesk
