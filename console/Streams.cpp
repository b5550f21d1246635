#include "console/Streams.h"

#include <cstdio>

#if defined(_WIN32)
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace console {

bool standardInputIsRegularFile()
{
#if defined(_WIN32)
    struct _stat status;
    return _fstat(_fileno(stdin), &status) == 0 && (status.st_mode & _S_IFREG) != 0;
#else
    struct stat status;
    return fstat(STDIN_FILENO, &status) == 0 && S_ISREG(status.st_mode);
#endif
}

BlockBuffer::BlockBuffer(std::streambuf& targetBuffer) : target(targetBuffer)
{
    setp(block, block + blockSize);
}

BlockBuffer::~BlockBuffer()
{
    finish();
}

bool BlockBuffer::writeBlock()
{
    const std::streamsize pending = pptr() - pbase();
    const bool written = target.sputn(pbase(), pending) == pending;
    setp(block, block + blockSize);
    return written;
}

bool BlockBuffer::finish()
{
    const bool written = writeBlock();
    return target.pubsync() == 0 && written;
}

BlockBuffer::int_type BlockBuffer::overflow(int_type c)
{
    if (!writeBlock()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int BlockBuffer::sync()
{
    // Deliberately nothing: the whole point is not to flush at every std::endl.
    return 0;
}

} // namespace console
