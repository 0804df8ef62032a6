// The services file: a site's own gateways without rebuilding. Read into a table filled with the
// built-in values, on real files in a test directory.
#include "engine/servicesFile.h"

#include "engine/serviceTable.h"
#include "namedRows.h"
#include "printers.h"
#include "tempWorkingDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;

class ServicesFile : public ::testing::Test {
protected:
    ServicesFile() { fillBuiltinServiceTable(table); }
    void read(const QByteArray& content) {
        dir.write(u"services.ini"_s, content);
        readServicesFile(u"services.ini"_s, table);
    }
    test::TempWorkingDir dir;
    ServiceTable table;
};

TEST_F(ServicesFile, SectionsReplaceTheirEntriesAndAbsentKeysKeepTheBuiltInValues) {
    const serviceRecordType builtTwo = table[2];
    read("; the site's gateways\r\n"
         "[Service1]\r\n"
         "name = SITE\r\n"
         "address=snpp.example.org,pager ops,se cret\r\n"
         "alternate=snpp2.example.org\r\n"
         "port=1444\r\n"
         "maxChars=300\r\n"
         "splitChars=128\r\n"
         "reverse=1\r\n"
         "beforePage=SITE JQUEUE YES\r\n"
         "\r\n"
         "[Service5]\r\n"
         "name=Night -ENCRY\r\n"
         "address=10.0.0.5\r\n");
    EXPECT_EQ(table[1].name, u"SITE"_s);
    EXPECT_EQ(table[1].realIP, u"snpp.example.org"_s);
    EXPECT_EQ(table[1].userID, u"pagerops"_s);
    EXPECT_EQ(table[1].password, u"secret"_s);
    EXPECT_EQ(table[1].AltRealIP, u"snpp2.example.org"_s);
    EXPECT_EQ(table[1].port, 1444);
    EXPECT_EQ(table[1].maxChars, 300);
    EXPECT_EQ(table[1].splitChars, 128);
    EXPECT_TRUE(table[1].reverseOrder);
    EXPECT_EQ(table[1].beforePage, u"SITE JQUEUE YES"_s);
    EXPECT_EQ(table[2].name, builtTwo.name);
    EXPECT_EQ(table[2].ip, builtTwo.ip);
    EXPECT_EQ(table[2].port, builtTwo.port);
    EXPECT_TRUE(table.isUsable(5)) << "a service the build left empty is created";
    EXPECT_EQ(table[5].port, 444);
    EXPECT_EQ(table[5].maxChars, 999);
    EXPECT_FALSE(table.isUsable(6));
}

struct MalformedCase {
    const char* what;
    QByteArray content;
    QString error;
};

class MalformedServicesFile : public ServicesFile, public ::testing::WithParamInterface<MalformedCase> {};

TEST_P(MalformedServicesFile, IsRefusedWithFileLineAndKeyAndChangesNothing) {
    const MalformedCase& c = GetParam();
    const serviceRecordType before = table[1];
    dir.write(u"services.ini"_s, c.content);
    try {
        readServicesFile(u"services.ini"_s, table);
        ADD_FAILURE() << "taken";
    } catch (const ServicesFileError& e) {
        EXPECT_EQ(e.text(), c.error);
    }
    EXPECT_EQ(table[1].name, before.name) << "never half a table";
    EXPECT_EQ(table[1].port, before.port);
}

INSTANTIATE_TEST_SUITE_P(
    Files, MalformedServicesFile,
    ::testing::Values(
        MalformedCase{"unknown section", "[Service13]\nport=1\n",
                      u"services.ini, line 1: unknown section [Service13] (sections are [Service1] to [Service12])"_s},
        MalformedCase{"unknown key", "[Service1]\nname=X\nhost=a\n",
                      u"services.ini, line 3, key host: no such key (name, address, alternate, port, maxChars, "
                      u"splitChars, reverse, beforePage)"_s},
        MalformedCase{"line without equals", "[Service1]\nname=X\nport 444\n",
                      u"services.ini, line 3: a line without '=': port 444"_s},
        MalformedCase{"key before a section", "name=X\n",
                      u"services.ini, line 1, key name: a key before the first [ServiceN] section"_s},
        MalformedCase{"port out of range", "[Service1]\nport=70000\n",
                      u"services.ini, line 2, key port: '70000' is not a port number from 1 to 65535"_s},
        MalformedCase{"port not decimal", "[Service1]\nport=0x1bc\n",
                      u"services.ini, line 2, key port: '0x1bc' is not a port number from 1 to 65535"_s},
        MalformedCase{"maxChars zero", "[Service1]\nmaxChars=0\n",
                      u"services.ini, line 2, key maxChars: '0' is not a number from 1 to 999"_s},
        MalformedCase{"splitChars above maxChars", "[Service1]\nmaxChars=100\nsplitChars=128\n",
                      u"services.ini, line 3, key splitChars: splitChars (128) must not be greater than maxChars "
                      u"(100)"_s},
        MalformedCase{"reverse not 0 or 1", "[Service1]\nreverse=yes\n",
                      u"services.ini, line 2, key reverse: 'yes' is not 0 or 1"_s},
        MalformedCase{"name too long", "[Service1]\nname=" + QByteArray(21, 'n') + "\n",
                      u"services.ini, line 2, key name: at most 20 characters are allowed"_s},
        MalformedCase{"address too long", "[Service1]\naddress=" + QByteArray(61, 'a') + "\n",
                      u"services.ini, line 2, key address: at most 60 characters are allowed"_s},
        MalformedCase{"a section given twice", "[Service1]\nport=1\n\n[service1]\nport=2\n",
                      u"services.ini, line 4: [Service1] again; it began at line 1 already"_s},
        MalformedCase{"a key given twice, in another case", "[Service1]\nport=1\nPORT=2\n",
                      u"services.ini, line 3, key port: given again; line 2 gives it already"_s},
        MalformedCase{"a comment after the address", "[Service1]\naddress=127.0.0.1 ; site gateway\n",
                      u"services.ini, line 2, key address: '127.0.0.1 ; site gateway' is not a host name or an "
                      u"address (a comment goes on a line of its own, after ';')"_s},
        MalformedCase{"a comment after the alternate", "[Service1]\nalternate=127.0.0.2 ; backup\n",
                      u"services.ini, line 2, key alternate: '127.0.0.2 ; backup' is not a host name or an "
                      u"address (a comment goes on a line of its own, after ';')"_s},
        MalformedCase{"an address of five numbers", "[Service1]\naddress=10.0.0.0.1\n",
                      u"services.ini, line 2, key address: '10.0.0.0.1' is not a host name or an address (a "
                      u"comment goes on a line of its own, after ';')"_s},
        MalformedCase{"maxChars below the built-in splitChars", "[Service1]\nmaxChars=100\n",
                      u"services.ini, line 2, key maxChars: maxChars (100) is less than the characters per page "
                      u"this service was built with (splitChars 999); give splitChars too, at most 100"_s},
        MalformedCase{"a faulty line with a password", "[Service1]\naddress 127.0.0.1,ops,TopSecretPW\n",
                      u"services.ini, line 2: a line without '=': address 127.0.0.1,***"_s},
        MalformedCase{"a faulty section line with a password", "[Service1,ops,TopSecretPW]\n",
                      u"services.ini, line 1: unknown section [Service1,*** (sections are [Service1] to "
                      u"[Service12])"_s}),
    test::NamedByWhat());

