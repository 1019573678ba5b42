#include "q3_to_hl.h"

namespace {

void RewriteFace(const MapLine& line, MapOutput& output, Q3ToHlState& s) {
    FacePoints& p = s.points;
    float* n = s.number;
    ScanMapLine(line, kQ3FaceIn,
                {&p.p1[0], &p.p1[1], &p.p1[2], &p.p2[0], &p.p2[1], &p.p2[2], &p.p3[0], &p.p3[1], &p.p3[2],
                 kUnusedNumber, kUnusedNumber, kUnusedNumber, &n[4], &n[5], &n[6], &n[7], &n[8]});
    // Numbers 4 to 8 carry the Half-Life offsets, rotation and scales: the places where the
    // other direction writes them. Numbers 1 to 3 are read and dropped.
    WriteMapLine(output, kHlFaceOut,
                 {p.p1[0], p.p1[1], p.p1[2], p.p2[0], p.p2[1], p.p2[2], p.p3[0], p.p3[1], p.p3[2], n[4], n[5],
                  n[6], n[7], n[8]});
}

void RewriteLight(const MapLine& line, MapOutput& output, Q3ToHlState& s) {
    // The written "light" line is also the template that reads one.
    ScanMapLine(line, kQ3LightOut, {&s.light});
    WriteMapLine(output, kHlLightOut, {s.light});
}

} // namespace

// Keys are told by their first letters from position 1, so "radi" also takes "radius2" and
// "light" also takes "lightJunior", which then writes the light value held from before.
LineAction Q3ToHlLine(const MapLine& line, MapOutput& output, Q3ToHlState& state) {
    if (IsFaceLine(line)) {
        RewriteFace(line, output, state);
        return LineAction::FaceRewritten;
    }
    if (LettersAt(line, 1, "radi") || LettersAt(line, 1, "_col"))
        return LineAction::Dropped;
    if (LettersAt(line, 1, "light")) {
        RewriteLight(line, output, state);
        return LineAction::LightRewritten;
    }
    WriteMapLine(output, kCopyLine, {line});
    return LineAction::Copied;
}

int ConvertQ3ToHl(const char* inputPath, const char* outputPath, ProgressTarget target, ConvertStats* stats) {
    return RunRules<Q3ToHlState, Q3ToHlLine>(inputPath, outputPath, target, stats);
}
