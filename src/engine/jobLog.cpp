#include "engine/jobLog.h"

#include "engine/sendJob.h"
#include "engine/serviceTable.h"
#include "settings/activityLog.h"

namespace corvane {

void writelogMessageSent(const ActivityLog& log, const SendJob& job, const ServiceTable& services) {
    log.writelogMessageSent(services[job.currentService].name, job.contactName, job.serviceMessages[job.currentService],
                            job.holdValue.size() == 12);
}

void writelogError(const ActivityLog& log, const SendJob& job, const ServiceTable& services, const QString& str,
                   bool individual) {
    const QString recipients =
        job.multiRecipient && !individual ? job.recipientLists[job.currentService].join(u',') : job.contactName;
    log.writelogError(str, services[job.currentService].name, recipients, job.serviceMessages[job.currentService]);
}

} // namespace corvane
