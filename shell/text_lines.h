#pragma once

#include <string_view>

// The plain text files that people edit and programs write (sync.txt, the
// timing file), read the same way.

// text without the UTF-8 byte order mark (EF BB BF) that some editors put
// at the start of a text file; text itself when it has none.
std::string_view withoutByteOrderMark(std::string_view text);

// True when text holds a control character other than tab, CR and LF, or a
// NUL: a binary file, not one of ours.
bool isBinaryText(std::string_view text);

// The next line of text, without its LF or CR LF end, taken off the front
// of text; the last line needs no end.
std::string_view takeLine(std::string_view& text);
