// Quake 3 map text to Half-Life map text.
#pragma once

#include "rules.h"
#include "run.h"

#include <cstdint>

// The fields of the rule set, carried over from line to line of one run.
struct Q3ToHlState {
    FacePoints points;
    float number[8]; // the eight numbers after the texture name, in line order
    std::int32_t light;
};

LineAction Q3ToHlLine(const MapLine& line, MapOutput& output, Q3ToHlState& state);
