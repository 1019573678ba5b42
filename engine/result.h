// Result codes of a conversion run, and the message each front end shows for them.
#pragma once

constexpr int CONVERT_OK = 0;
constexpr int CONVERT_NO_INPUT = -1;     // the input file cannot be opened for reading
constexpr int CONVERT_NO_OUTPUT = -2;    // the output file cannot be opened for writing
constexpr int CONVERT_SAME_FILE = -3;    // the output path names the input file; nothing was written
constexpr int CONVERT_WRITE_FAILED = -4; // writing the output failed (disk full, I/O error)
constexpr int CONVERT_READ_FAILED = -5;  // reading the input failed other than at its end

struct ResultMessage {
    int result;
    const char* text;
    const char* caption;
    bool isError; // shown with the error icon; success has none
};

// The message for a result code, or nullptr for a code that has none.
const ResultMessage* FindResultMessage(int result);
