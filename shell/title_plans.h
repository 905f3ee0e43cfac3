#pragma once

#include "shell/schedule.h"
#include "titles/title_scene.h"

// The built-in titles: the word of each title scene and how it stands. The
// generator writes them; a timing's words for a segment take the look of the
// title that the segment flies past.
struct TitlePlan {
    schedule::SceneId scene;
    const char* word;
    TitleStyle style;
};

constexpr TitlePlan kTitlePlans[] = {
    {schedule::SceneId::Zentrik, "ZENTRIK", {TitleLayout::Row, 8.0f, true}},
    {schedule::SceneId::Quickbite, "QUICKBITE", {TitleLayout::Stair, 6.0f, false}},
    {schedule::SceneId::Direradeduziv, "DIRERADEDUZIV", {TitleLayout::Row, 0.0f, true}},
    {schedule::SceneId::Velmora, "VELMORA", {TitleLayout::Wave, 12.0f, false}},
    {schedule::SceneId::Tornvik, "TORNVIK", {TitleLayout::Stair, -6.0f, false}},
    {schedule::SceneId::Radidar, "RADIDAR", {TitleLayout::Wave, -10.0f, true}},
    {schedule::SceneId::Zengreet, "ZENGREET", {TitleLayout::Row, 15.0f, true}},
    {schedule::SceneId::Slutt, "SLUTT", {TitleLayout::Row, 0.0f, false}},
    {schedule::SceneId::Ranko, "RANKO", {TitleLayout::Wave, -8.0f, false}},
};

// The lens of every flight.
constexpr FlightLens kFlightLens{float(schedule::kFlightSpeed), schedule::kFlightFieldOfView};

// The look of the title that segment flies past; a plain row, seen from the
// front, for a segment whose scene has no plan (the gates of segment 16).
constexpr TitleStyle titleStyleOf(int segment) {
    for (const TitlePlan& plan : kTitlePlans)
        if (plan.scene == schedule::segmentScenes(segment).scene) return plan.style;
    return TitleStyle{TitleLayout::Row, 0.0f, false};
}

// Whether segment flies past a title (2, 3, 10 to 18), so that words may
// replace it.
constexpr bool isTitleSegment(int segment) {
    for (const schedule::Flight& flight : schedule::kFlights)
        if (flight.segment == segment) return true;
    return false;
}
