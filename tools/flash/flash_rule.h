#pragma once

#include <cstdint>

// The general flash and red flash thresholds and the harmful pattern rule,
// as the broadcasters' guidelines and WCAG 2 (success criterion 2.3.1) state
// them, in the units the count works in: relative luminance and linear
// light scaled to 0..65535.
//
// A transition is a change between a peak and a valley of at least
// kLuminanceChange, the darker of the two below kDarkerBelow; a flash is
// two opposing transitions. It counts where the places that make it at once
// cover more than a quarter of some 10 degree field of view. More than
// kMostFlashes flashes in any one second break the rule.
namespace flash_rule {

constexpr int kFull = 65535;
constexpr uint16_t scaled(double fraction) { return uint16_t(fraction * kFull + 0.5); }

constexpr uint16_t kLuminanceChange = scaled(0.10);
constexpr uint16_t kDarkerBelow = scaled(0.80);

// A saturated red: R / (R + G + B) at least 0.8 in linear light. Its red
// value is (R - G - B) x 320, 0 for any other colour; a red transition is a
// change of at least 20 in it.
constexpr uint16_t kRedChange = scaled(20.0 / 320.0);

constexpr int kMostFlashes = 3;
// More transitions than this in one second are more than kMostFlashes flashes.
constexpr int kMostTransitions = 2 * kMostFlashes;

// A 10 degree field of view is 341 x 256 pixels of a 1024 x 768 screen
// seen from the usual distance; other screens hold the same share of it,
// 4:3 as the field is. Flashes and patterns count when they cover more than
// a quarter of a field: 21,824 pixels on that screen.
constexpr double kFieldWidth = 341.0;
constexpr double kFieldHeight = 256.0;
constexpr double kReferenceWidth = 1024.0;
constexpr double kReferenceHeight = 768.0;
constexpr double kAreaShare = 0.25;

// A harmful pattern: regular light-dark stripes or checks, of at least
// kPatternPairs pairs, each change between them a transition as above,
// over more than a quarter of a field, for at least kPatternSeconds.
constexpr int kPatternPairs = 6;
constexpr double kPatternSeconds = 0.5;

}  // namespace flash_rule
