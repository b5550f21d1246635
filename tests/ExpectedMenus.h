// The menu and its prompt as the tests expect to see them, written out here character by
// character, apart from the tables the program uses.
#pragma once

#include <string>

namespace expected {

// As a UTF-8 terminal shows it.
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

} // namespace expected
