#include "console/Texts.h"

#include "myLib/RootFinding.h"

namespace console {

// Octal escapes: a hex escape would swallow a following hex digit such as the 'B' of "\201B".
const Texts shiftJisTexts = {
    "1: z\202\251\202\347\212m\227\246p\202\360\213\201\202\337\202\351\201B",
    "2: \212m\227\246p\202\251\202\347z\202\360\213\201\202\337\202\351\201B",
    "9: \217I\227\271\201B",
    myLib::bracketMessage,
};

// The same texts character for character; every escape is three octal digits.
const Texts utf8Texts = {
    "1: z\343\201\213\343\202\211\347\242\272\347\216\207p\343\202\222\346\261\202\343\202\201"
    "\343\202\213\343\200\202",
    "2: \347\242\272\347\216\207p\343\201\213\343\202\211z\343\202\222\346\261\202\343\202\201"
    "\343\202\213\343\200\202",
    "9: \347\265\202\344\272\206\343\200\202",
    "\344\270\212\351\231\220\343\201\250\344\270\213\351\231\220\343\201\256\347\265\204\343"
    "\201\277\345\220\210\343\202\217\343\201\233\343\201\214\344\270\215\351\201\251\345\210"
    "\207\343\201\247\343\201\231\343\200\202",
};

const char* Texts::localize(const char* message) const
{
    // The root finders throw their own Shift_JIS text; it is recognised by its address.
    if (message == myLib::bracketMessage) {
        return bracketFailure;
    }
    return message;
}

const Texts& textsFor(io::Encoding encoding)
{
    // A Windows console gets UTF-16, converted from the UTF-8 texts on the way out.
    return encoding == io::Encoding::shiftJis ? shiftJisTexts : utf8Texts;
}

} // namespace console
