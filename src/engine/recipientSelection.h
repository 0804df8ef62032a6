#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// The main window's recipient selection as the Send command reads it, taken as a plain value.
struct RecipientSelection {
    bool groupMode = false;     // the group mode indicator is showing
    int highlightedGroup = 0;   // the number (1 to 10) of the highlighted groups-list entry; 0: none
    QStringList tickedNames;    // ticked names, in list order
    QString toMarker;           // contact name, "[selected names]", "[Group n]", "DIRECT ID ENTRY", "" or "[ ]"
    QString idField;            // the ID field (direct ID entry)
    QString message;            // the message editor's text
    bool fromSendButton = true; // false for the future delivery path, which keeps the hold value

    // The selections a program makes without the main window's controls (the command line, the
    // results window's "page again"), as the window would show them.
    static RecipientSelection ofGroup(int group, const QString& message);
    // Ticked names: a job with queued recipients, also for one name.
    static RecipientSelection ofTickedNames(const QStringList& names, const QString& message);
    static RecipientSelection ofContact(const QString& name, const QString& message);
    static RecipientSelection ofPagerId(const QString& id, const QString& message);
};

inline const QString directIdEntryMarker = QStringLiteral("DIRECT ID ENTRY");
// The longest message an operator can enter, and the longest pager ID of a direct entry.
inline constexpr int messageMaxLength = 999;
inline constexpr int pagerIdMaxLength = 20;

// The group number of a groups-list entry "G" + n + ": " + name: the digit after "G", or 10 when a
// "0" follows that digit; 0 when the entry has no such digit.
int groupNumberOfEntry(const QString& entry);

} // namespace corvane
