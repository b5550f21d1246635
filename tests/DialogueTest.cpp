// The dialogue in memory, on string streams: every session's transcript byte for byte and its
// exit status; the same dialogue on streams that fail, and under a German global locale.
#include "Expected.h"
#include "console/Dialogue.h"
#include "console/Texts.h"
#include "console/TokenReader.h"
#ifndef _WIN32
#include "CodePage932.h"
#endif

#include <gtest/gtest.h>

#include <cerrno>
#include <initializer_list>
#include <iostream>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <system_error>

namespace {

using expected::menu;
using expected::pToZ;
using expected::zToP;

const console::Texts& texts = console::shiftJisTexts;
// Phi(1.96) = 0.975002 to six digits.
const std::string answer = zToP("0.975002");

// A session: its input, and the output and exit status expected.
struct Session {
    const char* what;
    std::string input;
    std::string output;
    int status;
};

void expectSessions(const Session* begin, const Session* end)
{
    for (const Session* row = begin; row != end; ++row) {
        SCOPED_TRACE(row->what);
        std::istringstream in(row->input);
        std::ostringstream out;
        console::Console dialogue{in, out, texts};
        EXPECT_EQ(console::runMenu(dialogue), row->status);
        EXPECT_EQ(out.str(), row->output);
    }
}

#define EXPECT_SESSIONS(table) expectSessions(std::begin(table), std::end(table))

// A session that writes the menu, written, and the menu again, and ends with status 0.
Session betweenMenus(const char* what, const std::string& input, const std::string& written)
{
    return {what, input, menu + written + menu, 0};
}

// The pieces, the menu written between each two.
std::string apart(std::initializer_list<std::string> pieces)
{
    std::string text;
    for (const std::string& piece : pieces) {
        text += (text.empty() ? "" : menu) + piece;
    }
    return text;
}

// Phi to six digits from a 40-digit reference (mpmath): Phi(1.96) = 0.975002, Phi(0.5) =
// 0.691462, Phi(-10) = 7.61985e-24, and at z = -38 the nearest double to Phi, 2.88542835e-316
// (true 2.885428360e-316).
TEST(Dialogue, MenuAndZToP)
{
    const Session sessions[] = {
        {"9 ends at once", "9\n", menu, 0},
        betweenMenus("choices off the menu are echoed", "0\n3\n10\n-1\n9\n",
                     apart({"Your value for ck = 0\n", "Your value for ck = 3\n",
                      "Your value for ck = 10\n", "Your value for ck = -1\n"})),
        betweenMenus("+3 and 003 read as 3", "+3 003 9",
                     apart({"Your value for ck = 3\n", "Your value for ck = 3\n"})),
        betweenMenus("1.96 on the choice line", "1 1.96\n9\n", zToP("0.975002")),
        betweenMenus("z = 0, -1.96, 10, -10 and -38 (a subnormal p)",
                     "1\n0\n1 -1.96 1 10 1 -10 1 -38 9",
                     apart({zToP("0.5"), zToP("0.0249979"), zToP("1"), zToP("7.61985e-24"),
                      zToP("2.88543e-316")})),
        betweenMenus("1.5 is the choice 1, then z = .5", "1.5\n9\n", zToP("0.691462")),
        betweenMenus("z = 1e308, -1e308, DBL_MAX and -DBL_MAX",
                     "1 1e308 1 -1e308 1 1.7976931348623157e308 1 -1.7976931348623157e308 9",
                     apart({zToP("1"), zToP("0"), zToP("1"), zToP("0")})),
    };
    EXPECT_SESSIONS(sessions);
}

TEST(Dialogue, BadTokensAndEndOfInput)
{
    const std::string invalidZ = "\nz = Invalid value for z.\n";
    const Session sessions[] = {
        betweenMenus("garbage choice, then the rest is read", "abc 1 1.96 9",
                     "Invalid value for ck.\n" + menu + zToP("0.975002")),
        betweenMenus("a sign with no digits", "-x 9", "Invalid value for ck.\n"),
        betweenMenus("a choice out of range for int", "99999999999 9", "Invalid value for ck.\n"),
        betweenMenus("z not a number, and nan", "1 abc\n1 nan 9", apart({invalidZ, invalidZ})),
        {"empty input", "", menu + "\n", 0},
        {"only white space", " \n\t\n", menu + "\n", 0},
        {"input ends after a command", "1 1.96", menu + zToP("0.975002") + menu + "\n", 0},
        {"input ends at the z prompt", "1\n", menu + "\nz = \n", 1},
        {"input ends after a bad choice", "zzz", menu + "Invalid value for ck.\n" + menu + "\n",
         0},
    };
    EXPECT_SESSIONS(sessions);
}

// Quantiles to six digits from the 40-digit reference: 1.95996 = Phi^-1(0.975); -6.36134
// comes through the bracketing fallback;
// Phi^-1(1e-20) = -9.26234, Phi^-1(1 - 2^-53) = 8.20954 and, for the smallest normal double
// 2.2250738585072014e-308, -37.5194; below that double p is refused.
TEST(Dialogue, PToZ)
{
    const std::string invalid = "\np = Invalid value for p.\n";
    const std::string tooClose = "\np = Value for p is too close to 0.\n";
    const Session sessions[] = {
        betweenMenus("p = 0.975, 0.5, 0.025 and 1e-10 (by the fallback)",
                     "2\n0.975\n2 0.5 2 0.025 2 1e-10 9",
                     apart({pToZ("1.95996"), pToZ("0"), pToZ("-1.95996"), pToZ("-6.36134")})),
        betweenMenus("p = 0, 1, -0.3 and 1.5 are rejected", "2 0 2 1 2 -0.3 2 1.5 9",
                     apart({invalid, invalid, invalid, invalid})),
        betweenMenus("a rejected p, then a good one", "2 1.5 2 0.975 9",
                     apart({invalid, pToZ("1.95996")})),
        betweenMenus("p = 1e-20, the largest p below 1 and the smallest normal p",
                     "2 1e-20 2 0.9999999999999999 2 2.2250738585072014e-308 9",
                     apart({pToZ("-9.26234"), pToZ("8.20954"), pToZ("-37.5194")})),
        betweenMenus("the largest and the smallest subnormal p",
                     "2 2.2250738585072009e-308 2 4.9e-324 9", apart({tooClose, tooClose})),
        betweenMenus("p not a number", "2 abc 9", invalid),
        {"input ends at the p prompt", "2", menu + "\np = \n", 1},
    };
    EXPECT_SESSIONS(sessions);
}

// A number beyond the double range counts by its magnitude: a z above the largest double is
// past every finite z (p = 1 or 0, the limits of Phi), a nonzero one below the smallest
// subnormal is as near 0 as z = 0 (p = 0.5); a p below the smallest subnormal is too close to
// 0 as 4.9e-324 is, and one above the largest double is no probability, as 1.5 is not.
TEST(Dialogue, NumbersBeyondTheDoubleRange)
{
    const std::string invalid = "\np = Invalid value for p.\n";
    const std::string tooClose = "\np = Value for p is too close to 0.\n";
    const Session sessions[] = {
        betweenMenus("z = 1e400, -1e400, 1.8e308", "1 1e400 1 -1e400 1 1.8e308 9",
                     apart({zToP("1"), zToP("0"), zToP("1")})),
        betweenMenus("z = 1e-400, -1e-400", "1 1e-400 1 -1e-400 9",
                     apart({zToP("0.5"), zToP("0.5")})),
        betweenMenus("p = 1e-400, 2e-324, 0.0000e-999", "2 1e-400 2 2e-324 2 0.0000e-999 9",
                     apart({tooClose, tooClose, invalid})),
        betweenMenus("p = -1e-400, 1e400, -1e400", "2 -1e-400 2 1e400 2 -1e400 9",
                     apart({invalid, invalid, invalid})),
    };
    EXPECT_SESSIONS(sessions);
}

// A token is a number only when the whole of it is one: what follows a number in the same
// token makes all of it invalid, and the next query is read normally. Each bad token is
// followed by another request, which a leftover would have answered (as the choice) instead;
// 0.975002 = Phi(1.96) and 1.95996 = Phi^-1(0.975) to six digits.
TEST(Dialogue, HalfNumbersAreNoNumbers)
{
    // A decimal comma, a trailing letter, C's hexadecimal form, a sum, an unfinished exponent,
    // a second sign, a second point, a NUL byte.
    const std::string tokens[] = {"1,96", "1.96x", "0x1p-3", "1+1", "1e", "--1", "1.9.6",
                                  std::string("1.9\0", 4), "0,975", "0.975x", "0.5+0.5"};
    Session atZ{"at the z prompt", "", menu, 0};
    Session atP{"at the p prompt", "", menu, 0};
    for (const std::string& token : tokens) {
        atZ.input += "1 " + token + "\n";
        atZ.output += "\nz = Invalid value for z.\n" + menu;
        atP.input += "2 " + token + "\n";
        atP.output += "\np = Invalid value for p.\n" + menu;
    }
    atZ.input += "1 1.96\n9\n";
    atZ.output += zToP("0.975002") + menu;
    atP.input += "2 0.975\n9\n";
    atP.output += pToZ("1.95996") + menu;
    const Session sessions[] = {atZ, atP};
    EXPECT_SESSIONS(sessions);
}

// Any spelling the extraction reads whole is a number: a sign, an exponent, no leading digit.
TEST(Dialogue, WholeNumbersInEverySpelling)
{
    const Session sessions[] = {
        betweenMenus("+1.96, 196e-2 and 1.96E+0", "1 +1.96 1 196e-2 1 1.96E+0 9",
                     apart({zToP("0.975002"), zToP("0.975002"), zToP("0.975002")})),
        betweenMenus(".975 and 975e-3", "2 .975 2 975e-3 9",
                     apart({pToZ("1.95996"), pToZ("1.95996")})),
        betweenMenus("-0 is 0", "1 -0 9", zToP("0.5")),
        betweenMenus("tab and carriage return end a token", "1\t1.96\r\n9\r\n",
                     zToP("0.975002")),
    };
    EXPECT_SESSIONS(sessions);
}

// A UTF-8 byte order mark (EF BB BF) is skipped at the very start of the input and nowhere
// else; elsewhere, or cut short, it is a bad token like any other.
TEST(Dialogue, ByteOrderMark)
{
    const std::string mark = "\xEF\xBB\xBF";
    const Session sessions[] = {
        betweenMenus("before the first query", mark + "1 1.96\n9\n", zToP("0.975002")),
        {"and nothing else", mark, menu + "\n", 0},
        {"a second mark is a bad choice", mark + mark + "9", menu + "Invalid value for ck.\n" +
                                                               menu + "\n", 0},
        {"after white space", " " + mark + "9", menu + "Invalid value for ck.\n" + menu + "\n", 0},
        betweenMenus("at the z prompt", "1 " + mark + "1.96 9", "\nz = Invalid value for z.\n"),
        betweenMenus("the first two bytes only", "\xEF\xBB" "1 9", "Invalid value for ck.\n"),
        {"the first byte only, at the end", "\xEF", menu + "Invalid value for ck.\n" + menu + "\n",
         0},
    };
    EXPECT_SESSIONS(sessions);
}

// Numbers typed with a Japanese input method, in UTF-8 and in Shift_JIS (by iconv): read as
// their ASCII forms, while a token with anything else in it is refused as before.
// 0.975002 = Phi(1.96), 1.95996 = Phi^-1(0.975), 0.0249979 = Phi(-1.96), 0.500399 = Phi(0.001),
// 0.691462 = Phi(0.5) and 1 = Phi(10), to six digits.
TEST(Dialogue, FullWidthForms)
{
    const std::string invalidZ = "\nz = Invalid value for z.\n";
    const Session typed[] = {
        betweenMenus("digits, point, ideographic space", u8"１　１．９６\n９\n", zToP("0.975002")),
        betweenMenus("p on the choice line", u8"２　０．９７５　９", pToZ("1.95996")),
        betweenMenus("full-width minus and the minus sign", u8"１ －１．９６ １ −１．９６ ９",
                     zToP("0.0249979") + menu + zToP("0.0249979")),
        betweenMenus("exponents", u8"１ １ｅ－３ １ １Ｅ＋１ ９", zToP("0.500399") + menu + zToP("1")),
        betweenMenus("＋３ is the choice 3", u8"＋３ ９", "Your value for ck = 3\n"),
        betweenMenus("１．５ is the choice 1, then z = .5", u8"１．５ ９", zToP("0.691462")),
        betweenMenus("a full-width letter", u8"１ １．９６ａ ９", invalidZ),
        betweenMenus("the prolonged sound mark is no minus", u8"１ ー１．９６ ９", invalidZ),
    };
#ifndef _WIN32
    const bool shiftJisToo = canConvertToCodePage932();
    if (!shiftJisToo) {
        std::cout << "[   NOTE   ] iconv has no CP932 converter here: UTF-8 rows only\n";
    }
#endif
    for (const Session& row : typed) {
        expectSessions(&row, &row + 1);
#ifndef _WIN32
        if (shiftJisToo) {
            Session shiftJis = row;
            shiftJis.input = toCodePage932(row.input);
            SCOPED_TRACE("in Shift_JIS");
            expectSessions(&shiftJis, &shiftJis + 1);
        }
#endif
    }
}

// z and p tokens are read up to maxTokenLength characters; a longer one is invalid however
// good a number it is, and the next token is read normally. The choice keeps the int
// extraction, which takes any number of leading zeros.
TEST(Dialogue, LongTokens)
{
    constexpr std::size_t limit = console::maxTokenLength;
    const std::string z = std::string(limit - 4, '0') + "1.96";
    const std::string p = "0.975" + std::string(limit - 5, '0');
    const Session sessions[] = {
        betweenMenus("z of the longest length", "1 " + z + " 9", zToP("0.975002")),
        betweenMenus("z one character longer", "1 0" + z + " 1 1.96 9",
                     "\nz = Invalid value for z.\n" + menu + zToP("0.975002")),
        betweenMenus("p of the longest length", "2 " + p + " 9", pToZ("1.95996")),
        betweenMenus("p one character longer", "2 " + p + "0 2 0.975 9",
                     "\np = Invalid value for p.\n" + menu + pToZ("1.95996")),
        {"100,000 digits at the end of input", "1 " + std::string(100000, '7'),
         menu + "\nz = Invalid value for z.\n" + menu + "\n", 0},
        betweenMenus("100,000 digits for p", "2 0." + std::string(100000, '7') + " 2 0.975 9",
                     "\np = Invalid value for p.\n" + menu + pToZ("1.95996")),
        {"a choice of 100,000 zeros and a 9", std::string(100000, '0') + "9", menu, 0},
    };
    EXPECT_SESSIONS(sessions);
}

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

// Each row cuts the output after a number of characters; the input offers three queries
// unless told. The dialogue must stop where it stands: the position shows how much input it read.
TEST(DialogueFailure, AFailedWriteStopsAllReadingAndComputing)
{
    struct Row {
        const char* what;
        std::size_t limit;
        std::streamoff position; // of the input when the dialogue returns
        const char* input = "1 1.96\n1 1.96\n9\n";
    };
    const Row rows[] = {
        {"nothing can be written", 0, 0},
        {"the menu is cut", 10, 0},
        {"the prompt is cut", menu.size() - 1, 0},
        // The first answer is cut: the second query is never read.
        {"the answer is cut", menu.size() + answer.size() - 3, 6},
        {"the second menu is cut", menu.size() + answer.size() + 5, 6},
        {"the second answer is cut", 2 * menu.size() + 2 * answer.size() - 1, 13},
        {"the line end after the end of input", menu.size(), -1, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::istringstream in(row.input);
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

TEST(ClassicLocale, AGermanGlobalLocaleChangesNoNumber)
{
    // The German locale writes 0.5 as 0,5 and groups thousands with full stops.
    std::locale german;
    try {
        german = std::locale("de_DE.UTF-8");
    } catch (const std::runtime_error&) {
        GTEST_SKIP() << "no German locale is installed (de_DE.UTF-8)";
    }
    // Made before the switch, as std::cin and std::cout are made before main runs.
    std::istringstream in("1 0.5 2 0.975 1 1234.5 1 0,5 9");
    std::ostringstream out;
    console::Console dialogue{in, out, texts};

    const std::locale previous = std::locale::global(german);
    std::ostringstream madeAfter;
    madeAfter << 0.5;
    const int status = console::runMenu(dialogue);
    std::locale::global(previous);

    // The switch took hold: a stream made under it writes the German decimal comma.
    ASSERT_EQ(madeAfter.str(), "0,5");
    // Phi(0.5) = 0.691462, Phi^-1(0.975) = 1.95996 (to six digits); 1234.5 is read whole, not
    // as 1234 and a fraction, and gives 1; "0,5" is no number with a full stop as the decimal
    // point, so the whole token is rejected.
    EXPECT_EQ(out.str(), menu + zToP("0.691462") + menu + pToZ("1.95996") + menu + zToP("1") +
                             menu + "\nz = Invalid value for z.\n" + menu);
    EXPECT_EQ(status, console::exitChosen);
}

} // namespace
