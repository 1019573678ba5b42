#include "run.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <system_error>

namespace {

// True when the file at `path` opens for reading.
bool Opens(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

// True when the output path may name the input file itself, by whatever path: opening it for
// writing would cut the input to nothing before it is read. The paths go to the C library as
// they are, but the comparison needs them converted to the file system's own names. Where a
// name does not convert faithfully (a file opens, yet its converted name finds nothing, as with
// a code page the conversion does not know), only an output that does not open for reading is
// surely not the input, which has just opened.
bool MayBeSameFile(const char* inputPath, const char* outputPath) {
    try {
        const std::filesystem::path input(inputPath), output(outputPath);
        std::error_code error;
        if (std::filesystem::equivalent(input, output, error))
            return true;
        if (std::filesystem::exists(input, error) && std::filesystem::exists(output, error))
            return false;
    } catch (const std::exception&) {
        // A name that does not convert at all: decided as one that converts unfaithfully.
    }
    return Opens(outputPath);
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
    if (MayBeSameFile(inputPath, outputPath))
        return Fail(CONVERT_SAME_FILE, input, nullptr);
    // Counting first means an input that cannot be read (a folder, a failing disk) is found
    // before the output is opened, which would cut an existing output to nothing.
    unsigned long long total = 0;
    if (!CountLines(*input, total))
        return Fail(CONVERT_READ_FAILED, input, nullptr);
    MapOutput* output = OpenMapOutput(outputPath);
    if (!output)
        return Fail(CONVERT_NO_OUTPUT, input, nullptr);
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
    // A second pass that sees other lines than the first (a pipe read twice, or a file changed
    // in between) has not converted the input that was counted: report it, never success.
    bool readFailed = input->failed || (!output->failed && tally.linesRead != total);
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
