// Helpers the rule sets of both directions share.
#pragma once

#include "maplines.h"

#include <cstddef>

// True when the line holds `letters` from position `at` on. A position beyond the line's end
// matches nothing, so the test never looks past it.
inline bool LettersAt(const MapLine& line, std::size_t at, const char* letters) {
    for (; *letters; ++letters, ++at) {
        if (at >= line.length || line.text[at] != *letters)
            return false;
    }
    return true;
}

// A face line: the line's first character, after its leading spaces, is "(".
inline bool IsFaceLine(const MapLine& line) {
    return LettersAt(line, 0, "(");
}

// The first three points of a face line, as both dialects write them.
struct FacePoints {
    float p1[3];
    float p2[3];
    float p3[3];
};
