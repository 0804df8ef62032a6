#pragma once

#include "platform/error.h"
#include "platform/longTimeFormat.h"

#include <QString>

class QDateTime;

namespace corvane {

class Clock;
struct Settings;

// A log line that could not be written. The engine reports it and goes on; the writers never stop
// anything themselves.
class LogWriteError : public Error {
public:
    explicit LogWriteError(QString fileName);
    const QString& fileName() const { return m_fileName; }

private:
    QString m_fileName;
};

// The daily activity log: one file per day in the log directory, one line per paged recipient and
// per error or warning. The callers test the logging switch; the writers do not.
class ActivityLog {
public:
    ActivityLog(const Settings& settings, const Clock& clock, LongTimeFormat timeFormat);

    // loggingDir + "MM_dd_yy" + ".txt" for the moment given, with nothing put between the parts.
    QString fileNameFor(const QDateTime& moment) const;

    // Appends the time stamp, ", " and str, in one open-write-close. Throws LogWriteError.
    void writeLogFile(const QString& str) const;
    // The success line for a recipient just paged.
    void writelogMessageSent(const QString& serviceName, const QString& contactName, const QString& message,
                             bool forFutureDelivery) const;
    // An error or warning line naming the service, the recipients it concerns and the message.
    void writelogError(const QString& str, const QString& serviceName, const QString& recipients,
                       const QString& message) const;

private:
    const Settings& m_settings;
    const Clock& m_clock;
    LongTimeFormat m_timeFormat;
};

} // namespace corvane
