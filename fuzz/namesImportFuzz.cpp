// The first-run import: any names.txt, into a fresh table. No crash, and no two stored names the
// same without regard to case.
#include "contacts/contactsCursor.h"
#include "contacts/contactsDatabase.h"
#include "contacts/contactsStore.h"
#include "contacts/datamod.h"
#include "platform/error.h"
#include "platform/operatorDialogs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

struct SilentDialogs final : corvane::OperatorDialogs {
    void showMessage(const QString&) override {}
    bool confirm(const QString&, const QString&) override { return false; }
    void beep() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    {
        QFile names(QStringLiteral("names.txt"));
        names.open(QIODevice::WriteOnly);
        names.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    corvane::createEmptyContactsTable(dir.filePath(QStringLiteral("contacts.nx1")));
    corvane::TDataModule2 dataModule(dir.path());
    corvane::contactsCursor reader(dataModule);
    reader.Open();
    SilentDialogs dialogs;
    try {
        corvane::importNamesFile(reader, dataModule, dialogs);
    } catch (const corvane::Error&) {
        // a file that cannot be read is an error the operator sees; nothing to check
    }
    corvane::ContactsDatabase& db = dataModule.database();
    const corvane::StatementUse all = db.prepare(QStringLiteral("SELECT count(*) FROM contacts"));
    all->step();
    const corvane::StatementUse distinct =
        db.prepare(QStringLiteral("SELECT count(DISTINCT name COLLATE NOCASE) FROM contacts"));
    distinct->step();
    if (all->columnInt64(0) != distinct->columnInt64(0)) {
        std::abort();
    }
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
