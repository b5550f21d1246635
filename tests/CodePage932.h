// Code page 932 (Shift_JIS) bytes of UTF-8 text, converted by the C library, for tests that
// compare or feed the calculator both encodings.
#pragma once

#include <gtest/gtest.h>

#include <iconv.h>

#include <cerrno>
#include <string>
#include <vector>

// True when the C library can convert to code page 932: an emulated build (qemu-user with a
// cross compiler's libraries) may have no converter modules for its own architecture.
inline bool canConvertToCodePage932()
{
    const iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    iconv_close(converter);
    return true;
}

// Converts UTF-8 text to code page 932 with the C library's iconv; fails the test on a
// character that has no code there, or on bytes that are not UTF-8.
inline std::string toCodePage932(const std::string& utf8)
{
    const iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv cannot convert UTF-8 to CP932";
        return std::string();
    }
    std::vector<char> in(utf8.begin(), utf8.end());
    // Two code page 932 bytes per character at most, never more than its UTF-8 form.
    std::vector<char> out(utf8.size() + 1);
    char* inNext = in.data();
    char* outNext = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const std::size_t converted = iconv(converter, &inNext, &inLeft, &outNext, &outLeft);
    const int error = errno;
    iconv_close(converter);
    if (converted == static_cast<std::size_t>(-1)) {
        ADD_FAILURE() << "iconv stopped at byte " << (inNext - in.data()) << ": errno " << error;
    }
    return std::string(out.data(), outNext);
}
