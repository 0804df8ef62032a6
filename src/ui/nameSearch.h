#pragma once

#include <QString>
#include <functional>

namespace corvane {

// Upper-cases the letters a to z only; every other character keeps its code.
QString foldAtoZ(const QString& text);

// Compares by 16-bit character codes, one after the other; a prefix is the smaller.
int compareCodes(const QString& a, const QString& b);

// The name search walk: from the highlighted entry (or the first, when none is), steps forward or
// backward towards the typed text and returns the entry to highlight, or -1 for an empty list.
// Each step is short, since it starts from where the previous keystroke left the highlight.
int nameSearchWalk(int count, const std::function<const QString&(int)>& entry, int highlighted, const QString& text);

} // namespace corvane
