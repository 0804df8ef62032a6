#pragma once

#include <QtGlobal>
#include <array>

namespace corvane {

// A fixed array indexed from 1, as service numbers are everywhere in the program: index 0 does not
// exist, so an off-by-one shows up at once instead of paging the wrong service.
template <typename T, int N>
class OneBased {
public:
    static constexpr int first = 1;
    static constexpr int last = N;

    T& operator[](int number) {
        checkRange(number);
        return m_items[static_cast<std::size_t>(number - 1)];
    }
    const T& operator[](int number) const {
        checkRange(number);
        return m_items[static_cast<std::size_t>(number - 1)];
    }
    static bool contains(int number) { return number >= first && number <= last; }

private:
    static void checkRange(int number) {
        if (!contains(number)) {
            qFatal("service number %d outside 1..%d", number, N);
        }
    }

    std::array<T, N> m_items{};
};

} // namespace corvane
