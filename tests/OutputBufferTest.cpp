// The output buffer of the standard output: what reaches its sink and when, a console's
// characters kept whole, a failed write kept for good; and the conversion for a Windows console.
#include "io/Buffers.h"
#include "io/WindowsConsole.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>
#include <string>
#include <vector>

namespace {

using io::Flushing;
using io::OutputBuffer;

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
        const std::size_t length = io::toConsoleUtf16(row.bytes.data(), row.bytes.size(),
                                                      out.data());
        EXPECT_EQ(std::wstring(out.data(), length), row.expected);
    }
}
#endif

// Records every write as a console (whole characters) or a descriptor would receive it;
// refuses them all with refusal, when set.
class RecordingSink : public io::Sink {
public:
    explicit RecordingSink(bool wholeCharacters = true) : console(wholeCharacters) {}
    int write(const char* text, std::size_t length) override
    {
        writes.emplace_back(text, length);
        received.append(text, length);
        return refusal;
    }
    bool takesWholeCharacters() const override { return console; }
    long held() const { return static_cast<long>(received.size()); }

    std::vector<std::string> writes;
    std::string received;
    int refusal = 0;
    bool console;
};

// After each step, how many bytes the sink holds: at every flush when line by line, only when
// a block is full or at the end when in blocks.
TEST(OutputBuffer, WritesAtLineEndsOrInBlocks)
{
    constexpr long block = OutputBuffer::capacity;
    struct Row {
        Flushing flushing;
        long afterPrompt; // "No. = ", no flush
        long afterLine;   // then "x" and std::endl
        long afterBlock;  // then a block's worth of characters more, with no flush
    };
    const long line = 8;
    const Row rows[] = {
        {Flushing::atLineEnds, 0, line, line},
        {Flushing::inBlocks, 0, 0, block},
        {Flushing::openLineHeld, 0, line, line},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.flushing));
        RecordingSink sink(false);
        OutputBuffer buffer(sink, row.flushing);
        std::ostream out(&buffer);
        out << "No. = ";
        EXPECT_EQ(sink.held(), row.afterPrompt);
        out << "x" << std::endl;
        EXPECT_EQ(sink.held(), row.afterLine);
        out << std::string(block, 'y');
        EXPECT_EQ(sink.held(), row.afterBlock);
        EXPECT_TRUE(buffer.finish());
        EXPECT_EQ(sink.held(), line + block);
        EXPECT_TRUE(out.good());
        EXPECT_EQ(buffer.error(), 0);
    }
}

// A console is handed whole characters: one cut by a flush or a full block waits for its other
// bytes, and at the end it is passed on as it is, for the conversion to show as U+FFFD. A
// descriptor takes the bytes as they come.
TEST(OutputBuffer, ACharacterCutOffAtTheEndIsWrittenLast)
{
    RecordingSink sink;
    RecordingSink bytes(false);
    {
        OutputBuffer buffer(sink, Flushing::atLineEnds);
        OutputBuffer byteBuffer(bytes, Flushing::atLineEnds);
        std::ostream out(&buffer);
        std::ostream byteOut(&byteBuffer);
        out << "a\xe7\xb5" << std::flush;
        byteOut << "a\xe7\xb5" << std::flush;
        ASSERT_EQ(sink.writes.size(), 1U);
        EXPECT_EQ(sink.writes[0], "a");
        EXPECT_EQ(bytes.writes, std::vector<std::string>{"a\xe7\xb5"});
    }
    ASSERT_EQ(sink.writes.size(), 2U);
    EXPECT_EQ(sink.writes[1], "\xe7\xb5");
}

// However its output is written, a refused write fails the stream for good: at once at a line
// end, in blocks at the end.
TEST(OutputBuffer, ARefusedWriteFailsTheStreamForGood)
{
    for (const Flushing flushing :
         {Flushing::atLineEnds, Flushing::inBlocks, Flushing::openLineHeld}) {
        RecordingSink sink;
        sink.refusal = ENOSPC;
        OutputBuffer buffer(sink, flushing);
        std::ostream out(&buffer);
        out << "p = 0.5" << std::endl;
        EXPECT_EQ(out.bad(), flushing != Flushing::inBlocks);
        EXPECT_FALSE(buffer.finish());
        EXPECT_EQ(buffer.error(), ENOSPC);
        // The sink takes writes again, but what failed once stays failed: nothing more is
        // written, and the end reports the failure.
        sink.refusal = 0;
        out.clear();
        out << "9: " << std::endl;
        EXPECT_TRUE(out.bad());
        EXPECT_FALSE(buffer.finish());
        EXPECT_EQ(sink.writes.size(), 1U);
    }
}

// For a line editor the open line waits at a flush: the editor shows it as its prompt and drops
// it, or more output comes first and takes it along, or the end writes it.
TEST(OutputBuffer, TheHeldOpenLineIsThePromptOrGoesOutWithTheNextLine)
{
    RecordingSink sink(false);
    OutputBuffer buffer(sink, Flushing::atLineEnds);
    buffer.holdOpenLine();
    std::ostream out(&buffer);
    out << "9: a\nNo. = " << std::flush;
    EXPECT_EQ(sink.received, "9: a\n");
    EXPECT_EQ(buffer.openLine(), "No. = ");
    buffer.dropOpenLine();
    out << "\nz = " << std::flush;
    EXPECT_EQ(sink.received, "9: a\n\n");
    out << "p = 0.975002" << std::endl;
    EXPECT_EQ(sink.received, "9: a\n\nz = p = 0.975002\n");
    EXPECT_EQ(buffer.openLine(), "");
    out << "No. = ";
    EXPECT_TRUE(buffer.finish());
    EXPECT_EQ(sink.received, "9: a\n\nz = p = 0.975002\nNo. = ");
}

} // namespace
