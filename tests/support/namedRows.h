#pragma once

#include <cctype>
#include <concepts>
#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace corvane::test {

// Names each row of a parameterised test after its `what` text, so a failure names the row: letters
// and digits are kept, everything else becomes '_'.
struct NamedByWhat {
    template <typename Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        std::string name;
        for (const char* c = info.param.what; *c != '\0'; ++c) {
            name += std::isalnum(static_cast<unsigned char>(*c)) != 0 ? *c : '_';
        }
        return name;
    }
};

// Prints a row as its `what` text where GoogleTest shows the parameter (test listings, failures).
// A test file brings it in with `using test::PrintTo;` in the namespace of its rows.
template <typename Row>
requires requires(const Row& row) {
    { row.what } -> std::convertible_to<const char*>;
}
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.what;
}

} // namespace corvane::test
