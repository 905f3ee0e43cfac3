#include "shell/plain_number.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Digits from i on; returns how many.
size_t skipDigits(const std::string& text, size_t& i) {
    const size_t begin = i;
    while (i < text.size() && isDigit(text[i])) ++i;
    return i - begin;
}

// strtod alone would also take a sign, blanks, an exponent, "inf", "nan"
// and hexadecimal: the text's shape is checked first.
bool plainDecimalShape(const std::string& text) {
    size_t i = 0;
    size_t digits = skipDigits(text, i);
    if (i < text.size() && text[i] == '.') {
        ++i;
        digits += skipDigits(text, i);
    }
    return digits > 0 && i == text.size();
}

}  // namespace

bool parsePlainDecimal(const std::string& text, double* value) {
    if (!plainDecimalShape(text)) return false;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(v)) return false;
    *value = v;
    return true;
}

bool parseWholeNumber(const std::string& text, long low, long high, long* value) {
    size_t i = 0;
    if (skipDigits(text, i) == 0 || i != text.size()) return false;
    errno = 0;
    const long v = std::strtol(text.c_str(), nullptr, 10);
    if (errno != 0 || v < low || v > high) return false;
    *value = v;
    return true;
}

bool parseFrameSize(const std::string& text, long maxSide, int* width, int* height) {
    const size_t x = text.find('x');
    if (x == std::string::npos) return false;
    long w = 0;
    long h = 0;
    if (!parseWholeNumber(text.substr(0, x), 1, maxSide, &w) || !parseWholeNumber(text.substr(x + 1), 1, maxSide, &h))
        return false;
    *width = int(w);
    *height = int(h);
    return true;
}
