#include "ui/nameSearch.h"

#include <algorithm>

namespace corvane {

QString foldAtoZ(const QString& text) {
    QString folded = text;
    for (QChar& c : folded) {
        if (c >= u'a' && c <= u'z') {
            c = QChar(c.unicode() - (u'a' - u'A'));
        }
    }
    return folded;
}

int compareCodes(const QString& a, const QString& b) {
    const auto* pa = a.utf16();
    const auto* pb = b.utf16();
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] != pb[i]) {
            return pa[i] < pb[i] ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int nameSearchWalk(int count, const std::function<const QString&(int)>& entry, int highlighted, const QString& text) {
    if (count <= 0) {
        return -1;
    }
    int at = highlighted < 0 || highlighted >= count ? 0 : highlighted;
    const QString s = foldAtoZ(text);
    const auto folded = [&](int i) { return foldAtoZ(entry(i)); };
    const int start = compareCodes(s, folded(at));
    if (start > 0) {
        while (compareCodes(folded(at), s) < 0 && at < count - 1) {
            ++at;
        }
    } else if (start < 0) {
        while (compareCodes(folded(at), s) > 0 && at > 0 && compareCodes(folded(at - 1), s) >= 0) {
            --at;
        }
    }
    return at;
}

} // namespace corvane
