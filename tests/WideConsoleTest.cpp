// The dialogue's output to a Windows console: the stream buffer that hands whole characters
// over at every flush, and their conversion to UTF-16.
#include "console/Texts.h"
#include "console/WideConsole.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

#ifdef _WIN32
// The conversion is Windows' own (MultiByteToWideChar); what is checked is that lines end in
// "\r\n" and that the characters between them are whole. Code points from the Unicode charts
// (終 U+7D42, 了 U+4E86, 。 U+3002).
TEST(ToConsoleUtf16, LineEndsAndJapaneseText)
{
    const struct {
        std::string bytes;
        std::wstring expected;
    } cases[] = {
        {"No. = ", L"No. = "},
        {"\np = 0.5\n\n", L"\r\np = 0.5\r\n\r\n"},
        {"9: \xe7\xb5\x82\xe4\xba\x86\xe3\x80\x82\n", L"9: \u7d42\u4e86\u3002\r\n"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.bytes);
        std::vector<wchar_t> out(2 * row.bytes.size());
        const std::size_t length = console::toConsoleUtf16(row.bytes.data(), row.bytes.size(),
                                                           out.data());
        EXPECT_EQ(std::wstring(out.data(), length), row.expected);
    }
}
#endif

// Records every write, as the console would receive it; refuses them all when told to.
class RecordingSink : public console::ConsoleSink {
public:
    bool write(const char* text, std::size_t length) override
    {
        writes.emplace_back(text, length);
        return !refuse;
    }

    std::vector<std::string> writes;
    bool refuse = false;
};

TEST(WideConsoleBuffer, EveryFlushReachesTheConsoleAtOnce)
{
    RecordingSink sink;
    console::WideConsoleBuffer buffer(sink);
    std::ostream out(&buffer);
    out << console::utf8Texts.menuQuit << std::endl;
    ASSERT_EQ(sink.writes.size(), 1U);
    EXPECT_EQ(sink.writes[0], std::string(console::utf8Texts.menuQuit) + "\n");

    // A prompt is not ended, but a read from a tied input stream flushes it first.
    std::istringstream in("1.96");
    in.tie(&out);
    out << "\nz = ";
    EXPECT_EQ(sink.writes.size(), 1U);
    double z = 0.0;
    in >> z;
    ASSERT_EQ(sink.writes.size(), 2U);
    EXPECT_EQ(sink.writes[1], "\nz = ");
    EXPECT_TRUE(out.good());
}

TEST(WideConsoleBuffer, LongOutputKeepsCharactersSplitBetweenBlocks)
{
    RecordingSink sink;
    std::string expected;
    {
        console::WideConsoleBuffer buffer(sink);
        std::ostream out(&buffer);
        // Three bytes a character (終), so the blocks end inside characters.
        for (int i = 0; i < 3000; ++i) {
            out << "\xe7\xb5\x82";
            expected += "\xe7\xb5\x82";
        }
    }
    std::string received;
    for (const std::string& write : sink.writes) {
        EXPECT_EQ(write.size() % 3, 0U);
        received += write;
    }
    EXPECT_GT(sink.writes.size(), 2U);
    EXPECT_EQ(received, expected);
}

// At the end it is passed on as it is, for the conversion to show as U+FFFD.
TEST(WideConsoleBuffer, ACharacterCutOffAtTheEndIsWrittenLast)
{
    RecordingSink sink;
    {
        console::WideConsoleBuffer buffer(sink);
        std::ostream out(&buffer);
        out << "a\xe7\xb5" << std::flush;
        ASSERT_EQ(sink.writes.size(), 1U);
        EXPECT_EQ(sink.writes[0], "a");
    }
    ASSERT_EQ(sink.writes.size(), 2U);
    EXPECT_EQ(sink.writes[1], "\xe7\xb5");
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
