#include "result.h"

namespace {

const ResultMessage kResultMessages[] = {
    {CONVERT_NO_INPUT, "Cannot open input file for reading!", "Error!", true},
    {CONVERT_NO_OUTPUT, "Cannot open output file for writing!", "Error!", true},
    {CONVERT_OK, "Map processed Successfully!", "Success!", false},
    {CONVERT_SAME_FILE, "Input and output are the same file!", "Error!", true},
    {CONVERT_WRITE_FAILED, "Cannot write output file!", "Error!", true},
    {CONVERT_READ_FAILED, "Cannot read input file!", "Error!", true},
};

} // namespace

const ResultMessage* FindResultMessage(int result) {
    for (const ResultMessage& message : kResultMessages) {
        if (message.result == result)
            return &message;
    }
    return nullptr;
}
