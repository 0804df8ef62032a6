#include "engine/jobLog.h"

#include "engine/sendJob.h"
#include "engine/serviceTable.h"
#include "settings/activityLog.h"

namespace corvane {

void writelogMessageSent(const ActivityLog& log, const SendJob& job, const ServiceTable& services, bool holdTaken) {
    log.writelogMessageSent(services[job.currentService].name, job.contactName, job.serviceMessages[job.currentService],
                            job.holdValue.size() == 12 && holdTaken);
}

void writelogError(const ActivityLog& log, const SendJob& job, const ServiceTable& services, const QString& str,
                   bool individual) {
    QString recipients = job.contactName;
    if (job.multiRecipient && !individual) {
        // The recipient being paged has left the queue but is still waiting as much as the rest.
        QStringList waiting = job.recipientLists[job.currentService];
        if (job.recipientInFlight) {
            waiting.prepend(job.contactName);
        }
        recipients = waiting.join(u',');
    }
    log.writelogError(str, services[job.currentService].name, recipients, job.serviceMessages[job.currentService]);
}

} // namespace corvane
