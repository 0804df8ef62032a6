// Times the contacts store on 100,000 contacts against a plain std::map doing the same work, which
// is the floor no table on disk can beat. Run: build/bin/contactsBench [count]
#include "benchSupport.h"
#include "contacts/contactsCursor.h"
#include "contacts/contactsDatabase.h"
#include "contacts/contactsStore.h"
#include "contacts/datamod.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>

using namespace corvane;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void report(const char* what, double store, double floor) {
    std::printf("%-34s %10.4f s   std::map %10.4f s   ratio %8.1f\n", what, store, floor,
                floor > 0 ? store / floor : 0);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    createEmptyContactsTable(dir.filePath(QStringLiteral("contacts.nx1")));

    const QByteArray names = bench::writeNamesFile(count);

    TDataModule2 dataModule(dir.path());
    contactsCursor reader(dataModule);
    ContactsStore store(reader);
    bench::QuietDialogs dialogs;

    // Opening the table.
    auto start = Clock::now();
    reader.Open();
    const double open = secondsSince(start);

    // Import: the file is parsed by the real code in both; the floor stores into a map.
    start = Clock::now();
    importNamesFile(reader, dataModule, dialogs);
    const double import = secondsSince(start);
    std::map<QString, LookedUpContact> floorMap;
    start = Clock::now();
    for (const QByteArray& line : names.split('\n')) {
        if (auto parsed = parseNamesLine(QString::fromLatin1(line.trimmed()))) {
            floorMap.emplace(parsed->name.toCaseFolded(), LookedUpContact{parsed->id, 1, QString()});
        }
    }
    const double importFloor = secondsSince(start);

    std::mt19937 random(42);
    std::vector<QString> probes;
    for (int i = 0; i < count; ++i) {
        probes.push_back(bench::contactName(static_cast<int>(random() % count)));
    }
    start = Clock::now();
    int found = 0;
    LookedUpContact contact;
    for (const QString& name : probes) {
        found += store.lookupContact(name, contact) ? 1 : 0;
    }
    const double lookups = secondsSince(start);
    start = Clock::now();
    int floorFound = 0;
    for (const QString& name : probes) {
        floorFound += floorMap.count(name.toCaseFolded()) != 0 ? 1 : 0;
    }
    const double lookupsFloor = secondsSince(start);

    start = Clock::now();
    int visited = 0;
    store.readAllContacts([&](const contactRecordType&) { ++visited; });
    const double readAll = secondsSince(start);
    start = Clock::now();
    int floorVisited = 0;
    for (const auto& entry : floorMap) {
        contactRecordType record;
        record.name = entry.first;
        record.id = entry.second.id;
        floorVisited += record.name.isEmpty() ? 0 : 1;
    }
    const double readAllFloor = secondsSince(start);

    std::printf("%d contacts; found %d/%d (map %d), read %d (map %d)\n", reader.RecordCount(), found, count, floorFound,
                visited, floorVisited);
    report("open the table", open, 0);
    report("import names.txt", import, importFloor);
    report("lookups by name", lookups, lookupsFloor);
    report("read all contacts in name order", readAll, readAllFloor);
    return 0;
}
