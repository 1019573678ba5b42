#include "hl_to_q3.h"

namespace {

// The single nearest 1/255 (bit pattern 0x3B808081): a little above it, so 255 gives
// 1.0000000591..., which six decimals show as 1.000000.
constexpr float kColourFactor = 0x1.010102p-8f;

void RewriteFace(const MapLine& line, MapOutput& output, HlToQ3State& s) {
    FacePoints& p = s.points;
    ScanMapLine(line, kHlFaceIn, {&p.p1[0],      &p.p1[1],      &p.p1[2],    &p.p2[0],      &p.p2[1],
                                  &p.p2[2],      &p.p3[0],      &p.p3[1],    &p.p3[2],      kUnusedNumber,
                                  kUnusedNumber, kUnusedNumber, &s.uOffset,  kUnusedNumber, kUnusedNumber,
                                  kUnusedNumber, &s.vOffset,    &s.rotation, &s.uScale,     &s.vScale});
    // The five texture values go to numbers 4 to 8, after a fixed "0 0 0", so that the way
    // back reads them from the same places.
    WriteMapLine(output, kQ3FaceOut,
                 {p.p1[0], p.p1[1], p.p1[2], p.p2[0], p.p2[1], p.p2[2], p.p3[0], p.p3[1], p.p3[2], s.uOffset,
                  s.vOffset, s.rotation, s.uScale, s.vScale});
}

double Colour(std::int32_t component) {
    return static_cast<double>(component) * static_cast<double>(kColourFactor);
}

void RewriteLight(const MapLine& line, MapOutput& output, HlToQ3State& s) {
    ScanMapLine(line, kHlLightIn, {&s.red, &s.green, &s.blue, &s.brightness});
    WriteMapLine(output, kQ3LightOut, {s.brightness});
    WriteMapLine(output, kQ3ColorOut, {Colour(s.red), Colour(s.green), Colour(s.blue)});
    WriteMapLine(output, kQ3RadiusOut, {s.brightness});
}

} // namespace

// Keys are told by their first letters from position 1 (position 0 is the key's opening
// quote and is not looked at), so each rule also takes every longer key that starts the
// same way: "wad" takes "wadinclude", "_light" takes "_lighting".
LineAction HlToQ3Line(const MapLine& line, MapOutput& output, HlToQ3State& state) {
    if (IsFaceLine(line)) {
        RewriteFace(line, output, state);
        return LineAction::FaceRewritten;
    }
    if (LettersAt(line, 1, "wad") || LettersAt(line, 1, "mapv") || LettersAt(line, 1, "MaxR") ||
        LettersAt(line, 1, "sky"))
        return LineAction::Dropped;
    if (LettersAt(line, 1, "_light")) {
        RewriteLight(line, output, state);
        return LineAction::LightRewritten;
    }
    WriteMapLine(output, kCopyLine, {line});
    return LineAction::Copied;
}

int ConvertHlToQ3(const char* inputPath, const char* outputPath, ProgressTarget target, ConvertStats* stats) {
    return RunRules<HlToQ3State, HlToQ3Line>(inputPath, outputPath, target, stats);
}
