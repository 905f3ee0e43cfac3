#include "shell/text_lines.h"

#include <algorithm>

std::string_view withoutByteOrderMark(std::string_view text) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    return text.substr(0, kMark.size()) == kMark ? text.substr(kMark.size()) : text;
}

bool isBinaryText(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char ch) {
        const unsigned char c = static_cast<unsigned char>(ch);
        return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7f;
    });
}

std::string_view takeLine(std::string_view& text) {
    const std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}
