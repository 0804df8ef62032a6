#include "platform/codePage.h"

#include "printers.h"

#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

namespace corvane {
namespace {

struct EncodeCase {
    const char* what;
    QString text;
    QByteArray bytes;
};

TEST(CodePage, EncodesWindows1252AndReplacesTheRestWithQuestionMarks) {
    const EncodeCase cases[] = {
        {"ascii", u"PAGE 5551234\r\n"_s, "PAGE 5551234\r\n"},
        {"latin-1 range", u"caf\u00e9 \u00ff\u00a0"_s, "caf\xe9 \xff\xa0"},
        {"0x80..0x9f block", u"\u20ac\u201a\u0192\u2122\u0178\u017e"_s, "\x80\x82\x83\x99\x9f\x9e"},
        {"undefined bytes keep their C1 code", u"\u0081\u008d\u008f\u0090\u009d"_s, "\x81\x8d\x8f\x90\x9d"},
        {"C1 controls 1252 redefines", u"\u0080\u0099"_s, "??"},
        {"outside the code page", u"\u4e2d\u0101\u03a9"_s, "???"},
        {"surrogate pair is one character", u"a\U0001F600b"_s, "a?b"},
        {"lone surrogate", QString(QChar(0xD800)) + u"x"_s, "?x"},
        {"empty", QString(), QByteArray()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(toCodePage(c.text), c.bytes) << c.what;
    }
}

TEST(CodePage, EveryByteSurvivesARoundTrip) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        all.append(static_cast<char>(b));
    }
    const QString text = fromCodePage(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(text[0x80], QChar(0x20AC));
    EXPECT_EQ(text[0xE9], QChar(0xE9));
    EXPECT_EQ(toCodePage(text), all);
}

} // namespace
} // namespace corvane
