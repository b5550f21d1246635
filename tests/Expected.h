// What the tests expect the calculator to write, written out here character by character,
// apart from the tables the program uses: the menu, the answers, the numbers as printed.
#pragma once

#include <sstream>
#include <string>

namespace expected {

// The menu and its prompt as a UTF-8 terminal shows them.
inline const std::string utf8Menu = u8"1: zから確率pを求める。\n"
                                    u8"2: 確率pからzを求める。\n"
                                    u8"9: 終了。\n"
                                    "No. = ";

// The code page 932 bytes of the same menu, as the calculator writes it to a pipe or file.
inline const std::string shiftJisMenu =
    "1: z\x82\xa9\x82\xe7\x8a" "m\x97\xa6p\x82\xf0\x8b\x81\x82\xdf\x82\xe9\x81" "B\n"
    "2: \x8a" "m\x97\xa6p\x82\xa9\x82\xe7z\x82\xf0\x8b\x81\x82\xdf\x82\xe9\x81" "B\n"
    "9: \x8f" "I\x97\xb9\x81" "B\n"
    "No. = ";

// The menu of every transcript but a terminal's.
inline const std::string& menu = shiftJisMenu;

// What a z-to-p and a p-to-z request write after the choice prompt when answered.
inline std::string zToP(const std::string& p)
{
    return "\nz = p = " + p + "\n\n";
}

inline std::string pToZ(const std::string& z)
{
    return "\np = z = " + z + "\n\n";
}

// As the calculator prints a number: the stream's default format, six significant digits.
template <typename T>
std::string printed(T value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

} // namespace expected
