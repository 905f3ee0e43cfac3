// show-schedule: the facts of shell/schedule.h, shell/framing.h and
// shell/frame_schedule.h (and of the sync marks' headers and
// shell/window_title.h) that the scripts and the tests need, for programs
// that cannot read a C++ header. One line each, a name and its values,
// separated by spaces:
//
//   picture-size WIDTH HEIGHT
//   canvas-max-side PIXELS                the widest drawing buffer the page makes
//   show-end SECONDS
//   segment-bounds B0 B1 ... B18          segment s runs between bounds s - 1 and s
//   sheet-fps N                           the contact sheet's rate
//   frame-grid-fps N                      the run whose frames ?at= and author mode show
//   sync-tolerance SECONDS                how far apart sound and picture may be
//   sync-marks-max N                      the most marks a run keeps
//   sync-file-max-bytes N                 the largest sync.txt the page opens
//   timing-file-max-bytes N               the largest timing file any program reads
//   segment-moments T1 ... T18            one a segment, in order
//   segment-4-styles START STRIPES WAVES END
//   outline-moments T ...
//   window-title TEXT                     the rest of the line
//
//   build/show-schedule
//
// With --timing it writes instead the show's built-in timing, as a timing
// file holds it: the file to start a retiming from.
//
//   build/show-schedule --timing > timing.txt
//
// With --fit MUSIC it writes a timing fitted to the beats and bars it finds
// in MUSIC (an MP3, Ogg Vorbis or WAV file), the music named by its file
// name: the file to play the show to other music from. Music in which no
// beat is found, or too short for the show, is refused.
//
//   build/show-schedule --fit song.ogg > timing.txt

#include <cstdio>
#include <iterator>
#include <string>

#include "shell/frame_schedule.h"
#include "shell/framing.h"
#include "shell/schedule.h"
#include "shell/sync_file.h"
#include "shell/sync_marks.h"
#include "shell/timing.h"
#include "shell/timing_fit.h"
#include "shell/window_title.h"
#include "rhythm/beat_tracker.h"
#include "tools/music_file/decoded_music.h"

namespace {

// The moments lie on the grid of a tenth of a second, which one decimal
// writes exactly and keeps as it is in the contact sheet's labels.
void printMoments(const char* name, const double* moments, size_t count) {
    std::printf("%s", name);
    for (size_t i = 0; i < count; ++i) std::printf(" %.1f", moments[i]);
    std::printf("\n");
}

int fit(const std::string& path) {
    const DecodedMusic decoded = decodeMusicFile(path);
    if (!decoded.ok) {
        std::fprintf(stderr, "show-schedule: %s: %s\n", path.c_str(), decoded.error.c_str());
        return 1;
    }
    const BeatGrid grid = findBeats(decoded.samples.data(), decoded.samples.size(), decoded.sampleRate);
    if (!grid.found()) {
        std::fprintf(stderr, "show-schedule: %s: no beat found in the music\n", path.c_str());
        return 1;
    }
    MusicBeats music;
    music.music = path.substr(path.find_last_of('/') + 1);
    music.seconds = decoded.seconds();
    music.beats = grid.beats;
    music.firstDownbeat = grid.firstDownbeat;
    music.beatsPerBar = grid.beatsPerBar;
    const FittedTiming fitted = fitTiming(music);
    if (!fitted.ok) {
        std::fprintf(stderr, "show-schedule: %s: %s\n", path.c_str(), fitted.error.c_str());
        return 1;
    }
    std::printf("%s", formatTiming(fitted.timing).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--fit") return fit(argv[2]);
    const bool timing = argc == 2 && std::string(argv[1]) == "--timing";
    if (argc != 1 && !timing) {
        std::fprintf(stderr, "usage: show-schedule [--timing]\n");
        return 2;
    }
    if (timing) {
        std::printf("%s", formatTiming(builtInTiming()).c_str());
        return 0;
    }
    std::printf("picture-size %d %d\n", kPictureWidth, kPictureHeight);
    std::printf("canvas-max-side %d\n", kMaxCanvasSide);
    std::printf("show-end %.10g\n", schedule::kShowEnd);
    std::printf("segment-bounds");
    for (double bound : schedule::kSegmentBounds) std::printf(" %.10g", bound);
    std::printf("\n");
    std::printf("sheet-fps %d\n", schedule::kSheetFramesPerSecond);
    std::printf("frame-grid-fps %d\n", kFrameGridFps);
    std::printf("sync-tolerance %.10g\n", schedule::kSyncTolerance);
    std::printf("sync-marks-max %d\n", kMaxSyncMarks);
    std::printf("sync-file-max-bytes %zu\n", kMaxSyncFileBytes);
    std::printf("timing-file-max-bytes %zu\n", kMaxTimingFileBytes);
    printMoments("segment-moments", schedule::kSegmentMoments, std::size(schedule::kSegmentMoments));
    std::printf("segment-4-styles %.10g %.10g %.10g %.10g\n", schedule::segmentStart(4), schedule::kStripesFrom,
                schedule::kWavesFrom, schedule::segmentEnd(4));
    printMoments("outline-moments", schedule::kOutlineMoments, std::size(schedule::kOutlineMoments));
    std::printf("window-title %s\n", kWindowTitle);
    return 0;
}
