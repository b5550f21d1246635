// The output side of a line editor: the open line a dialogue leaves at a prompt ("z = ") is held
// back, so that the editor shows it as its own prompt and it is never written twice.
#pragma once

#include <cstddef>
#include <optional>
#include <streambuf>
#include <string>

namespace io {

// A stream buffer that hands the complete lines written to it on to another one at every flush
// and keeps the text after the last line end until more output follows it, an editor takes it,
// or the end. A failure of the other buffer is this one's failure, for good.
class OpenLine : public std::streambuf {
public:
    explicit OpenLine(std::streambuf& target);
    // Hands on what is held, as finish() does.
    ~OpenLine() override;
    OpenLine(const OpenLine&) = delete;
    OpenLine& operator=(const OpenLine&) = delete;

    // Flushes the complete lines and returns the open line, which the caller now shows and this
    // buffer forgets. Returns nothing, and writes the open line out as usual, when the caller
    // could not redraw that line: it holds a control or non-ASCII byte, or the terminal's line
    // already shows text the caller did not write (see setLineOpen).
    std::optional<std::string> takePrompt();

    // Tells whether the caller's own writing (a typed line's echo) left the terminal's line open.
    void setLineOpen(bool open) { lineOpen = open; }

    // Hands on everything held; returns false if that or any earlier write failed.
    bool finish();

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    // Hands on the held text up to end and keeps the rest; false once a write has failed.
    bool handOn(const char* end);
    // The end of the last complete line held, or pbase() when none is.
    char* lastLineEnd() const;

    // Far longer than a prompt; an open line as long as this is written out, not held.
    static constexpr std::size_t capacity = 256;
    std::streambuf& target;
    bool lineOpen = false;
    bool failed = false;
    char buffer[capacity];
};

} // namespace io
