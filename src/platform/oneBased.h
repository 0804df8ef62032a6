#pragma once

#include <QtGlobal>
#include <array>

namespace corvane {

// A fixed array indexed from 1, as service, quick-message and group numbers are everywhere in the
// program: index 0 does not exist, so an off-by-one stops the program at once instead of quietly
// paging the wrong service.
template <typename T, int N>
class OneBased {
public:
    static constexpr int first = 1;
    static constexpr int last = N;

    OneBased() = default;
    // Items 1 to N in order, for a table written out in full.
    explicit OneBased(const std::array<T, N>& items)
        : m_items(items) {}

    T& operator[](int number) {
        checkRange(number);
        return m_items[static_cast<std::size_t>(number - 1)];
    }
    const T& operator[](int number) const {
        checkRange(number);
        return m_items[static_cast<std::size_t>(number - 1)];
    }
    static bool contains(int number) { return number >= first && number <= last; }

    // Every item from number 1 to N, for loops that visit them all.
    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    static void checkRange(int number) {
        if (!contains(number)) {
            qFatal("number %d outside 1..%d", number, N);
        }
    }

    std::array<T, N> m_items{};
};

} // namespace corvane
