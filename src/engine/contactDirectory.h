#pragma once

#include "platform/oneBased.h"
#include "settings/settings.h"

#include <QString>
#include <functional>

namespace corvane {

// A contact as the engine and the windows read it. Values never set read as empty text, 0 or false.
struct contactRecordType {
    QString name;
    QString id;
    int serviceNumber = 0;
    QString password;
    OneBased<bool, groupCount> memberGr; // memberGr[1] is group 1

    bool isMemberOf(int group) const { return memberGr.contains(group) && memberGr[group]; }
};

// What a lookup by name yields; the caller keeps it as the looked-up contact.
struct LookedUpContact {
    QString id;
    int serviceNumber = 0;
    QString password;
};

// The contacts as the engine and the main window see them: through the main window's cursor.
class ContactDirectory {
public:
    virtual ~ContactDirectory() = default;

    // True when a contact of exactly this name exists; then found holds its values. On false, found
    // is left as it was.
    virtual bool lookupContact(const QString& name, LookedUpContact& found) = 0;
    // Every contact, in the cursor's current order.
    virtual void readAllContacts(const std::function<void(const contactRecordType&)>& visit) = 0;
    // The contacts whose flag for the group (1 to 10) is set, in the cursor's current order: what
    // reading all of them and keeping the members gives, without reading the others.
    virtual void readGroupMembers(int group, const std::function<void(const contactRecordType&)>& visit) = 0;
};

} // namespace corvane
