#include "io/Platform.h"

#ifdef _WIN32
#include "io/Win32.h"
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#else
#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#endif

#include <cstring>
#include <initializer_list>

namespace io {
namespace {

bool equalsIgnoringCase(const char* a, const char* b, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        const char x = (a[i] >= 'A' && a[i] <= 'Z') ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        if (x != b[i]) {
            return false;
        }
    }
    return true;
}

// True for the codeset names "UTF-8" and "utf8", in any case, of length length.
bool isUtf8Codeset(const char* codeset, std::size_t length)
{
    return (length == 5 && equalsIgnoringCase(codeset, "utf-8", 5)) ||
           (length == 4 && equalsIgnoringCase(codeset, "utf8", 4));
}

// A locale name is language[_territory][.codeset][@modifier]; a bare codeset such as "UTF-8"
// is also a valid name on some systems, so a name without a dot is taken as a whole.
bool nameHasUtf8Codeset(const char* name)
{
    const char* dot = std::strchr(name, '.');
    const char* begin = dot != nullptr ? dot + 1 : name;
    const char* at = std::strchr(begin, '@');
    const std::size_t length = at != nullptr ? static_cast<std::size_t>(at - begin)
                                             : std::strlen(begin);
    return isUtf8Codeset(begin, length);
}

bool isSet(const char* value)
{
    return value != nullptr && value[0] != '\0';
}

} // namespace

Encoding chooseEncoding(StreamKind output, const PosixLocale& locale)
{
    // The C runtime would pass bytes through a Windows console's code page, which shows
    // Shift_JIS only on code page 932; characters need no code page.
    if (output == StreamKind::windowsConsole) {
        return Encoding::utf16;
    }
    if (output != StreamKind::terminal) {
        return Encoding::shiftJis;
    }
    if (locale.codeset != nullptr) {
        return isUtf8Codeset(locale.codeset, std::strlen(locale.codeset)) ? Encoding::utf8
                                                                           : Encoding::shiftJis;
    }
    // The locale is named but not installed: the C library would fall back to "C", yet the
    // user's terminal follows the name, so its codeset is what the terminal shows. The first
    // non-empty variable wins, as in the C library's own lookup.
    for (const char* name : {locale.lcAll, locale.lcCtype, locale.lang}) {
        if (isSet(name)) {
            return nameHasUtf8Codeset(name) ? Encoding::utf8 : Encoding::shiftJis;
        }
    }
    return Encoding::shiftJis;
}

#ifdef _WIN32

StreamKind streamKind(int fd)
{
    // The console's handles, not the descriptors: a console is known by its mode alone.
    DWORD mode = 0;
    const DWORD handle = fd == 0 ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE;
    if (fd <= 1 && GetConsoleMode(GetStdHandle(handle), &mode) != 0) {
        return StreamKind::windowsConsole;
    }
    if (_isatty(fd) != 0) {
        return StreamKind::terminal;
    }
    struct _stat status;
    return _fstat(fd, &status) == 0 && (status.st_mode & _S_IFREG) != 0 ? StreamKind::file
                                                                         : StreamKind::other;
}

Encoding encodingFor(StreamKind output)
{
    return chooseEncoding(output, PosixLocale{nullptr, nullptr, nullptr, nullptr});
}

#else

StreamKind streamKind(int fd)
{
    if (isatty(fd) == 1) {
        return StreamKind::terminal;
    }
    struct stat status;
    return fstat(fd, &status) == 0 && S_ISREG(status.st_mode) ? StreamKind::file
                                                              : StreamKind::other;
}

Encoding encodingFor(StreamKind output)
{
    if (output != StreamKind::terminal) {
        return Encoding::shiftJis;
    }
    // A locale object of its own, so that the program's locale stays "C" and numbers keep
    // their full stop whatever the user's locale is.
    PosixLocale locale{nullptr, std::getenv("LC_ALL"), std::getenv("LC_CTYPE"),
                       std::getenv("LANG")};
    const locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (user == static_cast<locale_t>(0)) {
        return chooseEncoding(output, locale);
    }
    locale.codeset = nl_langinfo_l(CODESET, user);
    const Encoding encoding = chooseEncoding(output, locale);
    freelocale(user); // the codeset belongs to the locale object, so it is read before this
    return encoding;
}

#endif

} // namespace io
