#include "run.h"

#include <filesystem>
#include <system_error>

namespace {

// True when the output path names the input file itself, by whatever path: opening it for
// writing would cut the input to nothing before it is read.
bool IsSameFile(const char* inputPath, const char* outputPath) {
    std::error_code error;
    return std::filesystem::equivalent(inputPath, outputPath, error) && !error;
}

void Report(ProgressTarget target, int position) {
    if (target.setPosition)
        target.setPosition(target.context, position);
}

// First pass: the number of lines the second pass will see.
bool CountLines(MapInput& input, unsigned long long& count) {
    count = CountMapLines(input);
    return !input.failed;
}

void Tally(ConvertStats& stats, LineAction action) {
    switch (action) {
    case LineAction::FaceRewritten:
        ++stats.facesRewritten;
        break;
    case LineAction::LightRewritten:
        ++stats.lightsRewritten;
        break;
    case LineAction::Dropped:
        ++stats.linesDropped;
        break;
    case LineAction::Copied:
        ++stats.linesCopied;
        break;
    }
}

int Fail(int result, MapInput* input, MapOutput* output) {
    if (input)
        CloseMapFile(input);
    if (output)
        CloseMapFile(output);
    return result;
}

} // namespace

int ProgressPosition(unsigned long long processed, unsigned long long total) {
    if (processed >= total)
        return 100;
    return static_cast<int>(processed * 100 / total);
}

int RunConversion(const char* inputPath, const char* outputPath, ProgressTarget target, RuleSet rules,
                  ConvertStats* stats) {
    ConvertStats tally{};
    Report(target, 0);

    MapInput* input = OpenMapInput(inputPath);
    if (!input)
        return CONVERT_NO_INPUT;
    if (IsSameFile(inputPath, outputPath))
        return Fail(CONVERT_SAME_FILE, input, nullptr);
    MapOutput* output = OpenMapOutput(outputPath);
    if (!output)
        return Fail(CONVERT_NO_OUTPUT, input, nullptr);

    unsigned long long total = 0;
    if (!CountLines(*input, total))
        return Fail(CONVERT_READ_FAILED, input, output);
    CloseMapFile(input);
    input = OpenMapInput(inputPath);
    if (!input)
        return Fail(CONVERT_NO_INPUT, nullptr, output);

    int position = 0;
    MapLine line;
    while (!output->failed && ReadMapLine(*input, line)) {
        StripLeadingSpaces(line);
        Tally(tally, rules.step(line, *output, rules.state));
        ++tally.linesRead;
        int next = ProgressPosition(tally.linesRead, total);
        if (next != position) {
            position = next;
            Report(target, position);
        }
    }
    bool readFailed = input->failed;
    CloseMapFile(input);
    bool written = CloseMapFile(output);
    if (stats)
        *stats = tally;
    if (!written)
        return CONVERT_WRITE_FAILED;
    if (readFailed)
        return CONVERT_READ_FAILED;
    return CONVERT_OK;
}
