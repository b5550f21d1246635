// The dialogue on streams that fail: once a write has failed nothing more is read or
// computed, a failed read is no end of input, and both end with status 2.
#include "console/Dialogue.h"
#include "console/Texts.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>
#include <streambuf>
#include <string>
#include <system_error>

namespace {

const console::Texts& texts = console::shiftJisTexts;
const std::string menu = std::string(texts.menuZToP) + "\n" + texts.menuPToZ + "\n" +
                         texts.menuQuit + "\nNo. = ";
// Phi(1.96) = 0.975002 to six digits.
const std::string answer = "\nz = p = 0.975002\n\n";

// Takes the first limit characters written, then fails every write as a full device does.
class LimitedOutput : public std::streambuf {
public:
    explicit LimitedOutput(std::size_t limit) : limit_(limit) {}
    const std::string& text() const { return text_; }

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()) || text_.size() >= limit_) {
            return traits_type::eof();
        }
        text_ += traits_type::to_char_type(c);
        return c;
    }

private:
    std::size_t limit_;
    std::string text_;
};

// Gives text, then fails the next read as a broken device does: the buffer throws, as the
// calculator's own input buffer does.
class FailingInput : public std::streambuf {
public:
    explicit FailingInput(const std::string& text) : text_(text)
    {
        setg(&text_[0], &text_[0], &text_[0] + text_.size());
    }

protected:
    int_type underflow() override { throw std::system_error(EIO, std::generic_category()); }

private:
    std::string text_;
};

// Each row cuts the output after a number of characters; the input offers three queries. The
// dialogue must stop where it stands: the position shows how much input it read.
TEST(DialogueFailure, AFailedWriteStopsAllReadingAndComputing)
{
    const std::string input = "1 1.96\n1 1.96\n9\n";
    struct Row {
        const char* what;
        std::size_t limit;
        std::streamoff position; // of the input when the dialogue returns
    };
    const Row rows[] = {
        {"nothing can be written", 0, 0},
        {"the menu is cut", 10, 0},
        {"the prompt is cut", menu.size() - 1, 0},
        // The first answer is cut: the second query is never read.
        {"the answer is cut", menu.size() + answer.size() - 3, 6},
        {"the second menu is cut", menu.size() + answer.size() + 5, 6},
        {"the second answer is cut", 2 * menu.size() + 2 * answer.size() - 1, 13},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::istringstream in(input);
        LimitedOutput output(row.limit);
        std::ostream out(&output);
        console::Console dialogue{in, out, texts};
        EXPECT_EQ(console::runMenu(dialogue), console::exitStreamFailed);
        EXPECT_EQ(output.text(), (menu + answer + menu + answer + menu).substr(0, row.limit));
        EXPECT_EQ(in.tellg(), row.position);
    }
}

// A failed read on each road into the dialogue: the byte order mark check, the white space
// before a token, the choice's int, and a z token. The open line is ended; no part of a token
// is used.
TEST(DialogueFailure, AFailedReadEndsTheLineWithStatus2)
{
    struct Row {
        const char* what;
        std::string input;
        std::string output;
    };
    const Row rows[] = {
        {"at the start", "", menu + "\n"},
        {"in the byte order mark", "\xEF\xBB", menu + "\n"},
        {"in white space", "  \n", menu + "\n"},
        {"in the choice", "1", menu + "\n"},
        {"before z", "1 ", menu + "\nz = \n"},
        {"in z", "1 1.9", menu + "\nz = \n"},
        {"after an answer", "1 1.96 ", menu + answer + menu + "\n"},
        {"in p", "2 0.97", menu + "\np = \n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FailingInput input(row.input);
        std::istream in(&input);
        std::ostringstream out;
        console::Console dialogue{in, out, texts};
        EXPECT_EQ(console::runMenu(dialogue), console::exitStreamFailed);
        EXPECT_EQ(out.str(), row.output);
        EXPECT_TRUE(in.bad());
    }
}

} // namespace
