// The stream buffers over file descriptors: what reaches the file and when, and how a failed
// read or write shows in the stream and in the reason kept.
#include "console/Streams.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <istream>
#include <ostream>
#include <string>

namespace {

using console::FileInputBuffer;
using console::FileOutputBuffer;
using console::Flushing;

// The buffers' capacity: a block of output is written when it is full.
constexpr std::size_t block = 1 << 16;

// A fresh, empty file in the test's temporary directory, open for reading and writing.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& name)
        : path(testing::TempDir() + "normcalc_streams_" + name)
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

// A failed write turns the stream bad at the flush (line by line) or at the full block or the
// end (in blocks), keeps the system's reason, and fails everything after it.
TEST(FileOutputBuffer, AFailedWriteIsKeptAndFailsTheRest)
{
    const int full = open("/dev/full", O_WRONLY);
    ASSERT_GE(full, 0) << "no /dev/full";
    struct Row {
        const char* what;
        int fd;
        Flushing flushing;
        std::size_t characters; // written before std::endl
        bool badAtLineEnd;
        int error;
    };
    const Row rows[] = {
        {"full device, at the line end", full, Flushing::atLineEnds, 1, true, ENOSPC},
        {"full device, at the end", full, Flushing::inBlocks, 1, false, ENOSPC},
        {"full device, at the full block", full, Flushing::inBlocks, block + 1, true, ENOSPC},
        {"closed descriptor", -1, Flushing::atLineEnds, 1, true, EBADF},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FileOutputBuffer buffer(row.fd, row.flushing);
        std::ostream out(&buffer);
        out << std::string(row.characters, 'x') << std::endl;
        EXPECT_EQ(out.bad(), row.badAtLineEnd);
        EXPECT_FALSE(buffer.finish());
        EXPECT_EQ(buffer.error(), row.error);
        // Nothing written later gets through, nor changes the reason.
        out.clear();
        out << "more" << std::endl;
        EXPECT_TRUE(out.bad());
        EXPECT_FALSE(buffer.finish());
        EXPECT_EQ(buffer.error(), row.error);
    }
    close(full);
}

TEST(FileInputBuffer, ReadsToTheEndAndTellsAFailedReadFromIt)
{
    TemporaryFile file("read");
    const std::string text = "1 1.96\n" + std::string(block, ' ') + "9\n";
    ASSERT_EQ(write(file.fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ASSERT_EQ(lseek(file.fd, 0, SEEK_SET), 0);
    {
        FileInputBuffer buffer(file.fd);
        std::istream in(&buffer);
        int choice = 0;
        double z = 0.0;
        int quit = 0;
        in >> choice >> z >> quit >> std::ws;
        EXPECT_EQ(choice, 1);
        EXPECT_EQ(z, 1.96);
        EXPECT_EQ(quit, 9);
        EXPECT_TRUE(in.eof());
        EXPECT_FALSE(in.bad());
        EXPECT_EQ(buffer.error(), 0);
    }

    const int directory = open(testing::TempDir().c_str(), O_RDONLY);
    ASSERT_GE(directory, 0);
    const struct {
        const char* what;
        int fd;
        int error;
    } failures[] = {{"a directory", directory, EISDIR}, {"a closed descriptor", -1, EBADF}};
    for (const auto& row : failures) {
        SCOPED_TRACE(row.what);
        FileInputBuffer buffer(row.fd);
        std::istream in(&buffer);
        in >> std::ws;
        EXPECT_TRUE(in.bad());
        EXPECT_EQ(buffer.error(), row.error);
    }
    close(directory);
}

} // namespace
