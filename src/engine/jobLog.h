#pragma once

class QString;

namespace corvane {

class ActivityLog;
class ServiceTable;
struct SendJob;

// The log lines of a job, from where the job stands: the service under way, the recipient being
// paged and the service's message. Throw LogWriteError like the log itself.
//
// The success line for the recipient just paged; "for future delivery" when a hold value is set and
// the service took it (holdTaken false: the service refused HOLD and the page went out at once).
void writelogMessageSent(const ActivityLog& log, const SendJob& job, const ServiceTable& services,
                         bool holdTaken = true);
// An error or warning naming the current recipient (individual) or, in a multi-recipient job,
// every recipient still waiting for the current service: the one being paged, then the queue.
void writelogError(const ActivityLog& log, const SendJob& job, const ServiceTable& services, const QString& str,
                   bool individual);

} // namespace corvane
