// korvale: converts map text between the Half-Life and Quake 3 dialects from the command line.
#include "convert.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

const char kUsage[] = "usage: korvale [--quiet | --verbose] (to-q3 | to-hl) INPUT OUTPUT\n";

const char kHelp[] =
    "Converts level-editor map text between Half-Life and Quake 3.\n"
    "\n"
    "commands:\n"
    "  to-q3 INPUT OUTPUT   Half-Life map (Valve 220 faces) to Quake 3 map\n"
    "  to-hl INPUT OUTPUT   Quake 3 map to Half-Life map\n"
    "\n"
    "options:\n"
    "  -q, --quiet     no progress bar and no summary\n"
    "  -v, --verbose   print the summary line even when output is not a terminal\n"
    "  -h, --help      show this help\n"
    "      --version   show the version\n"
    "\n"
    "OUTPUT is created, or replaced if it exists. A progress bar is drawn on stderr while it\n"
    "is a terminal. Exit status: 0 on success, 1 when the conversion fails, 2 on a usage error.\n";

enum class Direction { None, HlToQ3, Q3ToHl };

struct Options {
    Direction direction = Direction::None;
    const char* input = nullptr;
    const char* output = nullptr;
    bool quiet = false;
    bool verbose = false;
};

// A bar on stderr that redraws itself in place.
struct ProgressBar {
    bool drawn = false;
};

void DrawProgress(void* context, int position) {
    constexpr int kWidth = 40;
    int filled = position * kWidth / 100;
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i)
        bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\rconverting [%s] %3d%%", bar, position);
    std::fflush(stderr);
    static_cast<ProgressBar*>(context)->drawn = true;
}

int UsageError(const char* problem) {
    std::fprintf(stderr, "korvale: %s\n%s", problem, kUsage);
    return 2;
}

// Returns -1 when the arguments are good, or the exit status to leave with.
int ParseArguments(int argc, char** argv, Options& options) {
    const char* operands[3];
    int count = 0;
    bool onlyOperands = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!onlyOperands && arg[0] == '-' && arg[1] != '\0') {
            if (std::strcmp(arg, "--") == 0) {
                onlyOperands = true;
            } else if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
                std::fputs(kUsage, stdout);
                std::fputs(kHelp, stdout);
                return 0;
            } else if (std::strcmp(arg, "--version") == 0) {
                std::printf("korvale %s\n", KORVALE_VERSION);
                return 0;
            } else if (std::strcmp(arg, "-q") == 0 || std::strcmp(arg, "--quiet") == 0) {
                options.quiet = true;
            } else if (std::strcmp(arg, "-v") == 0 || std::strcmp(arg, "--verbose") == 0) {
                options.verbose = true;
            } else {
                std::fprintf(stderr, "korvale: unknown option '%s'\n%s", arg, kUsage);
                return 2;
            }
            continue;
        }
        if (count == 3)
            return UsageError("too many arguments");
        operands[count++] = arg;
    }
    if (count == 0)
        return UsageError("no command given");
    if (std::strcmp(operands[0], "to-q3") == 0)
        options.direction = Direction::HlToQ3;
    else if (std::strcmp(operands[0], "to-hl") == 0)
        options.direction = Direction::Q3ToHl;
    else {
        std::fprintf(stderr, "korvale: unknown command '%s'\n%s", operands[0], kUsage);
        return 2;
    }
    if (count < 3)
        return UsageError("INPUT and OUTPUT are both needed");
    options.input = operands[1];
    options.output = operands[2];
    return -1;
}

// The file a failure is about, to print beside its message.
const char* FailedPath(int result, const Options& options) {
    switch (result) {
    case CONVERT_NO_INPUT:
    case CONVERT_READ_FAILED:
        return options.input;
    case CONVERT_NO_OUTPUT:
    case CONVERT_WRITE_FAILED:
        return options.output;
    default:
        return nullptr;
    }
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    int status = ParseArguments(argc, argv, options);
    if (status >= 0)
        return status;

    ProgressBar bar;
    ProgressTarget target{nullptr, &bar};
    if (!options.quiet && isatty(STDERR_FILENO))
        target.setPosition = DrawProgress;

    ConvertStats stats{};
    int result = options.direction == Direction::HlToQ3
                     ? ConvertHlToQ3(options.input, options.output, target, &stats)
                     : ConvertQ3ToHl(options.input, options.output, target, &stats);
    if (bar.drawn)
        std::fputc('\n', stderr);

    const ResultMessage* message = FindResultMessage(result);
    if (result != CONVERT_OK) {
        const char* path = FailedPath(result, options);
        if (result == CONVERT_SAME_FILE)
            std::fprintf(stderr, "korvale: %s (%s, %s)\n", message->text, options.input, options.output);
        else if (path)
            std::fprintf(stderr, "korvale: %s (%s)\n", message->text, path);
        else
            std::fprintf(stderr, "korvale: conversion failed with code %d\n", result);
        return 1;
    }
    if (!options.quiet && (options.verbose || isatty(STDOUT_FILENO))) {
        std::printf("%s %llu lines read, %llu faces rewritten, %llu lights rewritten, %llu lines dropped, "
                    "%llu lines copied\n",
                    message->text, stats.linesRead, stats.facesRewritten, stats.lightsRewritten,
                    stats.linesDropped, stats.linesCopied);
    }
    return 0;
}
