// The encodings the Japanese texts are written in.
#pragma once

namespace io {

// utf16 is for a Windows console only: the texts are kept as UTF-8 and handed to the console as
// UTF-16 characters (WindowsConsole.h), which it shows whatever its code page.
enum class Encoding { shiftJis, utf8, utf16 };

} // namespace io
