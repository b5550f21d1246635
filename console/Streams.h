// Stream buffers over the process's file descriptors that tell a failed read or write from the
// end of the input and keep the system's reason, and the facts that choose their buffering.
#pragma once

#include <streambuf>

namespace console {

// The descriptors of standard input and output, the same in POSIX and in the Windows C runtime.
constexpr int standardInput = 0;
constexpr int standardOutput = 1;

// Returns true when standard input is a regular file (not a terminal, pipe or device); false
// when that cannot be determined.
bool standardInputIsRegularFile();

// Returns true when standard output is a terminal (on Windows: a character device such as the
// console); false when it is not or cannot be told.
bool standardOutputIsTerminal();

// Reads a file descriptor in large pieces. The end of the input is the end of file; a read
// that fails throws std::system_error with the system's error number, which an istream turns
// into badbit. Interrupted reads are repeated.
class FileInputBuffer : public std::streambuf {
public:
    explicit FileInputBuffer(int fd);
    FileInputBuffer(const FileInputBuffer&) = delete;
    FileInputBuffer& operator=(const FileInputBuffer&) = delete;

    // Returns the error number of the failed read, or 0 while every read has succeeded.
    int error() const { return failure; }

protected:
    int_type underflow() override;

private:
    // Large enough that a file of queries is read in a few dozen system calls.
    static constexpr int capacity = 1 << 16;
    int fd;
    int failure = 0;
    char buffer[capacity];
};

// When the collected output is written: at every flush (each std::endl and every wait for
// input), or only when a block is full and at the end, for a file of queries nobody watches.
enum class Flushing { atLineEnds, inBlocks };

// Writes to a file descriptor. After the first failed write it keeps the system's reason,
// drops what it holds and fails every later write and flush, so that its ostream goes bad and
// stays bad. Interrupted and partial writes are continued.
class FileOutputBuffer : public std::streambuf {
public:
    FileOutputBuffer(int fd, Flushing flushing);
    // Writes what is left, as finish() does.
    ~FileOutputBuffer() override;
    FileOutputBuffer(const FileOutputBuffer&) = delete;
    FileOutputBuffer& operator=(const FileOutputBuffer&) = delete;

    // Writes all collected output; returns false if that or any earlier write failed.
    bool finish();

    // Returns the error number of the failed write, or 0 while every write has succeeded.
    int error() const { return failure; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool writePending();

    // Large enough that a file of queries is answered in a few dozen system calls.
    static constexpr int capacity = 1 << 16;
    int fd;
    Flushing flushing;
    int failure = 0;
    char buffer[capacity];
};

} // namespace console
