// What the dialogue reads of typed text: the full-width forms of a number's characters as
// ASCII, in UTF-8 and in Shift_JIS, and every other byte as it is.
#include "console/FullWidth.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

std::string readThrough(const std::string& typed)
{
    std::stringbuf source(typed);
    console::FullWidthInput input(source);
    std::istream in(&input);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// UTF-8 from the Unicode charts, Shift_JIS from Python's cp932 codec (e.g. "１".encode("cp932")).
TEST(FullWidthInput, TypedForms)
{
    const struct {
        const char* what;
        std::string typed;
        std::string read;
    } rows[] = {
        {"UTF-8 ０ to ９", "\xef\xbc\x90\xef\xbc\x91\xef\xbc\x92\xef\xbc\x93\xef\xbc\x94"
                          "\xef\xbc\x95\xef\xbc\x96\xef\xbc\x97\xef\xbc\x98\xef\xbc\x99",
         "0123456789"},
        {"UTF-8 ＋－．Ｅｅ, the minus sign and the ideographic space",
         "\xef\xbc\x8b\xef\xbc\x8d\xef\xbc\x8e\xef\xbc\xa5\xef\xbd\x85\xe2\x88\x92\xe3\x80\x80",
         "+-.Ee- "},
        {"Shift_JIS ０ to ９", "\x82\x4f\x82\x50\x82\x51\x82\x52\x82\x53\x82\x54\x82\x55\x82\x56"
                              "\x82\x57\x82\x58",
         "0123456789"},
        {"Shift_JIS ＋－．Ｅｅ and the ideographic space",
         "\x81\x7b\x81\x7c\x81\x44\x82\x64\x82\x85\x81\x40", "+-.Ee "},
        {"both in one line", "\xef\xbc\x91 \x82\x50\x81\x44\xef\xbc\x99\n", "1 1.9\n"},
        {"ASCII as it is", "1 1.96\r\n\t+3 -2e-5\x7f\x01", "1 1.96\r\n\t+3 -2e-5\x7f\x01"},
        {"the byte order mark, then ９", "\xef\xbb\xbf\xef\xbc\x99", "\xef\xbb\xbf" "9"},
        {"others: ａ, Ａ, ー, ぁ, 漢, in UTF-8 and Shift_JIS",
         "\xef\xbd\x81\xef\xbc\xa1\xe3\x83\xbc\xe3\x81\x81\x8a\xbf\x82\x81\x82\x60\x81\x5b",
         "\xef\xbd\x81\xef\xbc\xa1\xe3\x83\xbc\xe3\x81\x81\x8a\xbf\x82\x81\x82\x60\x81\x5b"},
        // ぁ (E3 81 81) before "@" is no Shift_JIS space (81 40): a UTF-8 character is whole.
        {"a UTF-8 character's last byte is no Shift_JIS lead", "\xe3\x81\x81@",
         "\xe3\x81\x81@"},
        // Shift_JIS 竏窒 (E2 88, 92 82) and "P": the minus sign's UTF-8 bytes, then a byte no
        // whole UTF-8 character is followed by; what is left is read as Shift_JIS.
        {"a UTF-8 form followed by a continuation byte", "\xe2\x88\x92\x82P",
         "\xe2\x88\x92" "1"},
        // FC is the last lead byte: FC 81 is one character, so 81 40 is no ideographic space.
        {"the lead byte FC", "\xfc\x81\x40" "1", "\xfc\x81\x40" "1"},
        {"cut short", "1\xef\xbc", "1\xef\xbc"},
        {"cut short before ASCII", "\xef\xbc" "1\x82" "1\x81", "\xef\xbc" "1\x82" "1\x81"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(readThrough(row.typed), row.read);
    }
}

} // namespace
