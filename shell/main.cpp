// The show: a GLUT window that plays the timeline in step with the music.

#include <GL/glut.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "desktop/build_info.h"
#include "desktop/desktop.h"
#include "shell/audio.h"
#include "shell/data_places.h"
#include "shell/framing.h"
#include "shell/schedule.h"
#include "shell/show_runner.h"
#include "shell/sync_file.h"
#include "shell/window_title.h"

namespace {

const char* const kProgram = "orvel";
const char* const kSyncFile = "sync.txt";
const char* const kUsage =
    "usage: orvel [--version | --help] [GLUT's X options, such as -display DISPLAY]\n"
    "Plays the show full screen. END records a sync mark; ESC ends the show and writes sync.txt\n"
    "into the directory it was started in.";

ShowRunner show;
// sync.txt in the directory the show was started in, wherever its data lies;
// "" when that directory was gone already.
std::string syncPath;

[[noreturn]] void fail(const std::string& message) {
    desktop::reportFailure(kProgram, message);
    std::exit(1);
}

// Handles the show's own options; GLUT takes its X options (-display,
// -geometry, ...) later. Returns the exit code when the program ends here.
bool handleOptions(int argc, char** argv, int* exitCode) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--version") {
            std::printf("orvel %s\n", build_info::kVersion);
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
void enterDataFolder(const char* argv0) {
    std::error_code unknown;
    const std::filesystem::path started = std::filesystem::current_path(unknown);
    const std::string error = enterFirstDataPlace(
        dataPlaces(started.string(), desktop::programFolder(argv0), build_info::kInstalledDataFolder));
    if (!error.empty()) fail(error);
    if (!started.empty()) syncPath = (started / kSyncFile).string();
}

// The window's fixed state, the shade table and the scenes, in that order.
void startShow() {
    for (const std::string& failure : show.start()) std::fprintf(stderr, "orvel: cannot load %s\n", failure.c_str());
}

void initDemo() {

    std::string error;
    if (!audio::checkVersion(&error)) fail(error);
    if (!audio::open(&error)) {
        audio::release();
        fail(error + "; SDL_AUDIODRIVER=dummy runs the show without sound");
    }
    // Without the music file the show runs silent.
    audio::loadMusic(schedule::kMusicFile);
    audio::play();

    // Demo time 0 is the moment the music's first sample is heard.
    show.startClock(audio::outputLatency());
}

void endShow() {
    show.stop();
    audio::release();
}

void onDisplay() {
    if (show.displayFrame() == FrameResult::Ended) {
        endShow();
        std::exit(0);
    }
    glutSwapBuffers();
}

void onIdle() { glutPostRedisplay(); }

void onReshape(int width, int height) { show.reshape(width, height); }

void onKeyboard(unsigned char key, int, int) {
    if (key != kKeyEscape) return;
    endShow();
    std::string error;
    if (syncPath.empty()) fail(std::string("cannot write ") + kSyncFile + ": the directory the show started in is gone");
    if (!writeSyncFile(syncPath.c_str(), show.state(), &error)) fail("cannot write " + syncPath + ": " + error);
    std::exit(0);
}

void onSpecialKey(int key, int, int) { applySpecialKey(show.state(), key); }

void onMenu(int value) { applyMenuChoice(show.state(), value); }

void createRenderModeMenu() {
    glutCreateMenu(onMenu);
    for (const MenuEntry& entry : kRenderModeMenu) glutAddMenuEntry(entry.label, entry.value);
    glutAttachMenu(GLUT_RIGHT_BUTTON);
}

}  // namespace

int main(int argc, char** argv) {
    int exitCode = 0;
    if (handleOptions(argc, argv, &exitCode)) return exitCode;
    enterDataFolder(argv[0]);
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
    createRenderModeMenu();
    glutFullScreen();
    glutMainLoop();
    return 0;
}
