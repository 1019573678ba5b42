// Quake 3 map text to Half-Life map text.
#pragma once

#include "rules.h"
#include "run.h"

#include <cstdint>

// The fields of the rule set, carried over from line to line of one run.
struct Q3ToHlState {
    FacePoints points;
    // Numbers 4 to 8 after the texture name, as number[4] to number[8]. Numbers 1 to 3 are
    // read past: no rule writes them.
    float number[9];
    std::int32_t light;
};

LineAction Q3ToHlLine(const MapLine& line, MapOutput& output, Q3ToHlState& state);
