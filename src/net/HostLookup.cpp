// Host look-ups that run on a worker thread and answer by a posted event.
#include "net/HostLookup.h"

#include "net/SocketAddress.h"
#include "net/SocketErrors.h"

#include <QCoreApplication>
#include <QObject>
#include <QUrl>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

namespace vesk {

namespace {

struct Pending {
    QObject* receiver;
    QEvent::Type type;
};

// Running look-ups by id. The worker posts only while its id is listed, and
// it posts under the lock, so a receiver that cancelled is never posted to.
std::mutex& RegistryMutex()
{
    static std::mutex mutex;
    return mutex;
}
std::unordered_map<quint64, Pending>& Registry()
{
    static auto* registry = new std::unordered_map<quint64, Pending>;
    return *registry;
}

std::atomic<quint64> g_nextId{1};

void Resolve(const QByteArray& query, bool reverse, int& error, QStringList& answers)
{
    if (reverse) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        if (inet_pton(AF_INET, query.constData(), &address.sin_addr) != 1) {
            error = kWsaEINVAL;
            return;
        }
        char host[NI_MAXHOST];
        int rc = getnameinfo(reinterpret_cast<sockaddr*>(&address), sizeof address, host, sizeof host, nullptr,
                             0, NI_NAMEREQD);
        error = WinsockErrorFromResolver(rc, errno);
        if (rc == 0)
            answers << QString::fromUtf8(host);
        return;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    int rc = getaddrinfo(query.constData(), nullptr, &hints, &result);
    error = WinsockErrorFromResolver(rc, errno);
    if (rc != 0)
        return;
    for (addrinfo* a = result; a; a = a->ai_next)
        if (std::optional<TSocketAddress> address = TSocketAddress::FromSockaddr(a->ai_addr)) {
            QString text = address->ToString();
            if (!answers.contains(text))
                answers << text;
        }
    freeaddrinfo(result);
    if (answers.isEmpty())
        error = kWsaNO_DATA;
}

} // namespace

quint64 NextHostLookupId()
{
    return g_nextId.fetch_add(1);
}

quint64 StartHostLookup(QObject* receiver, QEvent::Type type, const QString& query, bool reverse, int& error)
{
    quint64 id = NextHostLookupId();
    QByteArray text = reverse ? query.toLatin1() : QUrl::toAce(query);
    if (text.isEmpty()) {
        // A name that has no ASCII form cannot exist in the DNS.
        text = query.toUtf8();
    }
    {
        std::lock_guard lock(RegistryMutex());
        Registry().emplace(id, Pending{receiver, type});
    }
    try {
        std::thread([id, text, reverse] {
            int error = 0;
            QStringList answers;
            Resolve(text, reverse, error, answers);
            std::lock_guard lock(RegistryMutex());
            auto it = Registry().find(id);
            if (it == Registry().end())
                return;
            QCoreApplication::postEvent(it->second.receiver,
                                        new THostLookupEvent(it->second.type, id, error, std::move(answers)));
            Registry().erase(it);
        }).detach();
    } catch (const std::system_error& e) {
        std::lock_guard lock(RegistryMutex());
        Registry().erase(id);
        error = WinsockErrorFromErrno(e.code().value());
        return 0;
    }
    return id;
}

bool CancelHostLookup(quint64 id)
{
    std::lock_guard lock(RegistryMutex());
    return Registry().erase(id) > 0;
}

} // namespace vesk
