// The standard streams on POSIX: what a descriptor is connected to, the flushing chosen from
// that, and the output to a descriptor: what reaches the file and when, and how a write that
// fails part of the way, or moves nothing, is handled. (Failed reads and writes on real devices
// are tested end to end.)
#include "io/Buffers.h"
#include "io/StandardStreams.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using io::Flushing;
using io::StreamKind;

// A fresh, empty file in the test's temporary directory, open for reading and writing.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& name)
        : path(testing::TempDir() + "normcalc_streams_" + name + "_" + std::to_string(getpid()))
    {
        fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    }
    ~TemporaryFile()
    {
        close(fd);
        unlink(path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    long size() const
    {
        struct stat status {};
        return fstat(fd, &status) == 0 ? static_cast<long>(status.st_size) : -1;
    }

    std::string path;
    int fd = -1;
};

TEST(StreamKind, OfEachKindOfDescriptor)
{
    TemporaryFile file("kind");
    int ends[2] = {-1, -1};
    ASSERT_EQ(pipe(ends), 0);
    int master = -1;
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const int devNull = open("/dev/null", O_RDONLY);
    const int directory = open(testing::TempDir().c_str(), O_RDONLY | O_DIRECTORY);
    const struct {
        const char* what;
        int fd;
        StreamKind kind;
    } rows[] = {
        {"a regular file", file.fd, StreamKind::file},
        {"a pipe", ends[0], StreamKind::other},
        {"a terminal", slave, StreamKind::terminal},
        {"/dev/null", devNull, StreamKind::other},
        {"a directory", directory, StreamKind::other},
        {"a closed descriptor", -1, StreamKind::other},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(io::streamKind(row.fd), row.kind) << row.what;
    }
    for (const int fd : {ends[0], ends[1], master, slave, devNull, directory}) {
        close(fd);
    }
}

// Only a file of queries nobody watches is written in blocks.
TEST(StreamKind, DecidesTheFlushing)
{
    const struct {
        StreamKind input;
        StreamKind output;
        Flushing flushing;
    } rows[] = {
        {StreamKind::file, StreamKind::other, Flushing::inBlocks},
        {StreamKind::file, StreamKind::file, Flushing::inBlocks},
        {StreamKind::file, StreamKind::terminal, Flushing::atLineEnds},
        {StreamKind::file, StreamKind::windowsConsole, Flushing::atLineEnds},
        {StreamKind::other, StreamKind::other, Flushing::atLineEnds},
        {StreamKind::terminal, StreamKind::file, Flushing::atLineEnds},
        {StreamKind::windowsConsole, StreamKind::windowsConsole, Flushing::atLineEnds},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(io::flushingFor(row.input, row.output), row.flushing)
            << int(row.input) << " into " << int(row.output);
    }
}

// After each step, how many bytes the file holds: at every flush when line by line, only
// when a block is full or at the end when in blocks.
TEST(OutputBuffer, WritesAtLineEndsOrInBlocks)
{
    constexpr auto block = static_cast<std::size_t>(io::OutputBuffer::capacity);
    struct Row {
        Flushing flushing;
        long afterPrompt; // "No. = ", no flush
        long afterLine;   // then "x" and std::endl
        long afterBlock;  // then a block's worth of characters more, with no flush
        long afterFinish;
    };
    const long prompt = 6;
    const long line = prompt + 2;
    const long more = line + static_cast<long>(block);
    const Row rows[] = {
        {Flushing::atLineEnds, 0, line, line, more},
        {Flushing::inBlocks, 0, 0, static_cast<long>(block), more},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.flushing == Flushing::atLineEnds ? "at line ends" : "in blocks");
        TemporaryFile file("written");
        io::DescriptorSink sink(file.fd);
        io::OutputBuffer buffer(sink, row.flushing);
        std::ostream out(&buffer);
        out << "No. = ";
        EXPECT_EQ(file.size(), row.afterPrompt);
        out << "x" << std::endl;
        EXPECT_EQ(file.size(), row.afterLine);
        out << std::string(block, 'y');
        EXPECT_EQ(file.size(), row.afterBlock);
        EXPECT_TRUE(buffer.finish());
        EXPECT_EQ(file.size(), row.afterFinish);
        EXPECT_TRUE(out.good());
        EXPECT_EQ(buffer.error(), 0);
    }
}

// A descriptor whose writes follow a script: each entry is the count one write returns (at
// most what it was given), or minus an error number.
class ScriptedSink : public io::DescriptorSink {
public:
    explicit ScriptedSink(std::vector<long> script) : DescriptorSink(-1), steps(std::move(script))
    {
    }
    std::string written;

protected:
    long writeSome(const char* bytes, long length) override
    {
        const long step = next < steps.size() ? steps[next++] : length;
        if (step < 0) {
            errno = static_cast<int>(-step);
            return -1;
        }
        written.append(bytes, static_cast<std::size_t>(step < length ? step : length));
        return step;
    }

private:
    std::vector<long> steps;
    std::size_t next = 0;
};

TEST(DescriptorSink, ContinuesPartialAndInterruptedWritesAndFailsOnNoProgress)
{
    const std::string text = "p = 0.975002\n";
    const struct {
        const char* what;
        std::vector<long> script;
        int error;
        std::string written;
    } rows[] = {
        {"at once", {}, 0, text},
        {"in three parts", {4, 4}, 0, text},
        {"interrupted twice", {-EINTR, 3, -EINTR}, 0, text},
        {"no space", {-ENOSPC}, ENOSPC, ""},
        {"no space after a part", {5, -ENOSPC}, ENOSPC, "p = 0"},
        // Moving nothing without an error would be repeated for ever.
        {"a write that moves nothing", {0}, EIO, ""},
        {"nothing after a part", {2, 0}, EIO, "p "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ScriptedSink sink(row.script);
        EXPECT_EQ(sink.write(text.data(), text.size()), row.error);
        EXPECT_EQ(sink.written, row.written);
    }
}

} // namespace
