#pragma once

// The show's schedule: when each segment runs and what it shows, the moments
// inside segments where the picture changes, the moments that the contact
// sheet, the benchmark and the page's tests sample, the files the show
// reads, and the beat grid that the music is built on. Plain constants, no
// OpenGL and no I/O: the timeline, the scene table, the show, the capture
// tool, the content generator and the tests all read them here, so that a
// segment retimed here moves the music and the content with it. Scripts and
// the page's tests read them from build/show-schedule.

namespace schedule {

constexpr int kSegmentCount = 18;

// The bounds of the segments' windows in seconds of demo time: segment s
// runs between kSegmentBounds[s - 1] and kSegmentBounds[s], both excluded.
// Adjacent windows share their bounds; the first has no lower bound, and
// the show ends at the first frame past the last.
constexpr double kSegmentBounds[kSegmentCount + 1] = {
    0.0,    5.0,    9.6,    14.4,   43.24,  52.81,  62.41,  72.0,   81.57,  91.16,
    97.16,  100.16, 103.16, 106.16, 109.16, 112.16, 115.16, 118.16, 121.16,
};

constexpr double segmentStart(int segment) { return kSegmentBounds[segment - 1]; }
constexpr double segmentEnd(int segment) { return kSegmentBounds[segment]; }
constexpr double kShowEnd = kSegmentBounds[kSegmentCount];

// The show's scenes, in the order in which they are loaded.
enum class SceneId : int {
    Test,
    Zentrik,
    Quickbite,
    Direradeduziv,
    Velmora,
    Tornvik,
    Radidar,
    Zengreet,
    Portal,
    Slutt,
    Ranko,
    Test2,
    Torus2,
    Torus2Underscore,
    Sphere,
};

constexpr int kSceneCount = 15;

// The folder of the scenes and textures. The place that holds it is the
// show's data folder (shell/data_places.h), from which every file name below
// is read.
constexpr const char* kDataFolder = "demodata";

// The file of each scene, relative to the show's data folder.
constexpr const char* kSceneFiles[kSceneCount] = {
    "demodata/test.3ds",      "demodata/zentrik.3ds",  "demodata/quickbite.3ds", "demodata/direradeduziv.3ds",
    "demodata/velmora.3ds",   "demodata/tornvik.3ds",  "demodata/radidar.3ds",   "demodata/zengreet.3ds",
    "demodata/portal.3ds",    "demodata/slutt.3ds",    "demodata/ranko.3ds",     "demodata/test2.3ds",
    "demodata/torus2.3ds",    "demodata/torus2_.3ds",  "demodata/sphere.3ds",
};

constexpr const char* sceneFile(SceneId scene) { return kSceneFiles[int(scene)]; }

// The music, in the show's data folder beside kDataFolder.
constexpr const char* kMusicFile = "dj ranko - quickbite.mp3";

// The texture of the titles' material, relative to the show's data folder.
constexpr const char* kTilesTexture = "demodata/tiles.jpg";

// The camera flights: the segment and the title scene it flies past. A
// flight starts where its segment's window begins; the eye leaves camera
// 0's stored position along +x at kFlightSpeed units a second, looking at
// its stored target through a lens of kFlightFieldOfView degrees.
struct Flight {
    int segment;
    SceneId scene;
};

constexpr Flight kFlights[] = {
    {2, SceneId::Zentrik},  {3, SceneId::Ranko},    {10, SceneId::Quickbite}, {11, SceneId::Direradeduziv},
    {12, SceneId::Velmora}, {13, SceneId::Tornvik}, {14, SceneId::Radidar},   {15, SceneId::Zengreet},
    {16, SceneId::Portal},  {17, SceneId::Tornvik}, {18, SceneId::Radidar},
};

// The other segments draw an object: its scene, dressed in the materials
// of materials (test2.3ds wears test.3ds's).
struct ObjectSegment {
    int segment;
    SceneId scene;
    SceneId materials;
};

constexpr ObjectSegment kObjectSegments[] = {
    {1, SceneId::Test, SceneId::Test},     {4, SceneId::Test, SceneId::Test},
    {5, SceneId::Test2, SceneId::Test},    {6, SceneId::Sphere, SceneId::Sphere},
    {7, SceneId::Sphere, SceneId::Sphere}, {8, SceneId::Torus2Underscore, SceneId::Torus2Underscore},
    {9, SceneId::Torus2, SceneId::Torus2},
};

// What segment 1 to 18 draws: a flight's title scene (its own materials)
// or an object segment's scene and materials.
constexpr ObjectSegment segmentScenes(int segment) {
    for (const Flight& flight : kFlights)
        if (flight.segment == segment) return ObjectSegment{segment, flight.scene, flight.scene};
    for (const ObjectSegment& object : kObjectSegments)
        if (object.segment == segment) return object;
    return ObjectSegment{segment, SceneId::Test, SceneId::Test};
}

constexpr double kFlightSpeed = 100.0;
constexpr float kFlightFieldOfView = 70.0f;

// The longest flight past a scene, in seconds; 0 for a scene never flown past.
constexpr double longestFlight(SceneId scene) {
    double longest = 0.0;
    for (const Flight& flight : kFlights) {
        const double length = segmentEnd(flight.segment) - segmentStart(flight.segment);
        if (flight.scene == scene && length > longest) longest = length;
    }
    return longest;
}

struct Window {
    double begin;
    double end;
};

// The opening object, seen again in segment 4, flashes wider in these six
// beats of the music, in pairs a quaver apart.
constexpr Window kFlashes[6] = {
    {15.48, 15.68}, {15.8, 16.0}, {17.88, 18.08}, {18.18, 18.38}, {20.3, 20.5}, {20.58, 20.78},
};

// Segment 4 draws outlines until kStripesFrom and black and white stripes
// after it; from kWavesFrom on the stripes move in waves.
constexpr double kStripesFrom = 21.0;
constexpr double kWavesFrom = 23.6;

// Segment 5's field of view pulses from kPulseFrom on.
constexpr double kPulseFrom = 47.96;

// A telling moment in each segment's window, in the order of the segments,
// on the grid of kSheetFramesPerSecond: the contact sheet
// (scripts/contact-sheet) draws the show at that rate and shows the frames
// at these times, and the page's tests hold the page's frames at them
// against orvel-capture's.
constexpr int kSheetFramesPerSecond = 10;
constexpr double kSegmentMoments[kSegmentCount] = {
    2.5, 7.0, 12.0, 30.0, 50.0, 57.6, 67.2, 76.8, 86.8, 93.0, 98.0, 101.0, 104.0, 107.0, 110.0, 113.7, 116.0, 119.0,
};

// Segment 4 draws in three styles, so it has a moment in each: outlines
// (before kStripesFrom), stripes (before kWavesFrom) and stripes in waves,
// the last being the segment's moment above.
constexpr double kSegment4StyleMoments[3] = {17.0, 22.0, kSegmentMoments[3]};

// Two moments of segment 4's outlines: in its first flash, when they are
// drawn wider, and between flashes.
constexpr double kOutlineMoments[2] = {15.6, kSegment4StyleMoments[0]};

// Sound and picture are together when at most this far apart: every change
// of the picture above has its hit in the music this close, and the show
// starts its clock when the music is heard, not when it is started, once
// the sound output's latency is longer than this.
constexpr double kSyncTolerance = 0.020;

// The music's beat grid: beat `beat` falls at `seconds`. Between two
// anchors the tempo is constant and each stretch holds whole bars, so every
// segment bound falls on a bar line: the opening's two bars up to the first
// title, then bars of four beats up to segment 10, then the closing titles
// in bars of five beats, two bars of three seconds each for segment 10 and
// one for each segment after it. The last anchor carries that tempo on
// past the end, where the music fades out.
struct TempoAnchor {
    double beat;
    double seconds;
};

constexpr double kClosingBarSeconds = 3.0;

constexpr TempoAnchor kTempoAnchors[] = {
    {-8, kSegmentBounds[0]},  {0, kSegmentBounds[1]},   {8, kSegmentBounds[2]},
    {16, kSegmentBounds[3]},  {64, kSegmentBounds[4]},  {80, kSegmentBounds[5]},
    {96, kSegmentBounds[6]},  {112, kSegmentBounds[7]}, {128, kSegmentBounds[8]},
    {144, kSegmentBounds[9]}, {194, kShowEnd},          {204, kShowEnd + 2.0 * kClosingBarSeconds},
};

}  // namespace schedule
