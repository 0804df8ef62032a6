#include "engine/serviceTable.h"

#include "engine/builtinServices.h"

#include <QStringList>
#include <utility>

namespace corvane {

namespace {

struct AddressParts {
    QString host;
    QString first;
    QString second;
};

// The host keeps its spaces; the login parts lose all of theirs, so an id typed with spaces still
// logs in. A fourth comma-separated part is ignored.
AddressParts splitAddress(const QString& text) {
    AddressParts parts;
    if (text.isEmpty()) {
        return parts;
    }
    const QStringList fields = text.split(u',');
    parts.host = fields.value(0);
    auto withoutSpaces = [](QString s) { return s.remove(u' '); };
    parts.first = withoutSpaces(fields.value(1));
    parts.second = withoutSpaces(fields.value(2));
    return parts;
}

} // namespace

bool ServiceTable::isUsable(int serviceNumber) const {
    if (!contains(serviceNumber)) {
        return false;
    }
    const serviceRecordType& service = (*this)[serviceNumber];
    return !service.realIP.isEmpty() && service.port > 0 && service.splitChars >= 1;
}

void fillBuiltinServiceTable(ServiceTable& table) {
    for (int n = ServiceTable::first; n <= ServiceTable::last; ++n) {
        table[n] = serviceRecordType{};
    }
    for (const auto& [n, values] : {std::pair<int, const BuiltinService&>{1, builtinServices.service1},
                                    std::pair<int, const BuiltinService&>{2, builtinServices.service2}}) {
        serviceRecordType& service = table[n];
        service.name = QString::fromUtf16(values.name);
        service.ip = QString::fromUtf16(values.ip);
        service.AltIp = QString::fromUtf16(values.altIp);
        service.port = values.port;
        service.maxChars = values.maxChars;
        service.splitChars = values.splitChars;
        service.reverseOrder = values.reverseOrder;
        service.beforePage = QString::fromUtf16(values.beforePage);
    }

    splitIPintoParts(table);
}

void splitIPintoParts(ServiceTable& table) {
    for (int n = ServiceTable::first; n <= ServiceTable::last; ++n) {
        serviceRecordType& service = table[n];
        const AddressParts main = splitAddress(service.ip);
        service.realIP = main.host;
        service.userID = main.first;
        service.password = main.second;
        const AddressParts alt = splitAddress(service.AltIp);
        service.AltRealIP = alt.host;
        service.AltUserID = alt.first;
        service.AltPassword = alt.second;
    }
}

} // namespace corvane
