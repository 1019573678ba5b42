// The conversion run shared by both directions: each direction supplies only its per-line step.
#pragma once

#include "convert.h"
#include "maplines.h"

// What a rule set did with one line.
enum class LineAction { FaceRewritten, LightRewritten, Dropped, Copied };

// A direction's per-line step and the fields it carries from line to line.
struct RuleSet {
    LineAction (*step)(const MapLine& line, MapOutput& output, void* state);
    void* state;
};

// Opens both files, counts the input's lines, then hands each line, its leading spaces
// removed, to the rule set while reporting progress. Returns a result code.
int RunConversion(const char* inputPath, const char* outputPath, ProgressTarget target, RuleSet rules,
                  ConvertStats* stats);

// The run with a direction's per-line step and a fresh State, whose fields start at zero.
template <typename State, LineAction (*Line)(const MapLine&, MapOutput&, State&)>
int RunRules(const char* inputPath, const char* outputPath, ProgressTarget target, ConvertStats* stats) {
    State state{};
    auto step = [](const MapLine& line, MapOutput& output, void* fields) {
        return Line(line, output, *static_cast<State*>(fields));
    };
    return RunConversion(inputPath, outputPath, target, RuleSet{step, &state}, stats);
}
