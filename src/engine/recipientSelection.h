#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// The main window's recipient selection as the Send command reads it, taken as a plain value.
struct RecipientSelection {
    bool groupMode = false;     // the group mode indicator is showing
    QString highlightedGroup;   // the highlighted groups-list entry, "G" + n + ": " + name; empty: none
    QStringList tickedNames;    // ticked names, in list order
    QString toMarker;           // contact name, "[selected names]", "[Group n]", "DIRECT ID ENTRY", "" or "[ ]"
    QString idField;            // the ID field (direct ID entry)
    QString message;            // the message editor's text
    bool fromSendButton = true; // false for the future delivery path, which keeps the hold value
};

inline const QString directIdEntryMarker = QStringLiteral("DIRECT ID ENTRY");
// The longest message an operator can enter, and the longest pager ID of a direct entry.
inline constexpr int messageMaxLength = 999;
inline constexpr int pagerIdMaxLength = 20;

// The group number of a groups-list entry "G" + n + ": " + name: the digit after "G", or 10 when a
// "0" follows that digit; 0 when the entry has no such digit.
int groupNumberOfEntry(const QString& entry);

} // namespace corvane
