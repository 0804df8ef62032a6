#include "engine/serviceTable.h"

#include "printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

struct SplitCase {
    const char* what;
    QString text;
    QString host;
    QString first;
    QString second;
};

const SplitCase splitCases[] = {
    {"empty", u""_s, u""_s, u""_s, u""_s},
    {"host only", u"snpp.example.org"_s, u"snpp.example.org"_s, u""_s, u""_s},
    {"host keeps its spaces", u" gw 1 ,id"_s, u" gw 1 "_s, u"id"_s, u""_s},
    {"login parts lose theirs", u"gw, my id , pass word "_s, u"gw"_s, u"myid"_s, u"password"_s},
    {"two commas in a row", u"gw,,secret"_s, u"gw"_s, u""_s, u"secret"_s},
    {"fourth part ignored", u"gw,id,pw,extra,more"_s, u"gw"_s, u"id"_s, u"pw"_s},
    {"trailing comma", u"gw,"_s, u"gw"_s, u""_s, u""_s},
    {"leading comma", u",id,pw"_s, u""_s, u"id"_s, u"pw"_s},
};

TEST(SplitIPintoParts, SplitsMainAndAlternateTextsOfEveryEntry) {
    for (const auto& c : splitCases) {
        ServiceTable table;
        for (int n = ServiceTable::first; n <= ServiceTable::last; ++n) {
            table[n].ip = c.text;
            table[n].AltIp = u"alt"_s + c.text;
            table[n].userID = u"stale"_s; // derived texts are recomputed, never kept
        }
        splitIPintoParts(table);
        for (int n = ServiceTable::first; n <= ServiceTable::last; ++n) {
            const serviceRecordType& s = table[n];
            EXPECT_EQ(s.realIP, c.host) << c.what << " service " << n;
            EXPECT_EQ(s.userID, c.first) << c.what;
            EXPECT_EQ(s.password, c.second) << c.what;
            EXPECT_EQ(s.AltRealIP, u"alt"_s + c.host) << c.what;
            EXPECT_EQ(s.AltUserID, c.first) << c.what;
            EXPECT_EQ(s.AltPassword, c.second) << c.what;
        }
    }
}

TEST(SplitIPintoParts, EmptyAlternateLeavesNoAlternateHost) {
    ServiceTable table;
    table[1].ip = u"gw,id,pw"_s;
    table[1].AltRealIP = u"old"_s;
    splitIPintoParts(table);
    EXPECT_TRUE(table[1].AltRealIP.isEmpty());
    EXPECT_TRUE(table[1].AltUserID.isEmpty());
}

TEST(BuiltinServiceTable, ServicesOneAndTwoAreUsableAndTheRestEmpty) {
    ServiceTable table;
    table[7].ip = u"left over"_s;
    fillBuiltinServiceTable(table);

    for (int n : {1, 2}) {
        const serviceRecordType& s = table[n];
        EXPECT_TRUE(table.isUsable(n)) << n;
        EXPECT_FALSE(s.realIP.isEmpty()) << n;
        EXPECT_LE(s.name.size(), serviceRecordType::nameMaxLength);
        EXPECT_LE(s.ip.size(), serviceRecordType::addressMaxLength);
        EXPECT_EQ(s.maxChars, 999);
        EXPECT_EQ(s.splitChars, 999);
        EXPECT_FALSE(s.reverseOrder);
    }
    EXPECT_FALSE(table[1].name.contains(u"-ENCRY"_s));
    EXPECT_TRUE(table[2].name.endsWith(u" -ENCRY"_s));
    EXPECT_EQ(table[2].name, table[1].name + u" -ENCRY"_s);

    for (int n = 3; n <= ServiceTable::last; ++n) {
        const serviceRecordType& s = table[n];
        EXPECT_TRUE(s.name.isEmpty() && s.ip.isEmpty() && s.AltIp.isEmpty() && s.realIP.isEmpty()) << n;
        EXPECT_EQ(s.port, 0);
        EXPECT_EQ(s.maxChars, 0);
        EXPECT_EQ(s.splitChars, 0);
        EXPECT_FALSE(table.isUsable(n)) << n;
    }
}

TEST(ServiceTable, UsableNeedsHostPortAndAPositiveChunkSize) {
    struct Case {
        const char* what;
        QString ip;
        int port;
        int splitChars;
        bool usable;
    };
    const Case cases[] = {
        {"complete", u"gw"_s, 444, 10, true},
        {"no host", u""_s, 444, 10, false},
        {"login values but no host", u",id,pw"_s, 444, 10, false},
        {"port 0", u"gw"_s, 0, 10, false},
        {"negative port", u"gw"_s, -1, 10, false},
        {"chunk size 0 would never finish", u"gw"_s, 444, 0, false},
        {"negative chunk size", u"gw"_s, 444, -5, false},
        {"chunk size 1", u"gw"_s, 444, 1, true},
    };
    for (const auto& c : cases) {
        ServiceTable table;
        table[3].ip = c.ip;
        table[3].port = c.port;
        table[3].splitChars = c.splitChars;
        splitIPintoParts(table);
        EXPECT_EQ(table.isUsable(3), c.usable) << c.what;
    }
    ServiceTable table;
    EXPECT_FALSE(table.isUsable(0));
    EXPECT_FALSE(table.isUsable(13));
}

} // namespace
} // namespace corvane
