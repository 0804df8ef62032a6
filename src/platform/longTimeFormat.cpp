#include "platform/longTimeFormat.h"

#include <QLocale>
#include <QTime>

namespace corvane {

QString LongTimeFormat::format(const QTime& time) const {
    int hour = time.hour();
    if (twelveHour) {
        hour = hour % 12 == 0 ? 12 : hour % 12;
    }
    QString text = leadingZeroHour ? QString::asprintf("%02d", hour) : QString::number(hour);
    text += QString::asprintf(":%02d:%02d", time.minute(), time.second());
    if (!twelveHour) {
        return text;
    }
    const QString& designator = time.hour() < 12 ? amDesignator : pmDesignator;
    return designatorFirst ? designator + u' ' + text : text + u' ' + designator;
}

LongTimeFormat LongTimeFormat::fromLocale(const QLocale& locale) {
    // Qt's pattern letters: h/hh or H/HH for the hour, "AP"/"ap"/"A"/"a" for the designator.
    // Quoted literal text is skipped so that a word in quotes cannot pass for a pattern letter.
    const QString pattern = locale.timeFormat(QLocale::LongFormat);
    LongTimeFormat result;
    qsizetype hourAt = -1;
    qsizetype designatorAt = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted) {
            continue;
        }
        if ((c == u'h' || c == u'H') && hourAt < 0) {
            hourAt = i;
            result.leadingZeroHour = i + 1 < pattern.size() && pattern[i + 1] == c;
        } else if ((c == u'a' || c == u'A') && designatorAt < 0) {
            designatorAt = i;
        }
    }
    result.twelveHour = designatorAt >= 0;
    result.designatorFirst = result.twelveHour && hourAt >= 0 && designatorAt < hourAt;
    result.amDesignator = locale.amText();
    result.pmDesignator = locale.pmText();
    return result;
}

} // namespace corvane
