#pragma once

#include "engine/serviceTable.h"

#include <QString>

namespace corvane::test {

// Points a service at a gateway of the test's own (usually a server on 127.0.0.1), as a site's build
// names its gateway: the address text and port, split into its parts as at start-up.
inline void pointService(ServiceTable& services, int service, const QString& host, int port) {
    services[service].ip = host;
    services[service].port = port;
    splitIPintoParts(services);
}

} // namespace corvane::test
