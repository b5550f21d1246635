// The conversion of the dialogue's UTF-8 output into UTF-16 for a Windows console, and the
// stream buffer that hands it over at every flush.
#include "console/Texts.h"
#include "console/WideConsole.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Converted {
    std::u16string units;
    std::size_t restOffset;
};

Converted convert(const std::string& bytes)
{
    std::vector<char16_t> out(2 * bytes.size() + 1);
    const char* rest = nullptr;
    const std::size_t length =
        console::toConsoleUtf16(bytes.data(), bytes.data() + bytes.size(), out.data(), rest);
    return {std::u16string(out.data(), length), static_cast<std::size_t>(rest - bytes.data())};
}

struct Case {
    const char* what;
    std::string bytes;
    std::u16string expected;
};

// Each row's bytes must convert completely, to its expected units.
template <std::size_t n>
void expectConversions(const Case (&cases)[n])
{
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        const Converted converted = convert(row.bytes);
        EXPECT_EQ(converted.units, row.expected);
        EXPECT_EQ(converted.restOffset, row.bytes.size());
    }
}

// Code points from the Unicode code charts (終 U+7D42, 了 U+4E86, 。 U+3002, 😀 U+1F600 as the
// surrogate pair D83D DE00); the boundaries of each byte length from the standard's chapter 3.
TEST(ToConsoleUtf16, WellFormedText)
{
    const Case cases[] = {
        {"ASCII", "No. = ", u"No. = "},
        {"a line end", "p = 0.5\n\n", u"p = 0.5\r\n\r\n"},
        {"a Japanese menu line", "9: \xe7\xb5\x82\xe4\xba\x86\xe3\x80\x82",
         u"9: \u7d42\u4e86\u3002"},
        {"U+0080, the first of two bytes", "\xc2\x80", u"\u0080"},
        {"U+07FF, the last of two bytes", "\xdf\xbf", u"\u07ff"},
        {"U+0800, the first of three bytes", "\xe0\xa0\x80", u"\u0800"},
        {"U+D7FF, just below the surrogates", "\xed\x9f\xbf", u"\ud7ff"},
        {"U+FFFF, the last of three bytes", "\xef\xbf\xbf", u"\uffff"},
        {"U+10000, the first of four bytes", "\xf0\x90\x80\x80", u"\U00010000"},
        {"U+1F600", "\xf0\x9f\x98\x80", std::u16string{0xd83d, 0xde00}},
        {"U+10FFFF, the last code point", "\xf4\x8f\xbf\xbf", std::u16string{0xdbff, 0xdfff}},
        {"a NUL byte is a character", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    expectConversions(cases);
}

// One U+FFFD for each longest well-formed beginning of a character; the examples follow the
// Unicode standard's practice for replacement (chapter 3, "U+FFFD Substitution of Maximal
// Subparts"), the first its Table 3-8 line.
TEST(ToConsoleUtf16, MalformedBytesBecomeReplacementCharacters)
{
    const Case cases[] = {
        {"the standard's example", "a\xf1\x80\x80\xe1\x80\xc2" "b\x80" "c\x80\xbf" "d",
         u"a\ufffd\ufffd\ufffdb\ufffdc\ufffd\ufffdd"},
        {"a lone continuation byte", "\x80", u"\ufffd"},
        {"C0 begins only an overlong form", "\xc0\xaf", u"\ufffd\ufffd"},
        {"an overlong three-byte form", "\xe0\x80\x80", u"\ufffd\ufffd\ufffd"},
        {"a surrogate", "\xed\xa0\x80", u"\ufffd\ufffd\ufffd"},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", u"\ufffd\ufffd\ufffd\ufffd"},
        {"F5 begins nothing", "\xf5" "a", u"\ufffda"},
        {"FF begins nothing", "\xff\n", u"\ufffd\r\n"},
        {"cut short by ASCII", "\xe3\x81" "A", u"\ufffdA"},
        {"cut short by a line end", "\xe3\n", u"\ufffd\r\n"},
        {"a Shift_JIS menu line", "9: \x8fI\x97\xb9\x81" "B", u"9: \ufffdI\ufffd\ufffd\ufffdB"},
        {"malformed at the very end", "\xe0\x80", u"\ufffd\ufffd"},
    };
    expectConversions(cases);
}

TEST(ToConsoleUtf16, AnIncompleteCharacterAtTheEndIsLeftForLater)
{
    const struct {
        const char* what;
        std::string bytes;
        std::u16string expected;
        std::size_t restOffset;
    } cases[] = {
        {"one byte of three", "ab\xe7", u"ab", 2},
        {"two bytes of three", "ab\xe7\xb5", u"ab", 2},
        {"three bytes of four", "\xf0\x9f\x98", u"", 0},
        {"after a line end", "\n\xe3\x80", u"\r\n", 1},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        const Converted converted = convert(row.bytes);
        EXPECT_EQ(converted.units, row.expected);
        EXPECT_EQ(converted.restOffset, row.restOffset);
    }
}

// Records every write, as the console would receive it; refuses them all when told to.
class RecordingSink : public console::WideSink {
public:
    bool write(const char16_t* text, std::size_t length) override
    {
        writes.emplace_back(text, length);
        return !refuse;
    }

    std::vector<std::u16string> writes;
    bool refuse = false;
};

TEST(WideConsoleBuffer, EveryFlushReachesTheConsoleAtOnce)
{
    RecordingSink sink;
    console::WideConsoleBuffer buffer(sink);
    std::ostream out(&buffer);
    out << console::utf8Texts.menuQuit << std::endl;
    ASSERT_EQ(sink.writes.size(), 1U);
    EXPECT_EQ(sink.writes[0], u"9: \u7d42\u4e86\u3002\r\n");

    // A prompt is not ended, but a read from a tied input stream flushes it first.
    std::istringstream in("1.96");
    in.tie(&out);
    out << "\nz = ";
    EXPECT_EQ(sink.writes.size(), 1U);
    double z = 0.0;
    in >> z;
    ASSERT_EQ(sink.writes.size(), 2U);
    EXPECT_EQ(sink.writes[1], u"\r\nz = ");
    EXPECT_TRUE(out.good());
}

TEST(WideConsoleBuffer, LongOutputKeepsCharactersSplitBetweenBlocks)
{
    RecordingSink sink;
    std::u16string expected;
    {
        console::WideConsoleBuffer buffer(sink);
        std::ostream out(&buffer);
        // Three bytes a character, so the blocks end inside characters.
        for (int i = 0; i < 3000; ++i) {
            out << "\xe7\xb5\x82";
            expected += u'\u7d42';
        }
        out << "\xf0\x9f\x98\x80";
        expected += u"\U0001F600";
    }
    std::u16string received;
    for (const std::u16string& write : sink.writes) {
        received += write;
    }
    EXPECT_GT(sink.writes.size(), 2U);
    EXPECT_EQ(received, expected);
}

TEST(WideConsoleBuffer, ACharacterCutOffAtTheEndBecomesOneReplacement)
{
    RecordingSink sink;
    {
        console::WideConsoleBuffer buffer(sink);
        std::ostream out(&buffer);
        out << "a\xe7\xb5" << std::flush;
        ASSERT_EQ(sink.writes.size(), 1U);
        EXPECT_EQ(sink.writes[0], u"a");
    }
    ASSERT_EQ(sink.writes.size(), 2U);
    EXPECT_EQ(sink.writes[1], u"\ufffd");
}

TEST(WideConsoleBuffer, ARefusedWriteFailsTheStreamForGood)
{
    RecordingSink sink;
    sink.refuse = true;
    console::WideConsoleBuffer buffer(sink);
    std::ostream out(&buffer);
    out << "p = 0.5" << std::endl;
    EXPECT_TRUE(out.bad());
    EXPECT_EQ(buffer.error(), EIO);
    // The console takes writes again, but what failed once stays failed: nothing more is
    // written, and the end reports the failure.
    sink.refuse = false;
    out.clear();
    out << "9: " << std::endl;
    EXPECT_TRUE(out.bad());
    EXPECT_FALSE(buffer.finish());
    EXPECT_EQ(sink.writes.size(), 1U);
}

TEST(StandardOutput, OnlyAWindowsConsoleIsWrittenCharacters)
{
    using console::Encoding;
    for (const Encoding encoding : {Encoding::shiftJis, Encoding::utf8}) {
        console::StandardOutput output(encoding, console::Flushing::atLineEnds);
        EXPECT_NE(dynamic_cast<console::FileOutputBuffer*>(output.buffer()), nullptr);
    }
    console::StandardOutput output(console::Encoding::utf16, console::Flushing::atLineEnds);
    EXPECT_NE(dynamic_cast<console::WideConsoleBuffer*>(output.buffer()), nullptr);
    EXPECT_EQ(output.error(), 0);
}

} // namespace
