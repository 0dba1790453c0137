// Host look-ups that run on a worker thread and answer by a posted event.
//
// The answer is posted to a receiver object, so it is handled on the
// receiver's thread like any other event. A cancelled look-up never posts:
// the receiver may be destroyed as soon as it has cancelled its look-ups.
#pragma once

#include <QEvent>
#include <QString>
#include <QStringList>

class QObject;

namespace vesk {

class THostLookupEvent : public QEvent {
public:
    THostLookupEvent(QEvent::Type type, quint64 id, int error, QStringList answers)
        : QEvent(type), id(id), error(error), answers(std::move(answers))
    {
    }
    quint64 id;
    int error;            // 0 or a Winsock number (11001 host not found, …)
    QStringList answers;  // forward: dotted IPv4 addresses in the resolver's order; reverse: the name
};

// Starts a look-up: forward (`query` a host name) or reverse (`query` a dotted
// IPv4 address). Returns its id (never 0); 0 with `error` set when no worker
// thread could be started. The caller must have checked the query's text.
quint64 StartHostLookup(QObject* receiver, QEvent::Type type, const QString& query, bool reverse, int& error);

// Forgets a look-up: its answer is not posted. Ids that were answered or
// never existed are ignored. Returns whether it was still running.
bool CancelHostLookup(quint64 id);

// A fresh id for an answer the caller posts itself (an address answered at once).
quint64 NextHostLookupId();

} // namespace vesk
