// libFuzzer target: runs the whole dialogue on an arbitrary byte string as its standard input
// and traps unless it ends, writes only its own forms to its output and nothing anywhere else,
// and exits with a status that fits how its output ends.
#include "console/Dialogue.h"
#include "console/Texts.h"
#include "tests/OutputForms.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// Points a standard stream at a private buffer for as long as it lives, so that anything the
// dialogue writes there instead of to its own output stream can be seen.
class Capture {
public:
    explicit Capture(std::ostream& stream) : stream_(stream), saved_(stream.rdbuf(&buffer_)) {}
    ~Capture() { stream_.rdbuf(saved_); }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
    std::string text() const { return buffer_.str(); }

private:
    std::ostream& stream_;
    std::stringbuf buffer_;
    std::streambuf* saved_;
};

[[noreturn]] void fail(const std::string& why, const std::string& out)
{
    std::fprintf(stderr, "dialogue_fuzzer: %s\n--- output ---\n%s\n--- end ---\n", why.c_str(),
                 out.c_str());
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    int status = 0;
    std::string stray;
    {
        Capture coutCapture(std::cout);
        Capture cerrCapture(std::cerr);
        Capture clogCapture(std::clog);
        console::Console dialogue{in, out, console::shiftJisTexts};
        status = console::runMenu(dialogue);
        stray = coutCapture.text() + cerrCapture.text() + clogCapture.text();
    }
    if (!stray.empty()) {
        fail("wrote to a standard stream instead of its output: " + stray, out.str());
    }
    const std::string violation = fuzz::findFormViolation(out.str(), status, console::shiftJisTexts);
    if (!violation.empty()) {
        fail(violation, out.str());
    }
    return 0;
}
