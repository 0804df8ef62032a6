#pragma once

#include "engine/contactDirectory.h"
#include "engine/deferredRequests.h"

#include <deque>
#include <functional>
#include <vector>

namespace corvane::test {

// Contacts kept in memory, in insertion order; lookups fold A to Z like the real name index.
class FakeContacts final : public ContactDirectory {
public:
    std::vector<contactRecordType> contacts;
    int lookups = 0;

    void add(const QString& name, const QString& id, int service, std::initializer_list<int> groups = {},
             const QString& password = QString()) {
        contactRecordType c;
        c.name = name;
        c.id = id;
        c.serviceNumber = service;
        c.password = password;
        for (int g : groups) {
            c.memberGr[g] = true;
        }
        contacts.push_back(c);
    }
    void remove(const QString& name) {
        std::erase_if(contacts, [&](const contactRecordType& c) { return c.name == name; });
    }
    bool lookupContact(const QString& name, LookedUpContact& found) override {
        ++lookups;
        for (const auto& c : contacts) {
            if (c.name.compare(name, Qt::CaseInsensitive) == 0) {
                found = LookedUpContact{c.id, c.serviceNumber, c.password};
                return true;
            }
        }
        return false;
    }
    void readAllContacts(const std::function<void(const contactRecordType&)>& visit) override {
        for (const auto& c : contacts) {
            visit(c);
        }
    }
    void readGroupMembers(int group, const std::function<void(const contactRecordType&)>& visit) override {
        readAllContacts([&](const contactRecordType& c) {
            if (c.isMemberOf(group)) {
                visit(c);
            }
        });
    }
};

// Deferred requests wait in a queue until the test lets the "event loop" run them.
class QueuedRequests final : public DeferredRequests {
public:
    std::deque<char> queue; // 'g' gotDisconnect, 't' tryAlt
    void postGotDisconnect() override { queue.push_back('g'); }
    void postTryAlt() override { queue.push_back('t'); }
};

} // namespace corvane::test
