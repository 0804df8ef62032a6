#include "platform/userFile.h"

#include "contacts/contactsCursor.h"
#include "contacts/contactsStore.h"
#include "contactsFixture.h"
#include "engine/serviceTable.h"
#include "engine/servicesFile.h"
#include "hostileFiles.h"
#include "namedRows.h"
#include "printers.h"
#include "recordingDialogs.h"
#include "settings/iniFile.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::HostileFileCase;

// Every reader of a user's file, given the same odd file, comes to the same outcome: the text it
// should hold, or one message naming the file (and the line) and what is wrong, at once.
class EveryReader : public test::ContactsFixture, public ::testing::WithParamInterface<HostileFileCase> {
protected:
    EveryReader() { cursor.Open(); }
    contactsCursor cursor{dataModule};

    QString make(const QString& name, const QByteArray& lines, qint64 bound) {
        test::makeHostileFile(name, GetParam().kind, lines, bound);
        return test::hostileFileError(name, GetParam().kind, bound == (16 << 20) ? u"16 MiB"_s : u"1 MiB"_s);
    }
};

TEST_P(EveryReader, ComesToTheSameOutcome) {
    {
        SCOPED_TRACE("a user's text file");
        const QString expected = make(u"list.txt"_s, "Jos\xC3\xA9\nAnn\n", UserFileBound::namesList);
        try {
            const UserText text = readUserTextFile(u"list.txt"_s, UserFileBound::namesList);
            EXPECT_TRUE(expected.isEmpty()) << "read, though it should say " << expected.toStdString();
            EXPECT_EQ(text.lines, (QStringList{u"José"_s, u"Ann"_s}));
        } catch (const UserFileError& e) {
            EXPECT_EQ(e.text(), expected);
        }
    }
    {
        SCOPED_TRACE("the services file");
        const QString expected = make(u"services.ini"_s, "[Service1]\nname=Jos\xC3\xA9\n", UserFileBound::services);
        ServiceTable table;
        fillBuiltinServiceTable(table);
        try {
            readServicesFile(u"services.ini"_s, table);
            EXPECT_TRUE(expected.isEmpty()) << "read, though it should say " << expected.toStdString();
            EXPECT_EQ(table[1].name, u"José"_s);
        } catch (const ServicesFileError& e) {
            EXPECT_EQ(e.text(), expected);
        }
    }
    {
        SCOPED_TRACE("the settings file, which is either read or left to its defaults");
        const QString expected = make(u"corvane3.ini"_s, "[General]\nmessage1=Jos\xC3\xA9\n", UserFileBound::settings);
        EXPECT_EQ(TIniFile(u"corvane3.ini"_s).ReadString(u"General"_s, u"message1"_s, u"(default)"_s),
                  expected.isEmpty() ? u"José"_s : u"(default)"_s);
    }
    {
        SCOPED_TRACE("the first-run import");
        const QString expected =
            make(u"names.txt"_s, "Jos\xC3\xA9 Mart,5551234\nAnn Ash,5550001\n", UserFileBound::namesList);
        test::RecordingDialogs dialogs;
        try {
            importNamesFile(cursor, dataModule, dialogs);
            EXPECT_TRUE(expected.isEmpty()) << "read, though it should say " << expected.toStdString();
            contactsCursor after(dataModule);
            after.Open();
            QStringList names = namesInView(after);
            names.sort();
            EXPECT_EQ(names, (QStringList{u"Ann Ash"_s, u"José Mart"_s}));
        } catch (const Error& e) {
            EXPECT_EQ(e.text(), expected);
            EXPECT_EQ(cursor.RecordCount(), 0);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, EveryReader, ::testing::ValuesIn(test::hostileFileCases), test::NamedByWhat());

} // namespace
} // namespace corvane
