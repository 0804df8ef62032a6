#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace corvane {

// The order of the names list: alphabetical without regard to case in the user's language, so that
// "Ångström" stands with the A's and "Müller" next to "Mueller". A machine set to the plain C locale
// gets English alphabetical order rather than character codes.
class NameOrder {
public:
    explicit NameOrder(const QLocale& locale = QLocale());

    // The collation alone: 0 for names that differ only in case.
    int collate(const QString& a, const QString& b) const;
    // The list's order: the collation, then character codes, so that no two names tie.
    bool before(const QString& a, const QString& b) const;
    // Sorts many names at once (one collation key each, not one collation per comparison).
    void sort(QStringList& names) const;

private:
    // For names of ASCII letters, digits and blanks only, English collation orders as their
    // case-folded characters do (blank, then digits, then letters): that order without asking the
    // collator, or nothing when it cannot tell.
    std::optional<bool> plainBefore(const QString& a, const QString& b) const;

    QCollator m_collator;
    bool m_english = false;
};

// The name search walk: from the highlighted entry (or the first, when none is), steps forward or
// backward towards the typed text and returns the entry to highlight, or -1 for an empty list. It
// compares as the list is sorted, so it ends on the first name not below the text. Each step is
// short, since it starts from where the previous keystroke left the highlight.
int nameSearchWalk(int count, const std::function<const QString&(int)>& entry, int highlighted, const QString& text,
                   const NameOrder& order);

} // namespace corvane
