// The Windows build's line ends, "\r\n" (the C runtime's text mode), turned into "\n", so that
// one transcript of the calculator serves both builds.
#pragma once

#include <cstddef>
#include <string>

// Returns written with every "\r\n" as "\n"; a bare "\n" is marked, so that no comparison with
// a transcript can pass over it.
inline std::string withUnixLineEnds(const std::string& written)
{
    std::string text;
    text.reserve(written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (written[i] == '\r' && i + 1 < written.size() && written[i + 1] == '\n') {
            continue;
        }
        if (written[i] == '\n' && (i == 0 || written[i - 1] != '\r')) {
            text += "[a line end without \\r]";
        }
        text += written[i];
    }
    return text;
}
