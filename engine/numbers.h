// Number texts of map lines: reading "%f" and "%i" fields, writing "%.Nf" and "%i" items.
// These are the engine's own rules, identical on every platform; they do not use the C
// library's strtof, strtol, scanf or printf.
#pragma once

#include <cstddef>
#include <cstdint>

// Reads the longest number text that starts at `text` (no white space is skipped):
// an optional sign, digits with an optional point and at least one digit before or after it,
// then, only after a digit, an optional exponent ("e"/"E", optional sign, digits; a mark with
// no digit after it is still taken and counts as exponent 0). Stores the value rounded to the
// nearest single (ties to even, subnormals exact, "-0" is negative zero, a magnitude beyond
// the single range gives the largest finite single with its sign) and returns the number of
// bytes taken; returns 0 and leaves *value alone when no number text starts here.
// With value null the text is only measured: a field no rule writes need not be converted.
std::size_t ScanFloatText(const char* text, const char* end, float* value);

// Bytes from the start of a text that ScanFloatTextPadded may read.
constexpr std::size_t kScanPadding = 16;

// ScanFloatText, faster, for a text with kScanPadding bytes that may be read from its start on,
// where every one of those bytes at or beyond `end` is NUL.
std::size_t ScanFloatTextPadded(const char* text, const char* end, float* value);

// Reads the longest integer text that starts at `text`: an optional sign, then "0x"/"0X" and
// hex digits, or a "0" that starts octal digits, or decimal digits. The value is accumulated
// modulo 2^32 and negated for "-". Returns the bytes taken, or 0 (and *value untouched) when
// there is no digit ("0x" with no hex digit after it is no integer text).
std::size_t ScanIntText(const char* text, const char* end, std::int32_t* value);

// Longest text RenderFixed can write: sign, 309 integer digits, point, 9 decimals.
constexpr std::size_t kMaxFixedText = 320;

// Writes v with `decimals` (0 to 9) decimals: the exact value cut to 17 significant digits
// (half up), then rounded half up to `decimals` places; "-" for negative v, none for zero.
// Returns the number of bytes written to out, which holds at least kMaxFixedText bytes.
// Map numbers are always finite; should a NaN arrive it is written as zero, and an infinity as
// the largest finite double with its sign.
std::size_t RenderFixed(double v, int decimals, char* out);

// Texts RenderFixed wrote lately, to be written again without working them out: map numbers
// repeat a great deal (points on a grid, axes of 0 and 1, scales of 1). Each entry holds the
// last text written for the values that share it.
struct RecentTexts {
    struct Entry {
        std::uint64_t bits;    // the value's bit pattern
        std::uint8_t decimals; // kNoDecimals while the entry is empty
        std::uint8_t length;
        char text[16];
    };
    static constexpr std::uint8_t kNoDecimals = 0xFF;
    static constexpr int kEntryBits = 10;
    Entry entry[1 << kEntryBits];
};

void ClearRecentTexts(RecentTexts& recent);

// RenderFixed through the table of recent texts: the same bytes, sooner for a value written
// lately. out holds at least kMaxFixedText bytes, some of which may be overwritten past the text.
std::size_t RenderFixedRecent(RecentTexts& recent, double v, int decimals, char* out);

// Writes v in decimal, "-" first when negative. Returns the bytes written (at most 11).
std::size_t RenderInt(std::int32_t v, char* out);
