// Exact but slow routes through the number rules, kept beside the fast ones in numbers.cpp so
// that tests can check that both give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace numbers_internal {

// ScanFloatText for the texts its short path leaves: long, with long exponents, or close to a
// halfway point. Kept out of line so that the short path does not pay for its stack frame.
std::size_t ScanLongFloatText(const char* text, const char* end, float* value);

// RenderFixed, with `places` from 0 to 9, for the values its path for singles leaves.
// Out of line for the same reason.
std::size_t RenderOtherFixed(double v, int places, char* out);

// ScanFloatText with the single found by bisection over all finite singles, each step an exact
// comparison of the number text with the halfway point between two neighbours.
std::size_t ScanFloatTextReference(const char* text, const char* end, float* value);

// ScanFloatText without the floating-point shortcut: the exact neighbour walk, started at the
// positive single whose bit pattern is `startBits` (clamped to the largest finite one). It takes
// one step per single between the start and the result, so the start should be close.
std::size_t ScanFloatTextFrom(const char* text, const char* end, std::uint32_t startBits, float* value);

// RenderFixed done on the complete decimal expansion of v, digit by digit.
std::size_t RenderFixedReference(double v, int decimals, char* out);

} // namespace numbers_internal
