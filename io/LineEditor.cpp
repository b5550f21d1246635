#include "io/LineEditor.h"

#ifdef NORMCALC_LINE_EDITING
#include "io/Utf8.h"

#include <histedit.h>
#include <langinfo.h>
#include <locale.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#endif

namespace io {

#ifdef NORMCALC_LINE_EDITING
namespace {

constexpr int inputFd = STDIN_FILENO;
// What a terminal hands over at once in its own line editing (Linux: 4095 bytes and the line end).
constexpr std::size_t plainLineCapacity = 4096;
// Lines recalled with Up: far more than a session types, few enough that memory stays small.
constexpr int historySize = 1000;
// A byte that is no part of a character (every byte beyond ASCII when the terminal does not show
// UTF-8) is given to the editor as U+DC00 plus the byte: it shows it as \U+DCxx, takes it for no
// character, and it becomes that byte again when the line is handed on.
constexpr wchar_t escapedByte = 0xDC00;

// Delete, and Home and End as the terminals send them that follow a VT220 (the Linux console,
// tmux, screen, rxvt); libedit binds the xterm forms and the arrows of its own.
constexpr std::pair<const wchar_t*, const wchar_t*> keyBindings[] = {
    {L"\033[3~", L"ed-delete-next-char"}, {L"\033[1~", L"ed-move-to-beg"},
    {L"\033[4~", L"ed-move-to-end"},      {L"\033[7~", L"ed-move-to-beg"},
    {L"\033[8~", L"ed-move-to-end"},
};

// What the signal handlers need, kept here because a handler takes no argument; there is one
// standard input. The terminal's own mode is put back before a signal ends or stops the program.
termios originalMode{};
termios editingMode{};
volatile sig_atomic_t editingModeKnown = 0;
volatile sig_atomic_t continued = 0;
volatile sig_atomic_t resized = 0;
struct sigaction stopping {};
// The LC_CTYPE the editor runs in, for the widths of the characters it shows; the program's own
// locale stays "C".
locale_t editingLocale = static_cast<locale_t>(0);

void restoreAndEnd(int signo)
{
    tcsetattr(inputFd, TCSANOW, &originalMode);
    // The handler has been reset (SA_RESETHAND): the signal now acts as without the editor.
    raise(signo);
}

void restoreAndStop(int signo)
{
    const int saved = errno;
    tcgetattr(inputFd, &editingMode);
    editingModeKnown = 1;
    tcsetattr(inputFd, TCSANOW, &originalMode);
    raise(signo); // stopped here until continued
    sigaction(SIGTSTP, &stopping, nullptr);
    errno = saved;
}

void noteContinued(int)
{
    const int saved = errno;
    if (editingModeKnown != 0) {
        tcsetattr(inputFd, TCSANOW, &editingMode);
    }
    continued = 1;
    errno = saved;
}

void noteResized(int)
{
    resized = 1;
}

// The handlers above, in place while a line is edited; a signal the program ignores stays ignored.
class SignalScope {
    // Handled once, then the signal acts as without the editor; sa_flags is an int, while
    // glibc's flags are unsigned constants.
    static constexpr int once = static_cast<int>(SA_RESETHAND | SA_NODEFER);

public:
    SignalScope()
    {
        editingModeKnown = 0;
        continued = 0;
        resized = 0;
        stopping = handler(restoreAndStop, once);
        for (int i = 0; i < count; ++i) {
            sigaction(numbers[i], nullptr, &before[i]);
            if (before[i].sa_handler == SIG_IGN) {
                continue;
            }
            const struct sigaction mine =
                numbers[i] == SIGTSTP    ? stopping
                : numbers[i] == SIGCONT  ? handler(noteContinued, 0)
                : numbers[i] == SIGWINCH ? handler(noteResized, 0)
                                         : handler(restoreAndEnd, once);
            sigaction(numbers[i], &mine, nullptr);
        }
    }
    ~SignalScope()
    {
        for (int i = 0; i < count; ++i) {
            sigaction(numbers[i], &before[i], nullptr);
        }
    }
    SignalScope(const SignalScope&) = delete;
    SignalScope& operator=(const SignalScope&) = delete;

private:
    // Without SA_RESTART, so that a read the signal interrupts returns to redraw or resize.
    static struct sigaction handler(void (*handle)(int), int flags)
    {
        struct sigaction action {};
        action.sa_handler = handle;
        action.sa_flags = flags;
        sigemptyset(&action.sa_mask);
        return action;
    }

