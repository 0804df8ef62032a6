#include "ui/toolkit/handlerGuard.h"

#include "platform/error.h"
#include "printers.h"
#include "recordingDialogs.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

TEST(HandlerGuard, ShowsTheErrorsOwnTextAndSkipsTheRestOfTheHandler) {
    test::RecordingDialogs dialogs;
    int reached = 0;
    EXPECT_FALSE(runGuarded(dialogs, [&] {
        throw Error(u"Unable to write to ./corvane3.ini"_s);
        ++reached;
    }));
    EXPECT_FALSE(runGuarded(dialogs, [&] { throw std::runtime_error("plain failure"); }));
    EXPECT_TRUE(runGuarded(dialogs, [&] { ++reached; }));
    EXPECT_EQ(reached, 1);
    EXPECT_EQ(dialogs.messages, (QStringList{u"Unable to write to ./corvane3.ini"_s, u"plain failure"_s}));
}

} // namespace
} // namespace corvane
