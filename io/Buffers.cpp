#include "io/Buffers.h"

#include "io/Utf8.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace io {

// The Windows C runtime reads and writes in text mode as it does for its own streams: "\r\n"
// is read as "\n", a 0x1A byte ends the input, and "\n" is written as "\r\n" (the count it
// returns leaves the added "\r" out).

void InputBuffer::fail(int error)
{
    failure = error;
    throw std::system_error(failure, std::generic_category(), "read error");
}

DescriptorInput::DescriptorInput(int fileDescriptor) : fd(fileDescriptor)
{
    setg(buffer, buffer, buffer);
}

DescriptorInput::int_type DescriptorInput::underflow()
{
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    for (;;) {
#if defined(_WIN32)
        const long got = _read(fd, buffer, static_cast<unsigned>(capacity));
#else
        const long got = static_cast<long>(read(fd, buffer, static_cast<std::size_t>(capacity)));
#endif
        if (got > 0) {
            setg(buffer, buffer, buffer + got);
            return traits_type::to_int_type(*gptr());
        }
        if (got == 0) {
            return traits_type::eof();
        }
        if (errno != EINTR) {
            fail(errno);
        }
    }
}

long DescriptorSink::writeSome(const char* from, long size)
{
#if defined(_WIN32)
    return _write(fd, from, static_cast<unsigned>(size));
#else
    return static_cast<long>(::write(fd, from, static_cast<std::size_t>(size)));
#endif
}

int DescriptorSink::write(const char* from, std::size_t size)
{
    auto left = static_cast<long>(size);
    while (left > 0) {
        const long written = writeSome(from, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            // A write that moves nothing without an error would be repeated for ever: it is
            // taken as the device's failure.
            return written < 0 ? errno : EIO;
        }
        const long done = written < left ? written : left;
        from += done;
        left -= done;
    }
    return 0;
}

OutputBuffer::OutputBuffer(Sink& target, Flushing flushingRule)
    : sink(target), flushing(flushingRule)
{
    setp(bytes, bytes + capacity);
}

OutputBuffer::~OutputBuffer()
{
    finish();
}

const char* OutputBuffer::wholeCharactersEnd() const
{
    return sink.takesWholeCharacters() ? utf8::wholeCharactersEnd(pbase(), pptr()) : pptr();
}

char* OutputBuffer::lastLineEnd() const
{
    char* at = pptr();
    while (at > pbase() && at[-1] != '\n') {
        --at;
    }
    return at;
}

bool OutputBuffer::writeOut(const char* end)
{
    if (failure != 0) {
        return false;
    }
    const auto length = static_cast<std::size_t>(end - pbase());
    const auto kept = static_cast<std::size_t>(pptr() - end);
    if (length > 0) {
        failure = sink.write(pbase(), length);
    }
    if (failure != 0) {
        // Nothing more reaches the buffer: every later character goes to overflow.
        setp(nullptr, nullptr);
        return false;
    }
    std::memmove(bytes, end, kept);
    setp(bytes, bytes + capacity);
    pbump(static_cast<int>(kept));
    return true;
}

bool OutputBuffer::finish()
{
    // Cut off for good, an incomplete character is written too: a console shows it as U+FFFD.
    return writeOut(pptr());
}

OutputBuffer::int_type OutputBuffer::overflow(int_type c)
{
    // After a failure there is no buffer left to look into.
    if (failure != 0 || !writeOut(wholeCharactersEnd())) {
        return traits_type::eof();
    }
    // At most three bytes of an incomplete character are kept, so there is room now.
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int OutputBuffer::sync()
{
    if (failure != 0) {
        return -1;
    }
    // In blocks, a flush request (every std::endl) is left to the full block and the end.
    if (flushing == Flushing::inBlocks) {
        return 0;
    }
    const char* end = flushing == Flushing::openLineHeld ? lastLineEnd() : wholeCharactersEnd();
    return writeOut(end) ? 0 : -1;
}

} // namespace io
