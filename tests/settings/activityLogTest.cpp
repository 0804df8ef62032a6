#include "settings/activityLog.h"

#include "engine/jobLog.h"
#include "engine/sendJob.h"
#include "engine/serviceTable.h"
#include "faultyFilesystems.h"
#include "fixedClock.h"
#include "namedRows.h"
#include "platform/longTimeFormat.h"
#include "printers.h"
#include "settings/settings.h"
#include "tempWorkingDir.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

using test::PrintTo;

using test::FixedClock;
using test::TempWorkingDir;

LongTimeFormat twelveHourEnglish() {
    return LongTimeFormat{false, true, false, u"AM"_s, u"PM"_s};
}

TEST(LongTimeFormat, FormatsHourDesignatorAndItsSide) {
    struct Case {
        const char* what;
        LongTimeFormat format;
        QTime time;
        QString text;
    };
    const Case cases[] = {
        {"12-hour English", twelveHourEnglish(), QTime(15, 7, 45), u"3:07:45 PM"_s},
        {"12-hour, midnight", twelveHourEnglish(), QTime(0, 0, 1), u"12:00:01 AM"_s},
        {"12-hour, noon", twelveHourEnglish(), QTime(12, 30, 0), u"12:30:00 PM"_s},
        {"24-hour without leading zero", LongTimeFormat{false, false, false, {}, {}}, QTime(15, 7, 45), u"15:07:45"_s},
        {"24-hour morning without leading zero", LongTimeFormat{}, QTime(9, 5, 1), u"9:05:01"_s},
        {"24-hour with leading zero", LongTimeFormat{true, false, false, {}, {}}, QTime(9, 5, 1), u"09:05:01"_s},
        {"designator first", LongTimeFormat{false, true, true, u"AM"_s, u"PM"_s}, QTime(15, 7, 45), u"PM 3:07:45"_s},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.format.format(c.time), c.text) << c.what;
    }
}

TEST(LongTimeFormat, DerivedFromTheLocale) {
    struct Case {
        QLocale locale;
        QString text; // 15:07:45 and 09:05:01
    };
    const Case cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), u"3:07:45 PM|9:05:01 AM"_s},
        {QLocale(QLocale::German, QLocale::Germany), u"15:07:45|09:05:01"_s},
        {QLocale(QLocale::Korean, QLocale::SouthKorea), u"\uc624\ud6c4 3:07:45|\uc624\uc804 9:05:01"_s},
    };
    for (const auto& c : cases) {
        const LongTimeFormat format = LongTimeFormat::fromLocale(c.locale);
        EXPECT_EQ(format.format(QTime(15, 7, 45)) + u'|' + format.format(QTime(9, 5, 1)), c.text)
            << c.locale.name().toStdString();
    }
}

class ActivityLogTest : public ::testing::Test {
protected:
    ActivityLogTest() {
        QDir().mkdir(u"logs"_s);
        fillBuiltinServiceTable(services);
        services[1].name = u"ACMEORG"_s;
        services[2].name = u"ACMEORG -ENCRY"_s;
        job.currentService = 1;
        job.serviceMessages[1] = u"Call the office"_s;
        job.contactName = u"Jane Doe"_s;
    }
    QByteArray todaysFile() const { return dir.read(u"logs/03_14_13.txt"_s); }

    TempWorkingDir dir;
    Settings settings;
    ServiceTable services;
    FixedClock clock{QDateTime(QDate(2013, 3, 14), QTime(15, 7, 45))};
    ActivityLog log{settings, clock, twelveHourEnglish()};
    SendJob job;
};

struct LayoutCase {
    const char* what;
    std::function<void(SendJob&, const ActivityLog&, const ServiceTable&)> write;
    QByteArray line;
};

