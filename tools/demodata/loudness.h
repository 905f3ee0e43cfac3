#pragma once

#include <vector>

// The integrated loudness of a stereo track in LUFS, as EBU R 128 and ITU-R
// BS.1770 define it: each channel K-weighted (a high shelf for the head, a
// high-pass for the ear's deafness to the lowest bass), the mean square in
// blocks of 400 ms every 100 ms, blocks below -70 LUFS and then blocks more
// than 10 LU below the mean of the rest left out. Streaming services play
// tracks at about -14 LUFS. -inf for silence.
double integratedLoudness(const std::vector<float>& left, const std::vector<float>& right, int sampleRate);
