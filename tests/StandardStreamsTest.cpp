// The standard streams on POSIX: what a descriptor is connected to, the flushing chosen from
// that, and how a write to a descriptor that fails part of the way, or moves nothing, is
// handled. (Failed reads and writes on real devices are tested end to end.)
#include "io/Buffers.h"
#include "io/StandardStreams.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>
#include <vector>

namespace {

using io::Flushing;
using io::StreamKind;

TEST(StreamKind, OfEachKindOfDescriptor)
{
    // A regular file without a name, gone when closed.
    const int file = open(testing::TempDir().c_str(), O_TMPFILE | O_RDWR, 0600);
    int ends[2] = {-1, -1};
    ASSERT_EQ(pipe(ends), 0);
    int master = -1;
    int slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const int devNull = open("/dev/null", O_RDONLY);
    const struct {
        const char* what;
        int fd;
        StreamKind kind;
    } rows[] = {
        {"a regular file", file, StreamKind::file},
        {"a pipe", ends[0], StreamKind::other},
        {"a terminal", slave, StreamKind::terminal},
        {"/dev/null", devNull, StreamKind::other},
        {"a closed descriptor", -1, StreamKind::other},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(io::streamKind(row.fd), row.kind) << row.what;
    }
    for (const int fd : {file, ends[0], ends[1], master, slave, devNull}) {
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
        {StreamKind::file, StreamKind::terminal, Flushing::atLineEnds},
        {StreamKind::file, StreamKind::windowsConsole, Flushing::atLineEnds},
        {StreamKind::other, StreamKind::other, Flushing::atLineEnds},
        {StreamKind::terminal, StreamKind::file, Flushing::atLineEnds},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(io::flushingFor(row.input, row.output), row.flushing)
            << int(row.input) << " into " << int(row.output);
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
        {"no space after a part", {5, -ENOSPC}, ENOSPC, "p = 0"},
        // Moving nothing without an error would be repeated for ever.
        {"a write that moves nothing", {0}, EIO, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ScriptedSink sink(row.script);
        EXPECT_EQ(sink.write(text.data(), text.size()), row.error);
        EXPECT_EQ(sink.written, row.written);
    }
}

} // namespace
