// The show: a GLUT window that plays the timeline in step with the music.

#include <GL/glut.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/audio.h"
#include "shell/framing.h"
#include "shell/schedule.h"
#include "shell/show_runner.h"
#include "shell/sync_file.h"

namespace {

const char* const kWindowTitle = "orvel zivuvaruro v1.0b";
const char* const kSyncFile = "sync.txt";

ShowRunner show;

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "orvel: %s\n", message.c_str());
    std::exit(1);
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
    if (!writeSyncFile(kSyncFile, show.state(), &error)) fail(std::string("cannot write ") + kSyncFile + ": " + error);
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
