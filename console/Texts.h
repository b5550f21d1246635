// The Japanese texts the calculator writes, gathered in one table per output encoding.
#pragma once

#include "io/Encoding.h"

namespace console {

struct Texts {
    const char* menuZToP;       // "1: zから確率pを求める。"
    const char* menuPToZ;       // "2: 確率pからzを求める。"
    const char* menuQuit;       // "9: 終了。"
    const char* bracketFailure; // "上限と下限の組み合わせが不適切です。"

    // Returns what to show for a thrown message: this table's text for a Japanese one, else
    // the message itself.
    const char* localize(const char* message) const;
};

// The texts as Shift_JIS (code page 932) bytes.
extern const Texts shiftJisTexts;

// The texts as UTF-8 bytes.
extern const Texts utf8Texts;

// Returns the table of the given encoding (the UTF-8 one for utf16, which is converted on the
// way to the console); never fails.
const Texts& textsFor(io::Encoding encoding);

} // namespace console
