#include "io/OpenLine.h"

#include <algorithm>
#include <cstring>

namespace io {

OpenLine::OpenLine(std::streambuf& into) : target(into)
{
    setp(buffer, buffer + capacity);
}

OpenLine::~OpenLine()
{
    finish();
}

char* OpenLine::lastLineEnd() const
{
    char* at = pptr();
    while (at > pbase() && at[-1] != '\n') {
        --at;
    }
    return at;
}

bool OpenLine::handOn(const char* end)
{
    const auto length = static_cast<std::streamsize>(end - pbase());
    if (length > 0 && !failed) {
        failed = target.sputn(pbase(), length) != length;
        lineOpen = end[-1] != '\n';
    }
    const auto kept = static_cast<std::size_t>(pptr() - end);
    std::memmove(buffer, end, kept);
    setp(buffer, buffer + capacity);
    pbump(static_cast<int>(kept));
    return !failed;
}

OpenLine::int_type OpenLine::overflow(int_type c)
{
    // Full: the complete lines go on, or everything when the open line fills the buffer.
    char* end = lastLineEnd();
    if (!handOn(end == pbase() ? pptr() : end)) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int OpenLine::sync()
{
    if (!handOn(lastLineEnd()) || target.pubsync() != 0) {
        failed = true;
        return -1;
    }
    return 0;
}

std::optional<std::string> OpenLine::takePrompt()
{
    if (sync() != 0) {
        return std::nullopt;
    }
    const bool showable = std::all_of(pbase(), pptr(), [](char c) { return c >= ' ' && c < 0x7f; });
    if (lineOpen || !showable) {
        if (!handOn(pptr()) || target.pubsync() != 0) {
            failed = true;
        }
        return std::nullopt;
    }
    std::string prompt(pbase(), pptr());
    setp(buffer, buffer + capacity);
    return prompt;
}

bool OpenLine::finish()
{
    return handOn(pptr()) && target.pubsync() == 0;
}

} // namespace io
