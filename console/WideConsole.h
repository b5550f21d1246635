// Output to a Windows console as UTF-16 characters (WriteConsoleW), which the console shows
// whatever its code page: the dialogue writes UTF-8 bytes, converted here at every flush.
#pragma once

#include "console/Encoding.h"
#include "console/Streams.h"

#include <cstddef>
#include <optional>
#include <streambuf>

namespace console {

// Converts the UTF-8 bytes [begin, end) to UTF-16 in out, which must have room for
// 2 * (end - begin) units, writing every "\n" as "\r\n"; returns the number of units written.
// Malformed bytes (a stray byte, an overlong form, a surrogate, a value beyond U+10FFFF) become
// U+FFFD, one for each longest well-formed beginning of a character. An incomplete character at
// the end is not converted: rest is set to its first byte (else to end), to be completed.
std::size_t toConsoleUtf16(const char* begin, const char* end, char16_t* out, const char*& rest);

// Where the UTF-16 text goes.
class WideSink {
public:
    virtual ~WideSink() = default;
    // Writes all length units of text; returns false if any could not be written.
    virtual bool write(const char16_t* text, std::size_t length) = 0;
};

// The console of standard output, through WriteConsoleW; a write fails on other systems.
class StandardConsoleSink : public WideSink {
public:
    bool write(const char16_t* text, std::size_t length) override;
};

// A stream buffer that collects bytes and hands them to a sink as UTF-16 whenever the stream
// is flushed (every std::endl, and every read from a tied input stream), so each line and
// prompt reaches the console at once. After the first failed write it fails every later
// write and flush, as FileOutputBuffer does, so that its ostream goes bad and stays bad.
class WideConsoleBuffer : public std::streambuf {
public:
    explicit WideConsoleBuffer(WideSink& sink);
    // Writes what is left, as finish() does.
    ~WideConsoleBuffer() override;
    WideConsoleBuffer(const WideConsoleBuffer&) = delete;
    WideConsoleBuffer& operator=(const WideConsoleBuffer&) = delete;

    // Writes all collected output, an incomplete character at its end as U+FFFD; returns
    // false if that or any earlier write failed.
    bool finish();

    // Returns EIO once a write has failed (Windows' own error codes are no errno values), else
    // 0.
    int error() const { return failure; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    // Converts and writes what is collected, keeping an incomplete character unless final.
    bool writeOut(bool final);

    // Far more than the longest stretch the dialogue writes between two flushes (a menu).
    static constexpr std::size_t bufferSize = 1024;
    WideSink& sink;
    int failure = 0;
    char bytes[bufferSize];
    char16_t units[2 * bufferSize];
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

} // namespace console
