#pragma once

#include <cctype>
#include <gtest/gtest.h>
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

} // namespace corvane::test
