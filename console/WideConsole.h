// A Windows console read and written as UTF-16 characters (ReadConsoleW, WriteConsoleW), which
// need no code page: the dialogue reads and writes UTF-8 bytes, converted here.
#pragma once

#include "console/Encoding.h"
#include "console/Streams.h"

#include <cstddef>
#include <optional>
#include <streambuf>

namespace console {

// The most bytes a WideConsoleBuffer hands to its sink at once: far more than the longest
// stretch the dialogue writes between two flushes (a menu).
constexpr std::size_t consoleBlockSize = 1024;

// Where the console's text goes, as whole UTF-8 characters.
class ConsoleSink {
public:
    virtual ~ConsoleSink() = default;
    // Writes all length bytes of text, at most consoleBlockSize; returns false if any could
    // not be written.
    virtual bool write(const char* text, std::size_t length) = 0;
};

#ifdef _WIN32
// Converts UTF-8 to UTF-16 in out, which must have room for 2 * length units, writing every
// "\n" as "\r\n"; returns the number of units written. Malformed bytes become U+FFFD.
std::size_t toConsoleUtf16(const char* text, std::size_t length, wchar_t* out);
#endif

// The console of standard output, through WriteConsoleW; a write fails on other systems.
class StandardConsoleSink : public ConsoleSink {
public:
    bool write(const char* text, std::size_t length) override;

private:
#ifdef _WIN32
    wchar_t units[2 * consoleBlockSize];
#endif
};

// A stream buffer that collects bytes and hands them to a sink whenever the stream is flushed
// (every std::endl, and every read from a tied input stream), so each line and prompt reaches
// the console at once; a character cut by the end of the buffer waits for its other bytes.
// After the first failed write it fails every later write and flush, as FileOutputBuffer
// does, so that its ostream goes bad and stays bad.
class WideConsoleBuffer : public std::streambuf {
public:
    explicit WideConsoleBuffer(ConsoleSink& sink);
    // Writes what is left, as finish() does.
    ~WideConsoleBuffer() override;
    WideConsoleBuffer(const WideConsoleBuffer&) = delete;
    WideConsoleBuffer& operator=(const WideConsoleBuffer&) = delete;

    // Writes all collected output, an incomplete character at its end too; returns false if
    // that or any earlier write failed.
    bool finish();

    // Returns EIO once a write has failed (Windows' own error codes are no errno values), else
    // 0.
    int error() const { return failure; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    // Writes what is collected, keeping an incomplete character unless final.
    bool writeOut(bool final);

    ConsoleSink& sink;
    int failure = 0;
    char bytes[consoleBlockSize];
};

// Standard output as the dialogue writes it: UTF-16 characters through WriteConsoleW when the
// encoding is utf16 (a Windows console), else bytes through a FileOutputBuffer.
class StandardOutput {
public:
    StandardOutput(Encoding encoding, Flushing flushing);
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    // Returns the stream buffer to write to.
    std::streambuf* buffer();
    // Writes all collected output; returns false if that or any earlier write failed.
    bool finish();
    // Returns the error number of the failed write, or 0 while every write has succeeded.
    int error() const;

private:
    FileOutputBuffer file;
    StandardConsoleSink console;
    std::optional<WideConsoleBuffer> wide;
};

#ifdef _WIN32
// Reads the console of standard input as characters (ReadConsoleW) and hands them on as
// UTF-8. A Ctrl-Z ends the input, as in the C runtime's text mode; a read that fails throws
// std::system_error with EIO, which an istream turns into badbit.
class ConsoleInputBuffer : public std::streambuf {
public:
    ConsoleInputBuffer();
    ConsoleInputBuffer(const ConsoleInputBuffer&) = delete;
    ConsoleInputBuffer& operator=(const ConsoleInputBuffer&) = delete;

    // Returns EIO once a read has failed, else 0.
    int error() const { return failure; }

protected:
    int_type underflow() override;

private:
    // Far more than a line a person types.
    static constexpr int capacity = 4096;
    // A UTF-16 unit becomes at most three bytes of UTF-8 (a pair of them, four).
    static constexpr int bytesPerUnit = 3;
    int failure = 0;
    bool ended = false;
    wchar_t units[capacity];
    char bytes[bytesPerUnit * capacity];
};
#endif

// Standard input as the dialogue reads it: a Windows console as characters, anything else
// (a terminal, pipe or file, or a console on another system) as bytes.
class StandardInput {
public:
    StandardInput();
    StandardInput(const StandardInput&) = delete;
    StandardInput& operator=(const StandardInput&) = delete;

    // Returns the stream buffer to read from.
    std::streambuf* buffer();
    // Returns the error number of the failed read, or 0 while every read has succeeded.
    int error() const;

private:
    FileInputBuffer file;
#ifdef _WIN32
    std::optional<ConsoleInputBuffer> console;
#endif
};

} // namespace console
