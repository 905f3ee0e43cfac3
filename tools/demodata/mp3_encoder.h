#pragma once

#include <cstdint>
#include <vector>

// Encodes 44100 Hz stereo samples in [-1, 1] as a constant-bit-rate MP3 at
// kbps kilobits a second. The first frame is the LAME information tag, which
// tells decoders the encoder's delay and padding, so that the decoded track
// starts and ends exactly where the samples do and loops without a gap.
// Throws std::runtime_error when the encoder fails.
std::vector<uint8_t> encodeMp3(const std::vector<float>& left, const std::vector<float>& right, int kbps);