    static constexpr int count = 7;
    const int numbers[count] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGTSTP, SIGCONT, SIGWINCH};
    struct sigaction before[count];
};

class LocaleScope {
public:
    LocaleScope()
        : before(editingLocale != static_cast<locale_t>(0) ? uselocale(editingLocale)
                                                            : static_cast<locale_t>(0))
    {
    }
    ~LocaleScope()
    {
        if (before != static_cast<locale_t>(0)) {
            uselocale(before);
        }
    }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    locale_t before;
};

// The user's LC_CTYPE when it is UTF-8 (or C.UTF-8 when the user's is not installed), or none.
locale_t utf8Locale()
{
    for (const char* name : {"", "C.UTF-8"}) {
        const locale_t locale = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(0));
        if (locale == static_cast<locale_t>(0)) {
            continue;
        }
        if (std::strcmp(nl_langinfo_l(CODESET, locale), "UTF-8") == 0) {
            return locale;
        }
        freelocale(locale);
    }
    return static_cast<locale_t>(0);
}

// The code point of the length bytes at from, or -1 when they are an overlong form, a surrogate
// or beyond U+10FFFF.
long decodeUtf8(const unsigned char* from, std::size_t length)
{
    static constexpr unsigned char leadBits[] = {0, 0x7f, 0x1f, 0x0f, 0x07};
    static constexpr long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    long code = from[0] & leadBits[length];
    for (std::size_t i = 1; i < length; ++i) {
        code = code << 6 | (from[i] & 0x3f);
    }
    const bool valid =
        code >= smallest[length] && (code < 0xd800 || code > 0xdfff) && code <= 0x10ffff;
    return valid ? code : -1;
}

void appendBytes(std::string& to, wchar_t c)
{
    const auto code = static_cast<unsigned long>(c);
    if (code >= escapedByte + 0x80u && code <= escapedByte + 0xffu) {
        to += static_cast<char>(code - escapedByte);
    } else if (code < 0x80) {
        to += static_cast<char>(code);
    } else if (code < 0x800) {
        to += static_cast<char>(0xc0 | code >> 6);
        to += static_cast<char>(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        to += static_cast<char>(0xe0 | code >> 12);
        to += static_cast<char>(0x80 | (code >> 6 & 0x3f));
        to += static_cast<char>(0x80 | (code & 0x3f));
    } else {
        to += static_cast<char>(0xf0 | code >> 18);
        to += static_cast<char>(0x80 | (code >> 12 & 0x3f));
        to += static_cast<char>(0x80 | (code >> 6 & 0x3f));
        to += static_cast<char>(0x80 | (code & 0x3f));
    }
}

bool holdsNonSpace(const std::wstring& text)
{
    return text.find_first_not_of(L" \t\r\n\v\f") != std::wstring::npos;
}

} // namespace

// The functions libedit calls back, with the editor they belong to.
struct EditorCallbacks {
    static LineEditorInput& of(EditLine* el)
    {
        void* data = nullptr;
        el_wget(el, EL_CLIENTDATA, &data);
        return *static_cast<LineEditorInput*>(data);
    }

    static wchar_t* prompt(EditLine* el) { return &of(el).prompt[0]; }

    // Takes the next character from the bytes read; false when they do not yet make one.
    static bool takeCharacter(LineEditorInput& self, wchar_t& c)
    {
        std::string& bytes = self.pending;
        const auto* from = reinterpret_cast<const unsigned char*>(bytes.data());
        const auto length = static_cast<std::size_t>(
            self.utf8 ? utf8::sequenceLength(from[0]) : (from[0] < 0x80 ? 1 : 0));
        std::size_t held = 1;
        while (held < bytes.size() && held < length && utf8::isContinuation(from[held])) {
            ++held;
        }
        if (length > 1 && held < length && held == bytes.size()) {
            return false;
        }
        const long code = length > 0 && held == length ? decodeUtf8(from, length) : -1;
        c = code >= 0 ? static_cast<wchar_t>(code) : static_cast<wchar_t>(escapedByte + from[0]);
        bytes.erase(0, code >= 0 ? length : 1);
        return true;
    }

