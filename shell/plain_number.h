#pragma once

#include <string>

// Numbers that people type, on a command line or in a page's address. One
// reading for every caller; each caller says in its own words what it
// refuses and rounds as it needs.

// A non-negative plain decimal: digits with at most one decimal point and
// at least one digit (2.5, .5, 7.). No exponent, sign, blank, hexadecimal,
// "inf" or "nan": a person types seconds as they read them, and "1e2" is
// no time anyone reads as 100 s. The value must be finite. False, with
// value unchanged, for anything else.
bool parsePlainDecimal(const std::string& text, double* value);

// A whole number of plain digits from low to high (low at least 0).
bool parseWholeNumber(const std::string& text, long low, long high, long* value);

// WIDTHxHEIGHT, each side a whole number from 1 to maxSide.
bool parseFrameSize(const std::string& text, long maxSide, int* width, int* height);
