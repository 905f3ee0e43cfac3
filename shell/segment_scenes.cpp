#include "shell/segment_scenes.h"

#include <cstdio>
#include <stdexcept>

#include "shell/title_plans.h"
#include "titles/title_scene.h"

std::vector<std::uint8_t> wordsSceneFile(int segment, const std::string& words, const Timing& timing) {
    const float seconds = float(timing.segmentEnd(segment) - timing.segmentStart(segment));
    return encodeScene(titleScene(words, titleStyleOf(segment), seconds, kFlightLens, schedule::kTilesTexture));
}

namespace {

// The bytes in a file that the loader reads as it reads any scene file, so
// that a title made here goes the same way as one the generator wrote.
std::FILE* streamOf(const std::vector<std::uint8_t>& bytes) {
    std::FILE* stream = std::tmpfile();
    if (!stream) return nullptr;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size() || std::fseek(stream, 0, SEEK_SET) != 0) {
        std::fclose(stream);
        return nullptr;
    }
    return stream;
}

}  // namespace

std::vector<std::string> loadSegmentScenes(SceneTable& scenes, const Timing& timing) {
    std::vector<std::string> failures;
    scenes.clearSegmentScenes();
    for (int s = 1; s <= schedule::kSegmentCount; ++s) {
        const std::string& words = timing.words[std::size_t(s)];
        const std::string& file = timing.scenes[std::size_t(s)];
        std::string failure;
        if (!words.empty()) {
            const std::string name = std::string(kWordsName) + " " + std::to_string(s);
            std::vector<std::uint8_t> bytes;
            try {
                bytes = wordsSceneFile(s, words, timing);
            } catch (const std::invalid_argument& error) {
                failures.push_back(name + ": " + error.what());
                continue;
            }
            std::FILE* stream = streamOf(bytes);
            if (!scenes.loadSegmentScene(s, stream, name, &failure))
                failures.push_back(stream ? failure : name + ": no temporary file to make its title in");
        } else if (!file.empty()) {
            if (!scenes.loadSegmentScene(s, std::fopen(file.c_str(), "rb"), file, &failure)) failures.push_back(failure);
        }
    }
    return failures;
}
