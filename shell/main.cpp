// The show: a GLUT window that plays the timeline in step with the music.

#include <GL/glut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "shell/audio.h"
#include "shell/frame_log.h"
#include "shell/framing.h"
#include "shell/program_start.h"
#include "shell/show_runner.h"
#include "shell/sync_file.h"
#include "shell/window_title.h"

namespace {

const char* const kProgram = "orvel";
const char* const kSyncFile = "sync.txt";
const char* const kUsage =
    "usage: orvel [--version | --help] [--calm] [--timing FILE] [GLUT's X options, such as -display DISPLAY]\n"
    "Plays the show full screen. END records a sync mark; ESC ends the show and writes sync.txt\n"
    "into the directory it was started in. --calm plays the calm show: no more than three flashes\n"
    "a second and no harmful patterns (the right-button menu turns it on and off too). --timing FILE\n"
    "plays the show's times from FILE instead of timing.txt in its data folder (or, without one, its own).";

ShowRunner show;
// sync.txt in the directory the show was started in, wherever its data lies;
// "" when that directory was gone already.
std::string syncPath;
// The timing file of --timing, "" for none.
std::string timingPath;
FrameLog frameLog;

[[noreturn]] void fail(const std::string& message) { std::exit(failure(kProgram, message)); }

// Handles the show's own options, taking them out of argv; GLUT takes its X
// options (-display, -geometry, ...) later. Returns the exit code when the
// program ends here.
bool handleOptions(int& argc, char** argv, int* exitCode) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--calm") {
            show.state().calm = true;
            std::copy(argv + i + 1, argv + argc + 1, argv + i);
            --argc;
            --i;
            continue;
        }
        if (argument == "--timing") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                std::fprintf(stderr, "orvel: --timing needs a file\n%s\n", kUsage);
                *exitCode = 2;
                return true;
            }
            timingPath = argv[i + 1];
            std::copy(argv + i + 2, argv + argc + 1, argv + i);
            argc -= 2;
            --i;
            continue;
        }
        if (argument == "--version") {
            printVersion(kProgram);
            *exitCode = 0;
            return true;
        }
        if (argument == "--help") {
            std::printf("%s\n", kUsage);
            *exitCode = 0;
            return true;
        }
        if (argument.rfind("--", 0) == 0) {
            std::fprintf(stderr, "orvel: unknown option %s\n%s\n", argument.c_str(), kUsage);
            *exitCode = 2;
            return true;
        }
    }
    return false;
}

// Finds the data before any window opens, and makes its place the working
// directory.
void enterData(const char* argv0) {
    const std::string started = startedDirectory();
    const std::string error = findData(started, kProgram, argv0, {{"--timing", &timingPath}});
    if (!error.empty()) fail(error);
    if (!started.empty()) syncPath = (std::filesystem::path(started) / kSyncFile).string();
}

// The show's times, read before any window: a timing that cannot be played
// ends the program with a message naming its file.
void loadTiming() {
    const TimingRead timing = loadShowTiming(timingPath);
    if (!timing.ok) fail(timing.error);
    show.setTiming(timing.timing);
}

// The window's fixed state, the shade table and the scenes, in that order.
void startShow() {
    const std::vector<std::string> failures = show.start();
    // A scene that the timing names and that cannot be drawn ends the show:
    // its author is told, not shown a black segment.
    if (!show.segmentSceneFailures().empty()) fail("cannot load " + show.segmentSceneFailures().front());
    for (const std::string& failure : failures) std::fprintf(stderr, "orvel: cannot load %s\n", failure.c_str());
}

void initDemo() {
    std::string error;
    if (!audio::checkVersion(&error)) fail(error);
    if (!audio::open(&error)) {
        audio::release();
        fail(error + "; SDL_AUDIODRIVER=dummy runs the show without sound");
    }
    // Without its music (the built-in timing's, where no timing file names
    // it) the show runs silent; music that is there but cannot be played is
    // said, as it is the one the person chose.
    const std::string& music = show.timing().music;
    if (!audio::loadMusic(music.c_str(), &error) && std::filesystem::exists(music))
        std::fprintf(stderr, "orvel: cannot play the music \"%s\" (%s), so the show runs silent\n", music.c_str(),
                     error.c_str());
    audio::play();

    // Demo time 0 is the moment the music's first sample is heard.
    show.startClock(audio::outputLatency());
}

void endShow() {
    show.stop();
    audio::release();
}

void onDisplay() {
    const float drawnAt = show.state().demoTime;
    if (show.displayFrame() == FrameResult::Ended) {
        endShow();
        std::exit(0);
    }
    glutSwapBuffers();
    frameLog.shown(drawnAt, show.clockSeconds());
}

void onIdle() { glutPostRedisplay(); }

void onReshape(int width, int height) { show.reshape(width, height); }

void onKeyboard(unsigned char key, int, int) {
    if (key != kKeyEscape) return;
    endShow();
    std::string error;
    if (syncPath.empty())
        fail(std::string("cannot write ") + kSyncFile + ": the directory the show started in is gone");
    if (!writeSyncFile(syncPath.c_str(), show.state(), &error)) fail("cannot write " + syncPath + ": " + error);
    std::exit(0);
}

void onSpecialKey(int key, int, int) { applySpecialKey(show.state(), key, show.timing().end()); }

void onMenu(int value) {
    applyMenuChoice(show.state(), value);
    // GLUT numbers a menu's entries from 1: the calm entry follows the modes.
    if (value == kMenuCalm)
        glutChangeToMenuEntry(int(kRenderModeMenu.size()) + 1, calmMenuLabel(show.state().calm), kMenuCalm);
}

void createMenu() {
    glutCreateMenu(onMenu);
    for (const MenuEntry& entry : kRenderModeMenu) glutAddMenuEntry(entry.label, entry.value);
    glutAddMenuEntry(calmMenuLabel(show.state().calm), kMenuCalm);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

}  // namespace

int main(int argc, char** argv) {
    int exitCode = 0;
    if (handleOptions(argc, argv, &exitCode)) return exitCode;
    enterData(argv[0]);
    loadTiming();
    std::string error;
    if (!frameLog.openFromEnvironment(&error)) fail(error);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowPosition(-1, -1);
    glutInitWindowSize(kPictureWidth, kPictureHeight);
    // The window first: textures need its context while the scenes load.
    glutCreateWindow(kWindowTitle);
    startShow();
    initDemo();
    glutDisplayFunc(onDisplay);
    glutIdleFunc(onIdle);
    glutReshapeFunc(onReshape);
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecialKey);
    createMenu();
    glutFullScreen();
    glutMainLoop();
    return 0;
}
