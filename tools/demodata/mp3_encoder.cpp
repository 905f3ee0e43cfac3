#include "tools/demodata/mp3_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "tools/demodata/synth.h"

namespace {

// A fixed middle quality: good enough for the show, and fast.
constexpr int kLameQuality = 5;
constexpr int kBlock = 8192;

}  // namespace

std::vector<uint8_t> encodeMp3(const std::vector<float>& left, const std::vector<float>& right, int kbps) {
    if (left.size() != right.size()) throw std::invalid_argument("both channels must have the same length");
    std::unique_ptr<lame_global_flags, int (*)(lame_global_flags*)> lame(lame_init(), lame_close);
    if (!lame) throw std::runtime_error("cannot start the MP3 encoder");
    lame_global_flags* gf = lame.get();
    lame_set_in_samplerate(gf, kSampleRate);
    lame_set_out_samplerate(gf, kSampleRate);
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, kbps);
    lame_set_quality(gf, kLameQuality);
    lame_set_bWriteVbrTag(gf, 1);
    // No ID3 tags: the file is the audio alone.
    lame_set_write_id3tag_automatic(gf, 0);
    if (lame_init_params(gf) < 0) throw std::runtime_error("the MP3 encoder refused its settings");

    std::vector<uint8_t> mp3;
    // LAME's own bound for one call's output.
    std::vector<unsigned char> buffer(size_t(1.25 * kBlock) + 7200);
    for (size_t at = 0; at < left.size(); at += kBlock) {
        const int count = int(std::min<size_t>(kBlock, left.size() - at));
        const int written = lame_encode_buffer_ieee_float(gf, left.data() + at, right.data() + at, count,
                                                          buffer.data(), int(buffer.size()));
        if (written < 0) throw std::runtime_error("MP3 encoding failed");
        mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + written);
    }
    const int flushed = lame_encode_flush(gf, buffer.data(), int(buffer.size()));
    if (flushed < 0) throw std::runtime_error("MP3 encoding failed at the end");
    mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + flushed);

    // LAME began the stream with an empty frame for the tag; fill it in now
    // that the frame count and the delays are known.
    unsigned char tag[2880];
    const size_t tagSize = lame_get_lametag_frame(gf, tag, sizeof tag);
    if (tagSize == 0 || tagSize > sizeof tag || tagSize > mp3.size())
        throw std::runtime_error("the MP3 encoder gave no information tag");
    std::memcpy(mp3.data(), tag, tagSize);
    return mp3;
}
