#include "settings/activityLog.h"

#include "engine/sendJob.h"
#include "engine/serviceTable.h"
#include "platform/clock.h"
#include "platform/codePage.h"
#include "settings/settings.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace corvane {

LogWriteError::LogWriteError(QString fileName)
    : Error(u"Error writing log file: "_s + fileName)
    , m_fileName(std::move(fileName)) {}

ActivityLog::ActivityLog(const Settings& settings, const ServiceTable& services, const Clock& clock,
                         LongTimeFormat timeFormat)
    : m_settings(settings)
    , m_services(services)
    , m_clock(clock)
    , m_timeFormat(std::move(timeFormat)) {}

QString ActivityLog::fileNameFor(const QDateTime& moment) const {
    return m_settings.loggingDir + moment.date().toString(u"MM_dd_yy"_s) + u".txt"_s;
}

void ActivityLog::writeLogFile(const QString& str) const {
    const QDateTime now = m_clock.now();
    if (!now.isValid()) {
        return; // no date, no file name: the line is dropped
    }
    const QString fileName = fileNameFor(now);
    const QByteArray line = toCodePage(QString(m_timeFormat.format(now.time()) + u", "_s + str + u"\r\n"_s));
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size() || !file.flush()) {
        throw LogWriteError(fileName);
    }
    file.close();
}

void ActivityLog::writelogMessageSent(const SendJob& job) const {
    const QString outcome =
        job.holdValue.size() == 12 ? u"Message Sent OK for future delivery"_s : u"Message Sent OK"_s;
    writeLogFile(outcome + u", SRVC:"_s + m_services[job.currentService].name + u", CONTACT:"_s + job.contactName +
                 u", MSG:"_s + job.serviceMessages[job.currentService]);
}

void ActivityLog::writelogError(const SendJob& job, const QString& str, bool individual) const {
    const QString recipients =
        job.multiRecipient && !individual ? job.recipientLists[job.currentService].join(u',') : job.contactName;
    writeLogFile(str + u", SRVC:"_s + m_services[job.currentService].name + u", CONTACTS:"_s + recipients +
                 u", MSG:"_s + job.serviceMessages[job.currentService]);
}

} // namespace corvane
