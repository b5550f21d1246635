// Stream buffers for the standard streams that tell a failed read or write from the end of the
// input and keep the system's reason: input from a descriptor, output to any sink.
#pragma once

#include <cstddef>
#include <streambuf>
#include <string>

namespace io {

// An input stream buffer that keeps the reason of a failed read; each kind of input (a
// descriptor, a Windows console) is one of these.
class InputBuffer : public std::streambuf {
public:
    // Returns the error number of the failed read, or 0 while every read has succeeded.
    int error() const { return failure; }

protected:
    // Keeps error and throws std::system_error with it, which an istream turns into badbit.
    [[noreturn]] void fail(int error);

private:
    int failure = 0;
};

// Reads a file descriptor in large pieces. The end of the input is the end of file;
// interrupted reads are repeated.
class DescriptorInput : public InputBuffer {
public:
    explicit DescriptorInput(int fd);
    DescriptorInput(const DescriptorInput&) = delete;
    DescriptorInput& operator=(const DescriptorInput&) = delete;

protected:
    int_type underflow() override;

private:
    // Large enough that a file of queries is read in a few dozen system calls.
    static constexpr int capacity = 1 << 16;
    int fd;
    char buffer[capacity];
};

// Where an OutputBuffer's bytes go.
class Sink {
public:
    virtual ~Sink() = default;
    // Writes all length bytes; returns 0, or the error number of the failure.
    virtual int write(const char* bytes, std::size_t length) = 0;
    // Returns true when a character's bytes must arrive together (a console that converts them).
    virtual bool takesWholeCharacters() const { return false; }
};

// A file descriptor. Interrupted and partial writes are continued.
class DescriptorSink : public Sink {
public:
    explicit DescriptorSink(int descriptor) : fd(descriptor) {}
    int write(const char* bytes, std::size_t length) override;

protected:
    // One write of at most length bytes: the number written, or -1 with errno set.
    virtual long writeSome(const char* bytes, long length);

private:
    int fd;
};

// When the collected output is written: at every flush (each std::endl and every wait for
// input), or only when a block is full and at the end, for a file of queries nobody watches;
// or, for a line editor that shows the open line as its prompt, the complete lines at every
// flush while the open line waits until more output follows it, the editor takes it, or the end.
enum class Flushing { atLineEnds, inBlocks, openLineHeld };

// Collects output and hands it to a sink. After the first failed write it keeps the reason,
// drops what it holds and fails every later write and flush, so that its ostream goes bad and
// stays bad.
class OutputBuffer : public std::streambuf {
public:
    OutputBuffer(Sink& sink, Flushing flushing);
    // Writes what is left, as finish() does.
    ~OutputBuffer() override;
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // Writes all collected output; returns false if that or any earlier write failed.
    bool finish();

    // Returns the error number of the failed write, or 0 while every write has succeeded.
    int error() const { return failure; }

    // Holds the open line back from now on (Flushing::openLineHeld).
    void holdOpenLine() { flushing = Flushing::openLineHeld; }
    // Returns the output collected after the last line end: the prompt once flushed, when held.
    std::string openLine() const { return std::string(lastLineEnd(), pptr()); }
    // Forgets the output after the last line end: a line editor has shown it in its place.
    void dropOpenLine() { pbump(static_cast<int>(lastLineEnd() - pptr())); }

    // The most bytes collected: a block of a file of queries, in a few dozen system calls.
    static constexpr int capacity = 1 << 16;

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    // Writes what is collected up to end and keeps the rest; false once a write has failed.
    bool writeOut(const char* end);
    // The end of what can be written now: all of it, or up to a character cut short for a
    // sink that takes whole characters.
    const char* wholeCharactersEnd() const;
    // The end of the last complete line collected, or pbase() when there is none.
    char* lastLineEnd() const;

    Sink& sink;
    Flushing flushing;
    int failure = 0;
    char bytes[capacity];
};

} // namespace io
