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
    : m_collator(collationLocale(locale)) {
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);
    m_collator.setIgnorePunctuation(false);
}

int NameOrder::collate(const QString& a, const QString& b) const {
    return m_collator.compare(a, b);
}

bool NameOrder::before(const QString& a, const QString& b) const {
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
