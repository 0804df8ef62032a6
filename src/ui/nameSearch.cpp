#include "ui/nameSearch.h"

#include <algorithm>
#include <vector>

namespace corvane {

namespace {

QLocale collationLocale(const QLocale& locale) {
    return locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : locale;
}

} // namespace

NameOrder::NameOrder(const QLocale& locale)
    : m_collator(collationLocale(locale))
    , m_english(collationLocale(locale).language() == QLocale::English) {
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);
    m_collator.setIgnorePunctuation(false);
}

int NameOrder::collate(const QString& a, const QString& b) const {
    return m_collator.compare(a, b);
}

namespace {

// 0 blank, 1 to 10 digits, 11 to 36 letters without case; -1 for any other character.
int plainRank(char16_t c) {
    if (c == u' ') {
        return 0;
    }
    if (c >= u'0' && c <= u'9') {
        return 1 + (c - u'0');
    }
    if (c >= u'a' && c <= u'z') {
        return 11 + (c - u'a');
    }
    if (c >= u'A' && c <= u'Z') {
        return 11 + (c - u'A');
    }
    return -1;
}

} // namespace

std::optional<bool> NameOrder::plainBefore(const QString& a, const QString& b) const {
    if (!m_english) {
        return std::nullopt;
    }
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype i = 0;
    for (; i < common; ++i) {
        const int x = plainRank(a[i].unicode());
        const int y = plainRank(b[i].unicode());
        if (x < 0 || y < 0) {
            return std::nullopt;
        }
        if (x != y) {
            // The rest must be plain too for the first difference to decide.
            for (qsizetype j = i + 1; j < a.size(); ++j) {
                if (plainRank(a[j].unicode()) < 0) {
                    return std::nullopt;
                }
            }
            for (qsizetype j = i + 1; j < b.size(); ++j) {
                if (plainRank(b[j].unicode()) < 0) {
                    return std::nullopt;
                }
            }
            return x < y;
        }
    }
    if (a.size() == b.size()) {
        return std::nullopt; // the same without case: the collator and the character codes decide
    }
    const QString& longer = a.size() > b.size() ? a : b;
    for (qsizetype j = i; j < longer.size(); ++j) {
        if (plainRank(longer[j].unicode()) < 0) {
            return std::nullopt;
        }
    }
    return a.size() < b.size();
}

bool NameOrder::before(const QString& a, const QString& b) const {
    if (const std::optional<bool> plain = plainBefore(a, b)) {
        return *plain;
    }
    const int c = collate(a, b);
    return c != 0 ? c < 0 : a < b;
}

void NameOrder::sort(QStringList& names) const {
    // Names usually come from the table in its own (case-folded) order, which is already this order
    // for most lists; one pass finds that out at a fraction of the cost of sorting.
    const bool sorted = std::is_sorted(names.cbegin(), names.cend(),
                                       [this](const QString& a, const QString& b) { return before(a, b); });
    if (sorted) {
        return;
    }
    struct Keyed {
        QCollatorSortKey key;
        QString name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(static_cast<std::size_t>(names.size()));
    for (QString& name : names) {
        keyed.push_back({m_collator.sortKey(name), std::move(name)});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int c = a.key.compare(b.key);
        return c != 0 ? c < 0 : a.name < b.name;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i) {
        names[static_cast<qsizetype>(i)] = std::move(keyed[i].name);
    }
}

int nameSearchWalk(int count, const std::function<const QString&(int)>& entry, int highlighted, const QString& text,
                   const NameOrder& order) {
    if (count <= 0) {
        return -1;
    }
    int at = highlighted < 0 || highlighted >= count ? 0 : highlighted;
    const int start = order.collate(text, entry(at));
    if (start > 0) {
        while (order.collate(entry(at), text) < 0 && at < count - 1) {
            ++at;
        }
    } else if (start < 0) {
        while (order.collate(entry(at), text) > 0 && at > 0 && order.collate(entry(at - 1), text) >= 0) {
            --at;
        }
    }
    return at;
}

} // namespace corvane
