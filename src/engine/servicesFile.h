#pragma once

#include "platform/error.h"

#include <QString>

namespace corvane {

class ServiceTable;

// A services file that cannot be used: the text names the file, the line and the key.
class ServicesFileError : public Error {
public:
    using Error::Error;
};

// The services file a program reads at start-up: "services.ini" in the program's directory, else
// /etc/corvane/services.ini; empty when there is neither.
QString findServicesFile(const QString& programDirectory,
                         const QString& systemFile = QStringLiteral("/etc/corvane/services.ini"));

// Puts the sections [Service1] ... [Service12] of the file over those entries of the table (filled
// with the built-in values before) and splits their address texts. A section for a service the build
// left empty starts from port 444 and 999 characters, as a built service does. Keys: name, address, alternate,
// port, maxChars, splitChars, reverse, beforePage; a key left out keeps the entry's value. Every
// value is checked as the build checks its own; any fault throws ServicesFileError and leaves the
// table as it was, so a program never runs with half a table.
void readServicesFile(const QString& fileName, ServiceTable& table);

// A host name (letters, digits, '-', '_' and dots) or an IPv4 or IPv6 address literal.
bool isHostText(QStringView host);

} // namespace corvane