class LogLineLayout : public ActivityLogTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LogLineLayout, IsExact) {
    const LayoutCase& c = GetParam();
    c.write(job, log, services);
    EXPECT_EQ(todaysFile(), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LogLineLayout,
    ::testing::Values(
        LayoutCase{
            "success",
            [](SendJob& j, const ActivityLog& l, const ServiceTable& services) { writelogMessageSent(l, j, services); },
            "3:07:45 PM, Message Sent OK, SRVC:ACMEORG, CONTACT:Jane Doe, MSG:Call the office\r\n"},
        LayoutCase{
            "success with a hold value",
            [](SendJob& j, const ActivityLog& l, const ServiceTable& services) {
                j.holdValue = u"130130184500"_s;
                writelogMessageSent(l, j, services);
            },
            "3:07:45 PM, Message Sent OK for future delivery, SRVC:ACMEORG, CONTACT:Jane Doe, MSG:Call the office\r\n"},
        LayoutCase{"hold value of 11 characters is no hold",
                   [](SendJob& j, const ActivityLog& l, const ServiceTable& services) {
                       j.holdValue = u"13013018450"_s;
                       writelogMessageSent(l, j, services);
                   },
                   "3:07:45 PM, Message Sent OK, SRVC:ACMEORG, CONTACT:Jane Doe, MSG:Call the office\r\n"},
        LayoutCase{"direct ID entry",
                   [](SendJob& j, const ActivityLog& l, const ServiceTable& services) {
                       j.contactName = u"DIRECT ID ENTRY"_s;
                       writelogMessageSent(l, j, services);
                   },
                   "3:07:45 PM, Message Sent OK, SRVC:ACMEORG, CONTACT:DIRECT ID ENTRY, MSG:Call the office\r\n"},
        LayoutCase{"refusal names the recipient",
                   [](SendJob& j, const ActivityLog& l, const ServiceTable& services) {
                       writelogError(l, j, services, u"ERROR code:550"_s, true);
                   },
                   "3:07:45 PM, ERROR code:550, SRVC:ACMEORG, CONTACTS:Jane Doe, MSG:Call the office\r\n"},
        LayoutCase{"multi-recipient, individual",
                   [](SendJob& j, const ActivityLog& l, const ServiceTable& services) {
                       j.multiRecipient = true;
                       j.recipientLists[1] = {u"B"_s, u"C"_s};
                       writelogError(l, j, services, u"ERROR code:554"_s, true);
                   },
                   "3:07:45 PM, ERROR code:554, SRVC:ACMEORG, CONTACTS:Jane Doe, MSG:Call the office\r\n"},
        LayoutCase{"multi-recipient names every queued recipient",
                   [](SendJob& j, const ActivityLog& l, const ServiceTable& services) {
                       j.multiRecipient = true;
                       j.currentService = 2;
                       j.serviceMessages[2] = u"Fire drill"_s;
                       j.recipientLists[2] = {u"Ann"_s, u"Bob Smith"_s, u"Cy"_s};
                       writelogError(l, j, services, u"ERROR connecting to service."_s, false);
                   },
                   "3:07:45 PM, ERROR connecting to service., SRVC:ACMEORG -ENCRY, CONTACTS:Ann,Bob Smith,Cy, MSG:Fire "
                   "drill\r\n"},
        LayoutCase{
            "multi-recipient with nothing left queued",
            [](SendJob& j, const ActivityLog& l, const ServiceTable& services) {
                j.multiRecipient = true;
                writelogError(l, j, services, u"ERROR: Timeout when sending to service."_s, false);
            },
            "3:07:45 PM, ERROR: Timeout when sending to service., SRVC:ACMEORG, CONTACTS:, MSG:Call the office\r\n"},
        LayoutCase{"single recipient ignores individual=false",
                   [](SendJob& j, const ActivityLog& l, const ServiceTable& services) {
                       j.recipientLists[1] = {u"stale"_s};
                       writelogError(l, j, services, u"ERROR connecting to service"_s, false);
                   },
                   "3:07:45 PM, ERROR connecting to service, SRVC:ACMEORG, CONTACTS:Jane Doe, MSG:Call the office\r\n"},
        LayoutCase{"message with a line break and characters outside the code page",
                   [](SendJob& j, const ActivityLog& l, const ServiceTable& services) {
                       j.serviceMessages[1] = u"line one\r\nline two \u20ac\u4e2d"_s;
                       writelogMessageSent(l, j, services);
                   },
                   "3:07:45 PM, Message Sent OK, SRVC:ACMEORG, CONTACT:Jane Doe, MSG:line one\r\nline two \x80?\r\n"}),
    test::NamedByWhat());

TEST_F(ActivityLogTest, LinesAreAppendedAndMidnightStartsTheNextFile) {
    clock.current = QDateTime(QDate(2013, 3, 14), QTime(23, 59, 59));
    log.writeLogFile(u"first"_s);
    log.writeLogFile(u"second"_s);
    clock.current = QDateTime(QDate(2013, 3, 15), QTime(0, 0, 1));
    log.writeLogFile(u"third"_s);
    EXPECT_EQ(todaysFile(), "11:59:59 PM, first\r\n11:59:59 PM, second\r\n");
    EXPECT_EQ(dir.read(u"logs/03_15_13.txt"_s), "12:00:01 AM, third\r\n");
}

TEST_F(ActivityLogTest, DirectoryWithoutTrailingSlashPrefixesTheFileName) {
    settings.loggingDir = u"./logs"_s;
    log.writeLogFile(u"x"_s);
    EXPECT_EQ(dir.read(u"logs03_14_13.txt"_s), "3:07:45 PM, x\r\n");
}

TEST_F(ActivityLogTest, UnwritableFileRaisesAnErrorNamingIt) {
    settings.loggingDir = u"./gone/"_s;
    try {
        log.writeLogFile(u"x"_s);
        ADD_FAILURE() << "no error";
    } catch (const LogWriteError& e) {
        EXPECT_EQ(e.fileName(), u"./gone/03_14_13.txt"_s);
        EXPECT_EQ(e.text(), u"Error writing log file: ./gone/03_14_13.txt"_s);
    }
}

// Something else than a file at the day's log path: a failed write, at once, never a wait.
TEST_F(ActivityLogTest, FifoAtTheLogPathIsAFailedWriteNotAWait) {
    const QByteArray path = QFile::encodeName(dir.filePath(u"logs/03_14_13.txt"_s));
    ASSERT_EQ(::mkfifo(path.constData(), 0600), 0);
    for (const bool withReader : {true, false}) {
        SCOPED_TRACE(withReader ? "a program reads the FIFO" : "nobody reads the FIFO");
        const int reader = withReader ? ::open(path.constData(), O_RDONLY | O_NONBLOCK) : -1;
        EXPECT_THROW(log.writeLogFile(u"x"_s), LogWriteError);
        if (reader >= 0) {
            char buffer[64];
            EXPECT_LE(::read(reader, buffer, sizeof buffer), 0) << "nothing went into the FIFO";
            ::close(reader);
        }
    }
}

// A line the system cuts short is taken back: the file never holds half a line for the next one to
// be glued to.
TEST_F(ActivityLogTest, LineIsWrittenWholeOrNotAtAll) {
    const QByteArray before = "3:07:40 PM, Message Sent OK, SRVC:ACMEORG, CONTACT:A, MSG:hi\r\n";
    dir.write(u"logs/03_14_13.txt"_s, before);
    const int outcome = test::runWithFileSizeLimit(before.size() + 20, [this] {
        try {
            log.writeLogFile(u"Message Sent OK, SRVC:ACMEORG, CONTACT:Dee Dee, MSG:a longer message"_s);
            return 2;
        } catch (const LogWriteError&) {
            return 1;
        }
    });
    EXPECT_EQ(outcome, 1);
    EXPECT_EQ(todaysFile(), before);
}

TEST_F(ActivityLogTest, LineOnAFullDiskIsWrittenWholeOrNotAtAll) {
    test::SmallTmpfs disk(64);
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    }
    settings.loggingDir = disk.path() + u'/';
    const QString logFile = disk.filePath(u"03_14_13.txt"_s);
    // The file's last page has room for 30 bytes, and the disk for nothing more.
    const QByteArray before = QByteArray(4096 - 32, 'x') + "\r\n";
    {
        QFile file(logFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(before);
    }
    disk.fill();
    EXPECT_THROW(log.writeLogFile(u"Message Sent OK, SRVC:ACMEORG, CONTACT:Dee Dee, MSG:a longer message"_s),
                 LogWriteError);
    QFile file(logFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
}

// A link at the day's log path is never followed: the line would go into whatever file it names.
TEST_F(ActivityLogTest, LinkAtTheLogPathIsAFailedWriteAndItsTargetIsUntouched) {
    dir.write(u"target.txt"_s, "kept\n");
    ASSERT_TRUE(QFile::link(dir.filePath(u"target.txt"_s), dir.filePath(u"logs/03_14_13.txt"_s)));
    EXPECT_THROW(log.writeLogFile(u"x"_s), LogWriteError);
    EXPECT_EQ(dir.read(u"target.txt"_s), "kept\n");
}

// Two programs logging to one day file on a full disk: each takes back the lines the disk cuts
// short, and neither may cut into or glue onto the other's lines while doing so.
TEST_F(ActivityLogTest, TwoWritersOnAFullDiskLeaveOnlyWholeLines) {
    test::SmallTmpfs disk(64);
    if (!disk.mounted()) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    }
    settings.loggingDir = disk.path() + u'/';
    disk.fill();
    // The filler leaves no byte; free one page so that lines fit, then fail, all through the run.
    ASSERT_EQ(::truncate(QFile::encodeName(disk.filePath(u"filler"_s)).constData(),
                         QFileInfo(disk.filePath(u"filler"_s)).size() - 4096),
              0);
    const auto writer = [this](char name) {
        return [this, name] {
            for (int i = 0; i < 4000; ++i) {
                // Lines of many lengths, so that the free bytes end inside lines of both writers.
                const QString text = u"writer "_s + QLatin1Char(name) + u" line "_s + QString::number(i) + u' ' +
                                     QString(i % 37, QLatin1Char(name));
                try {
                    log.writeLogFile(text);
                } catch (const LogWriteError&) {
                }
            }
            return 0;
        };
    };
    const pid_t a = ::fork();
    if (a == 0) {
        ::_exit(writer('A')());
    }
    const int b = writer('B')();
    int status = 0;
    ASSERT_EQ(::waitpid(a, &status, 0), a);
    ASSERT_EQ(b, 0);

    QFile file(disk.filePath(u"03_14_13.txt"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    ASSERT_FALSE(content.isEmpty());
    EXPECT_TRUE(content.endsWith("\r\n")) << "the file ends inside a line";
    const QRegularExpression whole(u"^3:07:45 PM, writer ([AB]) line \\d+ \\1*$"_s);
    int torn = 0;
    for (const QByteArray& line : content.chopped(1).split('\n')) {
        const QString text = QString::fromLatin1(line.endsWith('\r') ? line.chopped(1) : line + "<no CR>");
        if (!whole.match(text).hasMatch() && ++torn <= 3) {
            ADD_FAILURE() << "torn line: " << text.toStdString();
        }
    }
    EXPECT_EQ(torn, 0);
}

} // namespace
} // namespace corvane