    // Reads a character for the editor: 1 when read, 0 at the end of the input, -1 when the read
    // failed. A signal that continued the program or resized the terminal redraws the line.
    static int readCharacter(EditLine* el, wchar_t* c)
    {
        LineEditorInput& self = of(el);
        if (editingModeKnown == 0) {
            editingModeKnown = tcgetattr(inputFd, &editingMode) == 0 ? 1 : 0;
        }
        for (;;) {
            if (!self.pending.empty() && takeCharacter(self, *c)) {
                return 1;
            }
            char byte = 0;
            const ssize_t got = read(inputFd, &byte, 1);
            if (got == 1) {
                self.pending += byte;
                continue;
            }
            if (got == 0) {
                self.end = LineEditorInput::End::input;
                return 0;
            }
            if (errno != EINTR) {
                self.readFailure = errno;
                self.end = LineEditorInput::End::failed;
                return -1;
            }
            if (resized != 0) {
                resized = 0;
                el_resize(el);
            }
            if (continued != 0) {
                continued = 0;
                el_wset(el, EL_REFRESH);
            }
        }
    }

    // The terminal's end-of-file key: on an empty line it ends the input, inside a line it
    // deletes the character under the cursor, and at the end of a line it hands the line on
    // without a line end, as the terminal's own line editing does.
    static unsigned char endOrDelete(EditLine* el, int)
    {
        const LineInfoW* line = el_wline(el);
        if (line->buffer == line->lastchar) {
            of(el).end = LineEditorInput::End::typed;
            return CC_EOF;
        }
        if (line->cursor < line->lastchar) {
            el_cursor(el, 1);
            el_wdeletestr(el, 1);
            return CC_REFRESH;
        }
        return CC_NEWLINE;
    }
};

#endif

LineEditorInput::LineEditorInput(OutputBuffer& shown, bool showsUtf8) : output(shown), utf8(showsUtf8)
{
    setg(nullptr, nullptr, nullptr);
}

#ifdef NORMCALC_LINE_EDITING

LineEditorInput::~LineEditorInput()
{
    if (editor != nullptr) {
        // With editing off, libedit leaves the terminal alone at its end (it would discard the
        // keys typed ahead); the terminal gets its own mode back here.
        el_wset(editor, EL_EDITMODE, 0);
        el_end(editor);
        tcsetattr(inputFd, TCSADRAIN, &originalMode);
    }
    if (history != nullptr) {
        history_wend(history);
    }
    if (messages != nullptr) {
        std::fclose(messages);
    }
    if (editingLocale != static_cast<locale_t>(0)) {
        freelocale(editingLocale);
        editingLocale = static_cast<locale_t>(0);
    }
}

