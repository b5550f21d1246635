// Output to a Windows console as UTF-16 characters (WriteConsoleW), which the console shows
// whatever its code page: the dialogue writes UTF-8 bytes, converted here at every flush.
#pragma once

#include "console/Encoding.h"

#include <cstddef>
#include <optional>
#include <ostream>
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
// prompt reaches the console at once. Failures show as a failed stream.
class WideConsoleBuffer : public std::streambuf {
public:
    explicit WideConsoleBuffer(WideSink& sink);
    ~WideConsoleBuffer() override;
    WideConsoleBuffer(const WideConsoleBuffer&) = delete;
    WideConsoleBuffer& operator=(const WideConsoleBuffer&) = delete;

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    // Converts and writes what is collected, keeping an incomplete character unless final.
    bool writeOut(bool final);

    // Far more than the longest stretch the dialogue writes between two flushes (a menu).
    static constexpr std::size_t bufferSize = 1024;
    WideSink& sink;
    char bytes[bufferSize];
    char16_t units[2 * bufferSize];
};

// For its lifetime, makes stream write to the Windows console through a WideConsoleBuffer when
// encoding is utf16; leaves stream alone for any other encoding.
class WideConsoleOutput {
public:
    WideConsoleOutput(Encoding encoding, std::ostream& stream);
    // Flushes the stream and gives it back its own buffer.
    ~WideConsoleOutput();
    WideConsoleOutput(const WideConsoleOutput&) = delete;
    WideConsoleOutput& operator=(const WideConsoleOutput&) = delete;

private:
    std::ostream& stream;
    std::streambuf* previous = nullptr;
    StandardConsoleSink console;
    std::optional<WideConsoleBuffer> buffer;
};

} // namespace console
