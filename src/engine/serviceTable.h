#pragma once

#include "platform/oneBased.h"

#include <QString>

namespace corvane {

// One paging service: where its pagers' messages go and how a message must be cut for it.
struct serviceRecordType {
    static constexpr int nameMaxLength = 20;
    static constexpr int addressMaxLength = 60;

    QString name;  // contains "-ENCRY": the service takes the encrypted message form
    QString ip;    // host[,login id[,login password]]
    QString AltIp; // same form; empty when the service has no alternate
    int port = 0;
    int maxChars = 0;
    int splitChars = 0;
    // Derived from ip and AltIp by splitIPintoParts; never edited directly.
    QString realIP;
    QString userID;
    QString password;
    QString AltRealIP;
    QString AltUserID;
    QString AltPassword;
    bool reverseOrder = false;
    // A command line some gateways need before every PAGE (for example to queue the page rather
    // than hold SEND until it has gone out); empty for none. Set only by the build.
    QString beforePage;
};

constexpr int serviceCount = 12;

class ServiceTable : public OneBased<serviceRecordType, serviceCount> {
public:
    // A service the engine may connect to. A service with splitChars below 1 could never finish
    // cutting a message into chunks, so it counts as unusable rather than stalling a send.
    bool isUsable(int serviceNumber) const;
};

// Puts the built-in contents into all 12 entries (services 1 and 2 come from the build settings)
// and splits their address texts.
void fillBuiltinServiceTable(ServiceTable& table);

// Recomputes realIP, userID, password and their alternates from ip and AltIp, for all 12 entries.
void splitIPintoParts(ServiceTable& table);

} // namespace corvane