bool LineEditorInput::start()
{
    termios mode{};
    if (tcgetattr(inputFd, &mode) != 0 || (mode.c_lflag & (ICANON | ECHO)) != (ICANON | ECHO)) {
        return false;
    }
    if (utf8 && (editingLocale = utf8Locale()) == static_cast<locale_t>(0)) {
        return false;
    }
    // libedit's own messages (an unknown terminal type) have no place on standard error.
    messages = std::fopen("/dev/null", "w");
    if (messages == nullptr) {
        return false;
    }
    originalMode = mode;
    const LocaleScope locale;
    editor = el_init("normcalc", stdin, stdout, messages);
    if (editor == nullptr) {
        return false;
    }
    // el_init puts the terminal in libedit's idea of a line mode; between lines it has its own.
    tcsetattr(inputFd, TCSADRAIN, &originalMode);
    history = history_winit();
    if (history == nullptr) {
        return false;
    }
    HistEventW event;
    history_w(history, &event, H_SETSIZE, historySize);
    history_w(history, &event, H_SETUNIQUE, 1);
    el_wset(editor, EL_EDITOR, L"emacs");
    el_wset(editor, EL_HIST, history_w, history);
    el_wset(editor, EL_CLIENTDATA, static_cast<void*>(this));
    el_wset(editor, EL_GETCFN, &EditorCallbacks::readCharacter);
    el_wset(editor, EL_PROMPT, &EditorCallbacks::prompt);
    el_wset(editor, EL_ADDFN, L"end-or-delete",
            L"End the input on an empty line, delete or hand the line on",
            &EditorCallbacks::endOrDelete);
    // Ctrl-D when the terminal has no end-of-file key.
    const auto eof = static_cast<unsigned char>(
        originalMode.c_cc[VEOF] != _POSIX_VDISABLE ? originalMode.c_cc[VEOF] : 0x04);
    const wchar_t key[] = {eof < 0x20 ? L'^' : static_cast<wchar_t>(eof),
                           eof < 0x20 ? static_cast<wchar_t>(eof + 0x40) : L'\0', L'\0'};
    el_wset(editor, EL_BIND, key, L"end-or-delete", static_cast<const wchar_t*>(nullptr));
    output.holdOpenLine();
    for (const auto& binding : keyBindings) {
        el_wset(editor, EL_BIND, binding.first, binding.second,
                static_cast<const wchar_t*>(nullptr));
    }
    return true;
}

LineEditorInput::int_type LineEditorInput::underflow()
{
    if (gptr() < egptr()) {
        return traits_type::to_int_type(*gptr());
    }
    // The editor draws from the left margin: it takes the open line as its prompt when it can show
    // it (the dialogue's are ASCII) and the terminal's line holds nothing else; otherwise the
    // open line is written as it is and the line read as the terminal gives it.
    if (editor != nullptr && !lineOpen && output.pubsync() == 0) {
        const std::string open = output.openLine();
        if (std::all_of(open.begin(), open.end(), [](char c) { return c >= ' ' && c < 0x7f; })) {
            output.dropOpenLine();
            return readEdited(open);
        }
    }
    output.finish();
    return readPlain();
}

LineEditorInput::int_type LineEditorInput::readPlain()
{
    line.resize(plainLineCapacity);
    for (;;) {
        const ssize_t got = read(inputFd, &line[0], line.size());
        if (got > 0) {
            line.resize(static_cast<std::size_t>(got));
            lineOpen = line.back() != '\n';
            setg(&line[0], &line[0], &line[0] + got);
            return traits_type::to_int_type(line[0]);
        }
        if (got == 0) {
            return traits_type::eof();
        }
        if (errno != EINTR) {
            fail(errno);
        }
    }
}

LineEditorInput::int_type LineEditorInput::readEdited(const std::string& text)
{
    prompt.assign(text.begin(), text.end());
    end = End::none;
    int count = 0;
    const wchar_t* typed = nullptr;
    {
        const LocaleScope locale;
        const SignalScope signals;
        // The editing mode before the prompt is shown, so that no key typed after it is echoed
        // by the terminal as well.
        el_wset(editor, EL_PREP_TERM, 1);
        typed = el_wgets(editor, &count);
    }
    tcsetattr(inputFd, TCSADRAIN, &originalMode);
    if (typed == nullptr || count <= 0) {
        if (end == End::failed) {
            fail(readFailure);
        }
        // When libedit could not set the terminal up, the terminal is asked as it is.
        return end == End::none ? readPlain() : traits_type::eof();
    }
    std::wstring entered(typed, static_cast<std::size_t>(count));
    line.clear();
    for (const wchar_t c : entered) {
        appendBytes(line, c);
    }
    const bool ended = entered.back() == L'\n';
    lineOpen = !ended;
    if (ended) {
        entered.pop_back();
    }
    if (holdsNonSpace(entered)) {
        HistEventW event;
        history_w(history, &event, H_ENTER, entered.c_str());
    }
    setg(&line[0], &line[0], &line[0] + line.size());
    return traits_type::to_int_type(line[0]);
}

#else

LineEditorInput::~LineEditorInput() = default;

bool LineEditorInput::start()
{
    return false;
}

LineEditorInput::int_type LineEditorInput::underflow()
{
    return traits_type::eof();
}

#endif

} // namespace io
