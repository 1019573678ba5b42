// The conversion runs of both directions.
#pragma once

#include "progress.h"
#include "result.h"

// What a run did with the lines of its second pass.
struct ConvertStats {
    unsigned long long linesRead;
    unsigned long long facesRewritten;
    unsigned long long lightsRewritten;
    unsigned long long linesDropped;
    unsigned long long linesCopied;
};

// Each converts the map at inputPath into the map at outputPath, reports progress to target,
// and returns a result code (result.h). When stats is given it receives the line counts.
int ConvertHlToQ3(const char* inputPath, const char* outputPath, ProgressTarget target,
                  ConvertStats* stats = nullptr);
int ConvertQ3ToHl(const char* inputPath, const char* outputPath, ProgressTarget target,
                  ConvertStats* stats = nullptr);
