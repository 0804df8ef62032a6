// Places an empty contacts table at the path given, unless a file is already there.
#include "contacts/contactsDatabase.h"
#include "platform/error.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 2 && (args[1] == u"--help" || args[1] == u"-h")) {
        std::printf("Usage: corvane-mkcontacts PATH/contacts.nx1\n\nPlaces an empty Corvane contacts table at "
                    "PATH/contacts.nx1,\nunless a file is already there (an existing table is never changed).\n");
        return 0;
    }
    if (args.size() == 2 && args[1] == u"--version") {
        std::printf("corvane-mkcontacts %s\n", CORVANE_VERSION);
        return 0;
    }
    // Anything else that looks like an option is a mistake, never a file name to create.
    if (args.size() != 2 || args[1].startsWith(u'-')) {
        std::fprintf(stderr, "usage: corvane-mkcontacts PATH/contacts.nx1\n");
        return 2;
    }
    const QString path = args[1];
    if (QFileInfo::exists(path)) {
        return 0; // an existing table is the operator's data: leave it alone
    }
    try {
        corvane::createEmptyContactsTable(path);
    } catch (const corvane::Error& e) {
        std::fprintf(stderr, "corvane-mkcontacts: %s\n", e.what());
        return 1;
    }
    return 0;
}
