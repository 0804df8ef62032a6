#pragma once

#include <QString>
#include <array>

namespace corvane {

inline constexpr int contactGroupCount = 10;

// A contact as the engine and the windows read it. Values never set read as empty text, 0 or false.
struct contactRecordType {
    QString name;
    QString id;
    int serviceNumber = 0;
    QString password;
    std::array<bool, contactGroupCount> memberGr{}; // memberGr[0] is group 1

    bool isMemberOf(int group) const { return group >= 1 && group <= contactGroupCount && memberGr[group - 1]; }
};

} // namespace corvane
