// Output buffering for batch use: when standard input is a regular file nobody waits at a
// prompt, so the output may be written in blocks instead of flushed at every line.
#pragma once

#include <streambuf>

namespace console {

// Returns true when standard input is a regular file (not a terminal, pipe or device); false
// when that cannot be determined.
bool standardInputIsRegularFile();

// A stream buffer that collects output in blocks for another one and ignores flush requests:
// std::endl then ends a line without a system call. Writes what is left, and flushes the
// target, when finished or destroyed.
class BlockBuffer : public std::streambuf {
public:
    explicit BlockBuffer(std::streambuf& target);
    ~BlockBuffer() override;
    BlockBuffer(const BlockBuffer&) = delete;
    BlockBuffer& operator=(const BlockBuffer&) = delete;

    // Writes the collected output to the target and flushes it; returns false if that failed.
    bool finish();

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool writeBlock();

    // Large enough that a file of queries is written in a few dozen system calls.
    static constexpr int blockSize = 1 << 16;
    std::streambuf& target;
    char block[blockSize];
};

} // namespace console
