#include "console/Streams.h"

#include <cerrno>
#include <cstddef>
#include <system_error>

#if defined(_WIN32)
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace console {
namespace {

// One read or write of at most capacity bytes (every buffer here is that small): the number
// of bytes moved, or -1 with errno set. The Windows C runtime reads and writes in text mode
// as it does for its own streams: "\r\n" is read as "\n", a 0x1A byte ends the input, and
// "\n" is written as "\r\n" (the count it returns leaves the added "\r" out).
long readSome(int fd, char* into, int size)
{
#if defined(_WIN32)
    return _read(fd, into, static_cast<unsigned>(size));
#else
    return static_cast<long>(read(fd, into, static_cast<std::size_t>(size)));
#endif
}

long writeSome(int fd, const char* from, long size)
{
#if defined(_WIN32)
    return _write(fd, from, static_cast<unsigned>(size));
#else
    return static_cast<long>(write(fd, from, static_cast<std::size_t>(size)));
#endif
}

} // namespace

bool standardInputIsRegularFile()
{
#if defined(_WIN32)
    struct _stat status;
    return _fstat(standardInput, &status) == 0 && (status.st_mode & _S_IFREG) != 0;
#else
    struct stat status;
    return fstat(standardInput, &status) == 0 && S_ISREG(status.st_mode);
#endif
}

bool standardOutputIsTerminal()
{
#if defined(_WIN32)
    return _isatty(standardOutput) != 0;
#else
    return isatty(standardOutput) != 0;
#endif
}

FileInputBuffer::FileInputBuffer(int fileDescriptor) : fd(fileDescriptor)
{
    setg(buffer, buffer, buffer);
}

FileInputBuffer::int_type FileInputBuffer::underflow()
{
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    for (;;) {
        const long got = readSome(fd, buffer, capacity);
        if (got > 0) {
            setg(buffer, buffer, buffer + got);
            return traits_type::to_int_type(*gptr());
        }
        if (got == 0) {
            return traits_type::eof();
        }
        if (errno != EINTR) {
            failure = errno;
            throw std::system_error(failure, std::generic_category(), "read error");
        }
    }
}

FileOutputBuffer::FileOutputBuffer(int fileDescriptor, Flushing flushingRule)
    : fd(fileDescriptor), flushing(flushingRule)
{
    setp(buffer, buffer + capacity);
}

FileOutputBuffer::~FileOutputBuffer()
{
    finish();
}

bool FileOutputBuffer::writePending()
{
    if (failure != 0) {
        return false;
    }
    const char* from = pbase();
    long left = static_cast<long>(pptr() - pbase());
    while (left > 0) {
        const long written = writeSome(fd, from, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            // A write that moves nothing without an error would be repeated for ever: it is
            // taken as the device's failure.
            failure = written < 0 ? errno : EIO;
            // Nothing more reaches the buffer: every later character goes to overflow.
            setp(nullptr, nullptr);
            return false;
        }
        const long done = written < left ? written : left;
        from += done;
        left -= done;
    }
    setp(buffer, buffer + capacity);
    return true;
}

bool FileOutputBuffer::finish()
{
    return writePending();
}

FileOutputBuffer::int_type FileOutputBuffer::overflow(int_type c)
{
    if (!writePending()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int FileOutputBuffer::sync()
{
    if (failure != 0) {
        return -1;
    }
    // In blocks, a flush request (every std::endl) is left to the full block and the end.
    if (flushing == Flushing::inBlocks) {
        return 0;
    }
    return writePending() ? 0 : -1;
}

} // namespace console
