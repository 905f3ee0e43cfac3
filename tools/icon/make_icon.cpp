// make-icon: the program's icons from a frame of the show.
//
//   make-icon png FRAME.png SIZE OUT.png    the frame's middle square, SIZE x SIZE
//   make-icon ico OUT.ico IMAGE.png...      square PNG images in one Windows icon
//
// A square is scaled down by averaging the frame's pixels that each icon
// pixel covers, in part or whole, so that thin lines do not flicker away. A
// Windows icon may hold its images as PNG files (Windows Vista and later,
// Wine, icoutils read them); this writes them so, largest last.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/capture/png_file.h"

namespace {

const char* const kUsage = "usage: make-icon png FRAME.png SIZE OUT.png | make-icon ico OUT.ico IMAGE.png...";

int fail(const std::string& message) {
    std::fprintf(stderr, "make-icon: %s\n", message.c_str());
    return 1;
}

// The middle square of picture (as wide as its shorter side), scaled to size.
RgbPicture middleSquare(const RgbPicture& picture, int size) {
    const int side = picture.width < picture.height ? picture.width : picture.height;
    const int left = (picture.width - side) / 2;
    const int top = (picture.height - side) / 2;
    RgbPicture icon;
    icon.width = icon.height = size;
    icon.rgb.resize(size_t(size) * size * 3);
    const double step = double(side) / size;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            // The icon pixel covers [x0, x1) x [y0, y1) of the square; each
            // frame pixel counts by the area it shares with it.
            const double x0 = x * step, x1 = (x + 1) * step, y0 = y * step, y1 = (y + 1) * step;
            double sum[3] = {0, 0, 0};
            for (int fy = int(y0); fy < y1 && fy < side; ++fy) {
                const double h = std::min(y1, fy + 1.0) - std::max(y0, double(fy));
                for (int fx = int(x0); fx < x1 && fx < side; ++fx) {
                    const double w = std::min(x1, fx + 1.0) - std::max(x0, double(fx));
                    const unsigned char* p = &picture.rgb[(size_t(top + fy) * picture.width + left + fx) * 3];
                    for (int c = 0; c < 3; ++c) sum[c] += w * h * p[c];
                }
            }
            for (int c = 0; c < 3; ++c)
                icon.rgb[(size_t(y) * size + x) * 3 + c] = (unsigned char)(sum[c] / (step * step) + 0.5);
        }
    }
    return icon;
}

void putLittle(std::vector<unsigned char>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back((unsigned char)(value >> (8 * i)));
}

// A PNG file's bytes and its width, read from its header; false when it is
// not a square PNG picture an icon can hold (1 to 256 pixels a side).
bool readIconImage(const std::string& path, std::vector<unsigned char>* bytes, int* side, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open " + path;
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    // Signature, then the IHDR chunk: length, type, width, height.
    if (bytes->size() < 24 || !std::equal(kSignature, kSignature + 8, bytes->begin())) {
        *error = path + " is not a PNG file";
        return false;
    }
    auto big = [&](size_t at) {
        return uint32_t((*bytes)[at]) << 24 | uint32_t((*bytes)[at + 1]) << 16 | uint32_t((*bytes)[at + 2]) << 8 |
               uint32_t((*bytes)[at + 3]);
    };
    const uint32_t width = big(16), height = big(20);
    if (width != height || width < 1 || width > 256) {
        *error = path + " is " + std::to_string(width) + "x" + std::to_string(height) +
                 ", not a square of 1 to 256 pixels";
        return false;
    }
    *side = int(width);
    return true;
}

int writeIco(const std::string& outPath, const std::vector<std::string>& images) {
    std::vector<std::vector<unsigned char>> files(images.size());
    std::vector<int> sides(images.size());
    std::string error;
    for (size_t i = 0; i < images.size(); ++i)
        if (!readIconImage(images[i], &files[i], &sides[i], &error)) return fail(error);
    // ICONDIR, then one ICONDIRENTRY an image, then the images.
    std::vector<unsigned char> out;
    putLittle(out, 0, 2);
    putLittle(out, 1, 2);
    putLittle(out, uint32_t(images.size()), 2);
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        // A side of 256 is written as 0.
        out.push_back((unsigned char)(sides[i] & 0xff));
        out.push_back((unsigned char)(sides[i] & 0xff));
        out.push_back(0);  // no palette
        out.push_back(0);
        putLittle(out, 1, 2);   // colour planes
        putLittle(out, 24, 2);  // bits a pixel: RGB
        putLittle(out, uint32_t(files[i].size()), 4);
        putLittle(out, offset, 4);
        offset += uint32_t(files[i].size());
    }
    for (const auto& file : files) out.insert(out.end(), file.begin(), file.end());
    std::ofstream file(outPath, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.data()), std::streamsize(out.size()));
    file.close();
    if (!file) return fail("cannot write " + outPath);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 4 && args[0] == "png") {
        char* end = nullptr;
        const long size = std::strtol(args[2].c_str(), &end, 10);
        if (*end != '\0' || size < 1 || size > 1024) return fail("the size must be 1 to 1024 pixels, not " + args[2]);
        RgbPicture frame;
        std::string error;
        if (!readPng(args[1], &frame, &error)) return fail(error);
        if (std::min(frame.width, frame.height) < size) return fail(args[1] + " is smaller than the icon");
        if (!writePng(args[3], middleSquare(frame, int(size)), &error)) return fail(error);
        return 0;
    }
    if (args.size() >= 3 && args[0] == "ico") return writeIco(args[1], {args.begin() + 2, args.end()});
    std::fprintf(stderr, "%s\n", kUsage);
    return 2;
}
