#include "Encoding.h"

#include <gtest/gtest.h>

namespace {

// --- Detection ---

struct DetectCase
{
    const char* what;
    std::string bytes;
    TextEncoding encoding;
    bool bom;
};

TEST(Encoding, Detects)
{
    const DetectCase cases[] = {
        {"byte-order mark", "\xEF\xBB\xBFKlubbkamp\r\n", TextEncoding::Utf8, true},
        {"mark before bytes that are not UTF-8", "\xEF\xBB\xBFV\xE5r", TextEncoding::Windows1252, false},
        {"valid UTF-8 with \xC3\xA5", "V\xC3\xA5rturneringen\r\n", TextEncoding::Utf8, false},
        {"Windows-1252 \xE5, not UTF-8", "V\xE5rturneringen\r\n", TextEncoding::Windows1252, false},
        {"UTF-8 sequence cut at the end", "Anna \xC3", TextEncoding::Windows1252, false},
        {"overlong UTF-8", "\xC0\xAF", TextEncoding::Windows1252, false},
        {"UTF-8 surrogate", "\xED\xA0\x80", TextEncoding::Windows1252, false},
        {"pure ASCII", "Klubbkamp\r\n\r\nOmgang 1\r\nAnna 10\r\n", TextEncoding::Windows1252, false},
        {"empty", "", TextEncoding::Windows1252, false},
    };
    for (const DetectCase& c : cases) {
        bool bom = !c.bom;
        EXPECT_EQ(DetectEncoding(c.bytes, bom), c.encoding) << c.what;
        EXPECT_EQ(bom, c.bom) << c.what;
    }
}

// --- Conversion ---

TEST(Encoding, EveryWindows1252ByteRoundTrips)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const std::u16string text = ToUtf16(all, TextEncoding::Windows1252);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(text[0xE5], u'\u00E5');
    EXPECT_EQ(text[0x80], u'\u20AC');
    EXPECT_EQ(text[0x81], u'\u0081'); // undefined in Windows-1252: kept as its C1 control
    EXPECT_EQ(FromUtf16(text, TextEncoding::Windows1252), all);
    // ToUtf8 agrees with ToUtf16 for every byte.
    EXPECT_EQ(ToUtf16(ToUtf8(all, TextEncoding::Windows1252), TextEncoding::Utf8), text);
}

TEST(Encoding, UnrepresentableBecomesQuestionMark)
{
    EXPECT_EQ(FromUtf16(u"\u00C5sa \u0141\u00F3d\u017A \u4E2D", TextEncoding::Windows1252), "\xC5sa ?\xF3" "d? ?");
    EXPECT_EQ(FromUtf16(u"a\xD800z", TextEncoding::Windows1252), "a?z");
    EXPECT_EQ(FromUtf16(u"a\xD800z", TextEncoding::Utf8), "a?z");
    EXPECT_EQ(FromUtf16(u"\u00E5\U0001F600", TextEncoding::Utf8), "\xC3\xA5\xF0\x9F\x98\x80");
    EXPECT_EQ(ToUtf16("\xC3\xA5\xF0\x9F\x98\x80", TextEncoding::Utf8), u"\u00E5\U0001F600");
    EXPECT_EQ(ToUtf16("a\xFFz", TextEncoding::Utf8), u"a\uFFFDz");
}

TEST(Encoding, TextLengthCountsCharacters)
{
    EXPECT_EQ(TextLength("G\xC3\xB6ran", TextEncoding::Utf8), 5u);
    EXPECT_EQ(TextLength("G\xC3\xB6ran", TextEncoding::Windows1252), 6u);
    EXPECT_EQ(TextLength("\xF0\x9F\x98\x80", TextEncoding::Utf8), 1u);
}

} // namespace
