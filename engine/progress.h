// Where a conversion run reports how far it has come.
#pragma once

// A run calls setPosition(context, position) with positions from 0 to 100: 0 before the
// first line, then each time the position changes. The window's target moves its progress
// bar; the command line draws a bar; tests record the positions.
struct ProgressTarget {
    void (*setPosition)(void* context, int position);
    void* context;
};

// The position after `processed` of `total` lines: floor(100 * processed / total), never
// above 100 (a file that grew between the two passes stays at 100).
int ProgressPosition(unsigned long long processed, unsigned long long total);