TEST_F(ServicesFile, AMissingFileOrAFolderIsRefused) {
    for (const QString& name : {u"absent.ini"_s, u"folder.ini"_s}) {
        QDir().mkdir(u"folder.ini"_s);
        EXPECT_THROW(readServicesFile(name, table), ServicesFileError) << name.toStdString();
    }
}

// Names of sections and keys are the settings file's: any case. Hosts are names or address literals.
TEST_F(ServicesFile, NamesTakeAnyCaseAndHostsAreNamesOrAddresses) {
    read("[SERVICE1]\nName=Upper\nADDRESS=gw-1.example.org.,ops,pw\nalternate=::1\n"
         "[service2]\naddress=192.0.2.7\nMaxChars=160\nsplitchars=160\n");
    EXPECT_EQ(table[1].name, u"Upper"_s);
    EXPECT_EQ(table[1].realIP, u"gw-1.example.org."_s);
    EXPECT_EQ(table[1].AltRealIP, u"::1"_s);
    EXPECT_EQ(table[2].realIP, u"192.0.2.7"_s);
    EXPECT_EQ(table[2].maxChars, 160);
}

// A link beside the program that leads nowhere is the site's file, not an absent one: reading it
// says so, rather than paging through the built-in services.
TEST_F(ServicesFile, ADanglingLinkBesideTheProgramIsReadAndRefused) {
    dir.write(u"system.ini"_s, "");
    ASSERT_EQ(QFile::link(u"/nonexistent/services.ini"_s, dir.filePath(u"services.ini"_s)), true);
    const QString found = findServicesFile(dir.path(), dir.filePath(u"system.ini"_s));
    EXPECT_EQ(found, dir.path() + u"/services.ini"_s);
    try {
        readServicesFile(found, table);
        ADD_FAILURE() << "taken";
    } catch (const ServicesFileError& e) {
        EXPECT_EQ(e.text(), found + u": a link to /nonexistent/services.ini, which does not exist"_s);
    }
}

TEST_F(ServicesFile, TheFileBesideTheProgramComesBeforeTheSystemOne) {
    dir.write(u"system.ini"_s, "");
    EXPECT_EQ(findServicesFile(dir.path(), dir.filePath(u"system.ini"_s)), dir.filePath(u"system.ini"_s));
    dir.write(u"services.ini"_s, "");
    EXPECT_EQ(findServicesFile(dir.path(), dir.filePath(u"system.ini"_s)), dir.path() + u"/services.ini"_s);
    EXPECT_TRUE(findServicesFile(dir.filePath(u"nowhere"_s), dir.filePath(u"none.ini"_s)).isEmpty());
}

// The example the package installs as /etc/corvane/services.ini: as shipped it changes nothing, and
// its commented-out section, once uncommented, is a valid one (so the example never drifts from
// what the reader takes).
TEST_F(ServicesFile, TheShippedExampleChangesNothingAndItsExampleSectionReads) {
    QFile example(QStringLiteral(CORVANE_EXAMPLE_SERVICES_FILE));
    ASSERT_TRUE(example.open(QIODevice::ReadOnly)) << CORVANE_EXAMPLE_SERVICES_FILE;
    const QByteArray shipped = example.readAll();
    const serviceRecordType builtOne = table[1];
    read(shipped);
    EXPECT_EQ(table[1].name, builtOne.name);
    EXPECT_EQ(table[1].ip, builtOne.ip);

    QByteArray uncommented;
    for (const QByteArray& line : shipped.split('\n')) {
        const bool commentedOut = line.size() > 1 && line[0] == ';' && line[1] != ' ';
        uncommented += (commentedOut ? line.mid(1) : line) + '\n';
    }
    read(uncommented);
    EXPECT_EQ(table[1].name, u"ACMEORG"_s);
    EXPECT_EQ(table[1].splitChars, 128);
    EXPECT_EQ(table[1].beforePage, u"SITE JQUEUE YES"_s);
}

} // namespace
} // namespace corvane
