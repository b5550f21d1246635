// The output buffer over a file descriptor: what reaches the file, and when. (Failed reads and
// writes are tested end to end, on real devices.)
#include "console/Streams.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ostream>
#include <string>

namespace {

using console::FileOutputBuffer;
using console::Flushing;

// The buffers' capacity: a block of output is written when it is full.
constexpr std::size_t block = 1 << 16;

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

// After each step, how many bytes the file holds: at every flush when line by line, only
// when a block is full or at the end when in blocks.
TEST(FileOutputBuffer, WritesAtLineEndsOrInBlocks)
{
    struct Row {
        Flushing flushing;
        long afterPrompt;    // "No. = ", no flush
        long afterLine;      // then "x" and std::endl
        long afterBlock;     // then a block's worth of characters more, with no flush
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
        FileOutputBuffer buffer(file.fd, row.flushing);
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

} // namespace
