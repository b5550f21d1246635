// The output side of the line editor in memory: the open line is held back as the editor's
// prompt, handed on when the editor cannot take it or more output follows, and a failure of the
// stream below stays.
#include "io/OpenLine.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <sstream>
#include <string>

namespace {

struct Row {
    const char* what;
    bool lineOpen; // what the editor said before the text was written
    std::string written;
    std::string handedOn; // once the editor has asked for its prompt
    std::optional<std::string> prompt;
};

TEST(OpenLine, HoldsBackThePromptTheEditorCanShow)
{
    const std::string longLine(300, 'x'); // beyond the 256 bytes held
    const Row table[] = {
        {"the menu's prompt", false, "9: a\nNo. = ", "9: a\n", "No. = "},
        {"a complete line", false, "p = 1\n\n", "p = 1\n\n", ""},
        {"a byte beyond ASCII", false, "\nz\xe3\x80\x80= ", "\nz\xe3\x80\x80= ", std::nullopt},
        {"a control byte", false, "\nz\t= ", "\nz\t= ", std::nullopt},
        {"a line the editor left open", true, "z = ", "z = ", std::nullopt},
        {"an open line too long to hold", false, longLine, longLine, std::nullopt},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.what);
        std::stringbuf target;
        io::OpenLine open(target);
        open.setLineOpen(row.lineOpen);
        std::ostream out(&open);
        out << row.written << std::flush;
        EXPECT_EQ(open.takePrompt(), row.prompt);
        EXPECT_EQ(target.str(), row.handedOn);
    }
}

TEST(OpenLine, HandsThePromptOnWhenMoreOutputComesFirst)
{
    std::stringbuf target;
    io::OpenLine open(target);
    std::ostream out(&open);
    out << "\nz = " << std::flush;
    EXPECT_EQ(target.str(), "\n");
    out << "p = 0.975002" << std::endl;
    EXPECT_EQ(target.str(), "\nz = p = 0.975002\n");
    out << "No. = ";
    EXPECT_TRUE(open.finish());
    EXPECT_EQ(target.str(), "\nz = p = 0.975002\nNo. = ");
}

// A stream buffer whose every write fails.
struct Refusing : std::streambuf {
    int_type overflow(int_type) override { return traits_type::eof(); }
};

TEST(OpenLine, AFailureBelowStays)
{
    Refusing target;
    io::OpenLine open(target);
    std::ostream out(&open);
    out << "1: a\n" << std::flush;
    EXPECT_TRUE(out.bad());
    out.clear();
    out << "2: b\n" << std::flush;
    EXPECT_TRUE(out.bad());
    EXPECT_FALSE(open.finish());
}

} // namespace
