#pragma once

#include "contacts/contactsStore.h"
#include "contactsFixture.h"
#include "engine/eventLoopDeferredRequests.h"
#include "engine/pagingEngine.h"
#include "fixedClock.h"
#include "pointService.h"
#include "recordingOutputs.h"
#include "settings/activityLog.h"
#include "settings/settings.h"
#include "transport/socketClient.h"

#include <QTimer>

namespace corvane::test {

// The engine through the real socket client, on a real contacts table with the given contacts,
// with the deferred requests run by the event loop and the 333 ms tick every tickMs milliseconds.
class SocketEngineFixture : public ContactsFixture {
protected:
    struct Contact {
        QString name;
        QString id;
        int service;
        std::initializer_list<int> groups;
    };

    SocketEngineFixture(std::initializer_list<Contact> contacts, int tickMs) {
        reader.Open();
        for (const Contact& c : contacts) {
            addContact(reader, c.name, c.id, c.service, c.groups);
        }
        reader.First();
        fillBuiltinServiceTable(engine.serviceTable());
        engine.prepareSendJob();
        deferred.setEngine(&engine);
        client.setEvents(&engine);
        ticks.callOnTimeout(&ticks, [this] { engine.Timer1Timer(); });
        ticks.start(tickMs);
    }
    // Sends the service's pages to host:port (a loopback test server, usually).
    void pointService(int service, const QString& host, int port) {
        test::pointService(engine.serviceTable(), service, host, port);
    }

    contactsCursor reader{dataModule};
    ContactsStore store{reader};
    SocketClient client;
    RecordingOutputs outputs;
    EventLoopDeferredRequests deferred;
    Settings settings;
    FixedClock clock{QDateTime(QDate(2013, 3, 14), QTime(15, 7, 45))};
    ActivityLog log{settings, clock, LongTimeFormat{}};
    PagingEngine engine{
        EngineWiring{client, outputs, store, deferred, settings, log, clock, LongTimeFormat{}, nullptr}};
    QTimer ticks;
};

} // namespace corvane::test
