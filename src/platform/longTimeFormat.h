#pragma once

#include <QString>

class QLocale;
class QTime;

namespace corvane {

// The user's long time format as the log and the results lines use it: the hour with or without a
// leading zero, ":mm:ss", and for a 12-hour clock the AM/PM designator after the time (or before
// it, where the locale puts it first), one blank between.
struct LongTimeFormat {
    bool leadingZeroHour = false;
    bool twelveHour = false;
    bool designatorFirst = false;
    QString amDesignator;
    QString pmDesignator;

    QString format(const QTime& time) const;

    // Derived from the locale's own long time format and its AM/PM texts.
    static LongTimeFormat fromLocale(const QLocale& locale);
};

} // namespace corvane
