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

const char* Texts::localize(const char* message) const
{
    // The root finders throw their own Shift_JIS text; it is recognised by its address.
    if (message == myLib::bracketMessage) {
        return bracketFailure;
    }
    return message;
}

} // namespace console
