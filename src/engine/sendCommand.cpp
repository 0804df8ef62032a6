// The Send command: reads and checks the recipient selection, sets up the send job and starts the
// first connection.
#include "engine/engineOutputs.h"
#include "engine/messageChunks.h"
#include "engine/pagingEngine.h"
#include "engine/recipientSelection.h"
#include "engine/snppCommands.h"
#include "platform/error.h"
#include "settings/settings.h"

using namespace Qt::Literals::StringLiterals;

namespace corvane {

namespace {

QString cutTo(const QString& message, int maxChars) {
    return maxChars <= 0 ? QString() : message.left(maxChars);
}

} // namespace

RecipientSelection RecipientSelection::ofGroup(int group, const QString& message) {
    RecipientSelection s;
    s.groupMode = true;
    s.highlightedGroup = group;
    s.toMarker = u"[Group "_s + QString::number(group) + u']';
    s.message = message;
    return s;
}

RecipientSelection RecipientSelection::ofTickedNames(const QStringList& names, const QString& message) {
    RecipientSelection s;
    s.tickedNames = names;
    s.toMarker = u"[selected names]"_s;
    s.message = message;
    return s;
}

RecipientSelection RecipientSelection::ofContact(const QString& name, const QString& message) {
    RecipientSelection s;
    s.toMarker = name;
    s.message = message;
    return s;
}

RecipientSelection RecipientSelection::ofPagerId(const QString& id, const QString& message) {
    RecipientSelection s;
    s.toMarker = directIdEntryMarker;
    s.idField = id;
    s.message = message;
    return s;
}

int groupNumberOfEntry(const QString& entry) {
    if (entry.size() < 2 || entry[0] != u'G' || entry[1] < u'0' || entry[1] > u'9') {
        return 0;
    }
    if (entry.size() > 2 && entry[2] == u'0') {
        return 10;
    }
    return entry[1].unicode() - u'0';
}

void PagingEngine::sendButtonClick(const RecipientSelection& selection) {
    if (m_jobRunning) {
        return;
    }
    if (selection.fromSendButton) {
        m_job.holdValue.clear();
    }
    m_outputs.clearResults();

    const bool checkedNames = !selection.tickedNames.isEmpty();
    if (selection.groupMode || checkedNames) {
        m_job.multiRecipient = true;
    } else if (selection.toMarker.isEmpty()) {
        m_outputs.setStatusText(u"Error: No recipient selected"_s);
        setPhase(Phase::None);
        return;
    } else {
        m_job.multiRecipient = false;
    }
    if (selection.message.isEmpty()) {
        m_outputs.setStatusText(u"Error: No message entered"_s);
        setPhase(Phase::None);
        return;
    }

    m_delivered = false;
    m_holdRefused = false;
    m_job.recipientInFlight = false;
    m_skipped = 0;
    if (m_job.multiRecipient) {
        for (int n = ServiceTable::first; n <= ServiceTable::last; ++n) {
            m_job.recipientLists[n].clear();
        }
        m_job.totalRecipients = 0;
        m_job.sentOkCount = 0;
        if (selection.groupMode) {
            queueGroup(selection.highlightedGroup);
        } else {
            queueTickedNames(selection.tickedNames);
        }
    }
    m_outputs.setStatusText(QString());
    if (m_client.Connected()) {
        return;
    }
    if (m_job.multiRecipient) {
        for (int n = ServiceTable::first; n <= ServiceTable::last; ++n) {
            m_job.serviceMessages[n] = cutTo(selection.message, m_services[n].maxChars);
        }
        m_jobRunning = ConnectToNextService(1);
        return;
    }
    startSingleRecipient(selection);
}

// A chosen recipient that Send leaves out of the job: outside the tally, but named in the results
// list with the others not paged, so that what the list shows is what "page again" would page.
void PagingEngine::reportLeftOut(const QString& name, const QString& pagerId, const QString& reason) {
    ++m_skipped;
    m_outputs.appendResult(u"NOT SENT: "_s + name + u" ("_s + reason + u')');
    reportNotPaged(name, pagerId, 0, reason);
}

void PagingEngine::queueGroup(int group) {
    if (group < 1 || group > groupCount) {
        return;
    }
    m_contacts.readGroupMembers(group, [&](const contactRecordType& contact) {
        if (ServiceTable::contains(contact.serviceNumber)) {
            m_job.recipientLists[contact.serviceNumber].append(contact.name);
            ++m_job.totalRecipients;
        } else {
            reportLeftOut(contact.name, contact.id,
                          u"service number %1 names no paging service"_s.arg(contact.serviceNumber));
        }
    });
}

void PagingEngine::queueTickedNames(const QStringList& names) {
    for (const QString& name : names) {
        if (!m_contacts.lookupContact(name, m_lookedUp)) {
            reportLeftOut(name, QString(), u"no contact of that name"_s);
        } else if (!ServiceTable::contains(m_lookedUp.serviceNumber)) {
            reportLeftOut(name, m_lookedUp.id,
                          u"service number %1 names no paging service"_s.arg(m_lookedUp.serviceNumber));
        } else {
            m_job.recipientLists[m_lookedUp.serviceNumber].append(name);
            ++m_job.totalRecipients;
        }
    }
}

// Why the single recipient cannot be sent, for the recipient's outcome; empty when it can. Sets
// the looked-up contact for a name.
QString PagingEngine::singleRecipientProblem(const RecipientSelection& selection) {
    if (selection.toMarker == directIdEntryMarker) {
        // A direct entry always goes to service 1 as typed; only a chunk size that could never
        // finish cutting the message keeps it from being sent.
        if (selection.idField.isEmpty()) {
            return u"no pager ID entered"_s;
        }
        return m_services[1].splitChars >= 1 ? QString() : u"service 1 cannot be paged"_s;
    }
    if (!m_contacts.lookupContact(selection.toMarker, m_lookedUp)) {
        return u"no contact of that name"_s;
    }
    if (!ServiceTable::contains(m_lookedUp.serviceNumber)) {
        return u"service number %1 names no paging service"_s.arg(m_lookedUp.serviceNumber);
    }
    if (!m_services.isUsable(m_lookedUp.serviceNumber)) {
        return u"service %1 cannot be paged"_s.arg(m_lookedUp.serviceNumber);
    }
    return QString();
}

void PagingEngine::startSingleRecipient(const RecipientSelection& selection) {
    m_job.contactName = selection.toMarker;
    const bool direct = selection.toMarker == directIdEntryMarker;
    const QString problem = singleRecipientProblem(selection);
    if (!problem.isEmpty()) {
        reportNotPaged(m_job.contactName, direct ? selection.idField : QString(), direct ? 1 : 0, problem);
        m_outputs.setStatusText(u"Error: Problem with contact and/or service"_s);
        return;
    }
    // PAGE takes the ID and then the pager's password: an ID with a blank would page another pager.
    const QString& id = direct ? selection.idField : m_lookedUp.id;
    if (!isPagerId(id)) {
        reportNotPaged(m_job.contactName, id, direct ? 1 : m_lookedUp.serviceNumber, notAPagerIdReason(id));
        m_outputs.setStatusText(direct ? u"Error: A pager ID is one word, without blanks or control characters"_s
                                       : u"Error: The pager ID of %1 is not one word"_s.arg(m_job.contactName));
        return;
    }
    m_job.altTried = false;
    m_endReason.clear();
    if (direct) {
        m_job.pagerId = selection.idField;
        m_job.currentService = 1;
        m_job.pagerPassword.clear();
    } else {
        m_job.currentService = m_lookedUp.serviceNumber;
        m_job.pagerId = m_lookedUp.id;
        m_job.pagerPassword = m_lookedUp.password;
    }
    const serviceRecordType& service = currentServiceRecord();
    m_job.serviceMessages[m_job.currentService] = cutTo(selection.message, service.maxChars);
    SetMessageIndex(m_job, service);
    try {
        m_client.setRemoteHost(service.realIP);
        m_client.setRemotePort(service.port);
    } catch (const Error&) {
        m_outputs.setStatusText(u"Error setting remotehost: "_s + service.realIP);
        writelogError(u"ERROR connecting to service"_s, true);
        reportNotPaged(m_job.contactName, m_job.pagerId, m_job.currentService,
                       u"cannot set the remote host "_s + service.realIP);
        return;
    }
    m_job.state = EngineState::Connecting;
    setPhase(Phase::Connecting);
    m_job.watchdogSeconds = singleRecipientWatchdog;
    m_jobRunning = true;
    m_client.setConnected(true);
}

} // namespace corvane
