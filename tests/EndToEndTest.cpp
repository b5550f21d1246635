// The real executable with standard input piped in: standard output byte for byte, nothing on
// standard error, and the exit status.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

// The menu in Shift_JIS, as the calculator writes it to a pipe, and its prompt.
const std::string menu =
    "1: z\x82\xa9\x82\xe7\x8a" "m\x97\xa6p\x82\xf0\x8b\x81\x82\xdf\x82\xe9\x81" "B\n"
    "2: \x8a" "m\x97\xa6p\x82\xa9\x82\xe7z\x82\xf0\x8b\x81\x82\xdf\x82\xe9\x81" "B\n"
    "9: \x8f" "I\x97\xb9\x81" "B\n"
    "No. = ";

std::string zToP(const std::string& p)
{
    return "\nz = p = " + p + "\n\n";
}

std::string pToZ(const std::string& z)
{
    return "\np = z = " + z + "\n\n";
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Run {
    std::string out;
    std::string err;
    int status;
};

// How standard input reaches the calculator: a regular file (output written in blocks) or a
// pipe (every line flushed); the bytes must be the same.
enum class Input { file, pipe };

// Runs the calculator on input; environment, if given, is a prefix for the command line such
// as "env LANG=C.UTF-8".
Run runCalculator(const std::string& input, Input how = Input::file,
                  const std::string& environment = "")
{
    const std::string dir = testing::TempDir();
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::string in = dir + "normcalc_" + name + ".in";
    const std::string out = dir + "normcalc_" + name + ".out";
    const std::string err = dir + "normcalc_" + name + ".err";
    std::ofstream(in, std::ios::binary) << input;
    const std::string exe = environment + " \"" NORMCALC_EXE "\"";
    const std::string redirections = " > \"" + out + "\" 2> \"" + err + "\"";
    const std::string command = how == Input::file
                                    ? exe + " < \"" + in + "\"" + redirections
                                    : "cat \"" + in + "\" | " + exe + redirections;
    const int raw = std::system(command.c_str());
    return {readFile(out), readFile(err), WIFEXITED(raw) ? WEXITSTATUS(raw) : -1};
}

struct Session {
    const char* what;
    std::string input;
    std::string output;
    int status;
};

void expectSessions(const Session* begin, const Session* end)
{
    for (const Session* row = begin; row != end; ++row) {
        for (Input how : {Input::file, Input::pipe}) {
            SCOPED_TRACE(testing::Message() << row->what << (how == Input::file ? " (file)" : " (pipe)"));
            const Run run = runCalculator(row->input, how);
            EXPECT_EQ(run.out, row->output);
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(run.status, row->status);
        }
    }
}

#define EXPECT_SESSIONS(table) expectSessions(std::begin(table), std::end(table))

// Printed results from the rules' own values: Phi(1.96) = 0.975002, Phi(0.5) = 0.691462, and so
// on (checked against a 40-digit reference); in the lower tail Phi(-10) = 7.61985e-24, and at
// z = -38 the nearest double to Phi, 2.88542835e-316 (true 2.885428360e-316).
TEST(EndToEnd, MenuAndZToP)
{
    const Session sessions[] = {
        {"9 ends at once", "9\n", menu, 0},
        {"choices off the menu are echoed", "0\n3\n10\n-1\n9\n",
         menu + "Your value for ck = 0\n" + menu + "Your value for ck = 3\n" + menu +
             "Your value for ck = 10\n" + menu + "Your value for ck = -1\n" + menu,
         0},
        {"+3 and 003 read as 3", "+3 003 9", menu + "Your value for ck = 3\n" + menu +
                                                 "Your value for ck = 3\n" + menu, 0},
        {"1.96 on the choice line", "1 1.96\n9\n", menu + zToP("0.975002") + menu, 0},
        {"z = 0", "1\n0\n9\n", menu + zToP("0.5") + menu, 0},
        {"z = -1.96", "1\n-1.96\n9\n", menu + zToP("0.0249979") + menu, 0},
        {"z = 10", "1\n10\n9\n", menu + zToP("1") + menu, 0},
        {"z = -10, far in the lower tail", "1\n-10\n9\n", menu + zToP("7.61985e-24") + menu, 0},
        {"z = -38, a subnormal p", "1 -38 9", menu + zToP("2.88543e-316") + menu, 0},
        {"1.5 is the choice 1, then z = .5", "1.5\n9\n", menu + zToP("0.691462") + menu, 0},
        {"z = 1e308", "1 1e308 9", menu + zToP("1") + menu, 0},
        {"z = -1e308", "1 -1e308 9", menu + zToP("0") + menu, 0},
        {"z = DBL_MAX", "1 1.7976931348623157e308 9", menu + zToP("1") + menu, 0},
        {"z = -DBL_MAX", "1 -1.7976931348623157e308 9", menu + zToP("0") + menu, 0},
    };
    EXPECT_SESSIONS(sessions);
}

TEST(EndToEnd, BadTokensAndEndOfInput)
{
    const Session sessions[] = {
        {"garbage choice, then the rest is read", "abc 1 1.96 9",
         menu + "Invalid value for ck.\n" + menu + zToP("0.975002") + menu, 0},
        {"a sign with no digits", "-x 9", menu + "Invalid value for ck.\n" + menu, 0},
        {"a choice out of range for int", "99999999999 9",
         menu + "Invalid value for ck.\n" + menu, 0},
        {"z out of range for double", "1 1e999 9",
         menu + "\nz = Invalid value for z.\n" + menu, 0},
        {"z not a number", "1 abc\n9\n", menu + "\nz = Invalid value for z.\n" + menu, 0},
        {"nan is no number here", "1 nan 9", menu + "\nz = Invalid value for z.\n" + menu, 0},
        {"empty input", "", menu + "\n", 0},
        {"only white space", " \n\t\n", menu + "\n", 0},
        {"input ends after a command", "1 1.96", menu + zToP("0.975002") + menu + "\n", 0},
        {"input ends at the z prompt", "1\n", menu + "\nz = \n", 1},
        {"input ends after a bad choice", "zzz", menu + "Invalid value for ck.\n" + menu + "\n",
         0},
    };
    EXPECT_SESSIONS(sessions);
}

// Quantiles printed from the rules' own values (1.95996 = Phi^-1(0.975) to six digits);
// -6.36134 comes through the bracketing fallback. The tails from the 40-digit reference:
// Phi^-1(1e-20) = -9.26234, Phi^-1(1 - 2^-53) = 8.20954 and, for the smallest normal double
// 2.2250738585072014e-308, -37.5194; below that double p is refused.
TEST(EndToEnd, PToZ)
{
    const std::string invalid = "\np = Invalid value for p.\n";
    const Session sessions[] = {
        {"p = 0.975", "2\n0.975\n9\n", menu + pToZ("1.95996") + menu, 0},
        {"p = 0.5", "2 0.5 9", menu + pToZ("0") + menu, 0},
        {"p = 0.025", "2 0.025 9", menu + pToZ("-1.95996") + menu, 0},
        {"p = 1e-10, by the fallback", "2 1e-10 9", menu + pToZ("-6.36134") + menu, 0},
        {"p = 0, 1, -0.3 and 1.5 are rejected", "2 0 2 1 2 -0.3 2 1.5 9",
         menu + invalid + menu + invalid + menu + invalid + menu + invalid + menu, 0},
        {"a rejected p, then a good one", "2 1.5 2 0.975 9",
         menu + invalid + menu + pToZ("1.95996") + menu, 0},
        {"p = 1e-20", "2 1e-20 9", menu + pToZ("-9.26234") + menu, 0},
        {"the largest p below 1", "2 0.9999999999999999 9", menu + pToZ("8.20954") + menu, 0},
        {"the smallest normal p", "2 2.2250738585072014e-308 9",
         menu + pToZ("-37.5194") + menu, 0},
        {"the largest subnormal p", "2 2.2250738585072009e-308 9",
         menu + "\np = Value for p is too close to 0.\n" + menu, 0},
        {"the smallest subnormal p", "2 4.9e-324 9",
         menu + "\np = Value for p is too close to 0.\n" + menu, 0},
        {"p not a number", "2 abc 9", menu + invalid + menu, 0},
        {"p out of range for double", "2 1e-999 9", menu + invalid + menu, 0},
        {"input ends at the p prompt", "2", menu + "\np = \n", 1},
    };
    EXPECT_SESSIONS(sessions);
}

// The calculator on two pipes, driven the way another program would drive it: write an
// answer only once its prompt has arrived.
class Driven {
public:
    Driven()
    {
        int toChild[2];
        int fromChild[2];
        if (pipe(toChild) != 0 || pipe(fromChild) != 0) {
            return;
        }
        pid = fork();
        if (pid == 0) {
            dup2(toChild[0], STDIN_FILENO);
            dup2(fromChild[1], STDOUT_FILENO);
            const int devNull = open("/dev/null", O_WRONLY);
            dup2(devNull, STDERR_FILENO);
            close(toChild[1]);
            close(fromChild[0]);
            execl(NORMCALC_EXE, NORMCALC_EXE, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        input = toChild[1];
        output = fromChild[0];
    }

    ~Driven()
    {
        if (input >= 0) {
            close(input);
        }
        if (output >= 0) {
            close(output);
        }
        if (pid > 0) {
            waitpid(pid, nullptr, 0);
        }
    }

    Driven(const Driven&) = delete;
    Driven& operator=(const Driven&) = delete;

    // Returns what arrives until it ends with expected, or whatever came within the time limit.
    std::string readUntil(const std::string& expected)
    {
        // Far longer than any answer takes; only a missing flush runs into it.
        constexpr int timeLimitMs = 10000;
        std::string got;
        pollfd ready{output, POLLIN, 0};
        while (got.size() < expected.size() || got.compare(got.size() - expected.size(),
                                                           expected.size(), expected) != 0) {
            if (poll(&ready, 1, timeLimitMs) <= 0) {
                break;
            }
            char chunk[4096];
            const ssize_t n = read(output, chunk, sizeof chunk);
            if (n <= 0) {
                break;
            }
            got.append(chunk, static_cast<std::size_t>(n));
        }
        return got;
    }

    void answer(const std::string& text)
    {
        EXPECT_EQ(write(input, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Returns the exit status once the calculator has ended.
    int status()
    {
        close(input);
        input = -1;
        int raw = 0;
        waitpid(pid, &raw, 0);
        pid = -1;
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

private:
    pid_t pid = -1;
    int input = -1;
    int output = -1;
};

TEST(EndToEnd, ThroughAPipeEveryPromptArrivesBeforeItsAnswer)
{
    Driven calculator;
    EXPECT_EQ(calculator.readUntil(menu), menu);
    calculator.answer("1\n");
    EXPECT_EQ(calculator.readUntil("\nz = "), "\nz = ");
    calculator.answer("1.96\n");
    EXPECT_EQ(calculator.readUntil("p = 0.975002\n\n" + menu), "p = 0.975002\n\n" + menu);
    calculator.answer("2\n");
    EXPECT_EQ(calculator.readUntil("\np = "), "\np = ");
    calculator.answer("0.975\n");
    EXPECT_EQ(calculator.readUntil("z = 1.95996\n\n" + menu), "z = 1.95996\n\n" + menu);
    calculator.answer("9\n");
    EXPECT_EQ(calculator.status(), 0);
}

// Whatever the user's locale, a pipe gets the Shift_JIS transcript, and numbers keep the full
// stop: "0,5" is the number 0 and then a bad token. de_DE.UTF-8 is taken whether or not it is
// installed; the program must not pick up its decimal comma either way.
TEST(EndToEnd, UserLocaleReachesNeitherTextsNorNumbers)
{
    const char* environments[] = {
        "env -u LC_ALL -u LC_CTYPE LANG=C.UTF-8",
        "env LC_ALL=C.UTF-8 LANG=C.UTF-8",
        "env LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8",
        "env -u LC_ALL -u LC_CTYPE LANG=de_DE.UTF-8",
        "env LC_ALL=C LANG=C",
    };
    const std::string input = "1 0.5 1 -5 2 0.975 2 1e-10 1 0,5 9";
    const std::string output = menu + zToP("0.691462") + menu + zToP("2.86652e-07") + menu +
                               pToZ("1.95996") + menu + pToZ("-6.36134") + menu + zToP("0.5") +
                               menu + "Invalid value for ck.\n" + menu;
    for (const char* environment : environments) {
        SCOPED_TRACE(environment);
        const auto run = runCalculator(input, Input::pipe, environment);
        EXPECT_EQ(run.out, output);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.status, 0);
    }
}

} // namespace
