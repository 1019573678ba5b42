// Half-Life map text to Quake 3 map text.
#pragma once

#include "rules.h"
#include "run.h"

#include <cstdint>

// The fields of the rule set, carried over from line to line of one run. A line that fits
// its template only in part leaves the fields after that place as the last line left them.
struct HlToQ3State {
    FacePoints points;
    float uOffset; // the texture axes before each offset are read past: no rule writes them
    float vOffset;
    float rotation;
    float uScale;
    float vScale;
    std::int32_t red;
    std::int32_t green;
    std::int32_t blue;
    std::int32_t brightness;
};

LineAction HlToQ3Line(const MapLine& line, MapOutput& output, HlToQ3State& state);
