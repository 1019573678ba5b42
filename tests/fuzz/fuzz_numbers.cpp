// Fuzz target: number texts read and written by the engine's own rules, checked against the C
// library where the two must agree and against themselves where they must round-trip.
#include "map_fuzz.h"
#include "numbers.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

using map_fuzz::Broken;

// The text strtof reads the same way: the engine's number text without an exponent mark that
// has no digits after it ("1e" and "1e+" read as 1).
std::string WithoutBareExponent(std::string text) {
    std::size_t mark = text.find_last_of("eE");
    if (mark != std::string::npos && text.find_first_of("0123456789", mark) == std::string::npos)
        text.erase(mark);
    return text;
}

void CheckFloatText(const std::string& text) {
    float value = -1234.5f;
    const std::size_t taken = ScanFloatText(text.data(), text.data() + text.size(), &value);
    if (taken > text.size())
        Broken("a number text ends within the line", text, std::to_string(taken));
    if (ScanFloatText(text.data(), text.data() + text.size(), nullptr) != taken)
        Broken("a number text read past without converting it is as long as one converted", text,
               std::to_string(taken));
    const std::string padded = text + std::string(kScanPadding, '\0');
    float paddedValue = -1234.5f;
    if (ScanFloatTextPadded(padded.data(), padded.data() + text.size(), &paddedValue) != taken ||
        std::memcmp(&paddedValue, &value, sizeof value) != 0)
        Broken("a number text followed by NUL bytes reads the same", text, std::to_string(paddedValue));
    if (taken == 0) {
        if (value != -1234.5f)
            Broken("a failed read leaves its field alone", text, "");
        return;
    }
    // strtof skips white space and reads hexadecimal after "0x"; the engine does neither.
    if (std::strchr(" \t\n\v\f\r", text[0]))
        return;
    const std::string number = WithoutBareExponent(text.substr(0, taken));
    char* end = nullptr;
    const float expected = std::strtof(number.c_str(), &end);
    if (static_cast<std::size_t>(end - number.c_str()) != number.size())
        Broken("the engine takes a number text that strtof reads whole", text, number);
    const bool hex = taken < text.size() && (text[taken] == 'x' || text[taken] == 'X');
    std::strtof(text.c_str(), &end);
    const std::string library = text.substr(0, static_cast<std::size_t>(end - text.c_str()));
    if (!hex && library != number)
        Broken("the engine takes the longest number text", text, number + " against " + library);
    const float limit = std::numeric_limits<float>::max();
    const float wanted = std::isinf(expected) ? std::copysign(limit, expected) : expected;
    if (std::memcmp(&wanted, &value, sizeof value) != 0)
        Broken("a number text reads as the nearest single", text,
               std::to_string(value) + " against " + std::to_string(wanted));
}

// Writes v with each item's decimals and checks the text: well formed, within half a unit of
// the last decimal (plus the 17 significant digits' cut), and read back to the same text.
void CheckFixed(double v) {
    static const char* const kItems[] = {"%.0f", "%.1f", "%.3f", "%f"};
    static const int kDecimals[] = {0, 1, 3, 6};
    for (int i = 0; i < 4; ++i) {
        char out[kMaxFixedText + 1];
        const std::size_t length = RenderFixed(v, kDecimals[i], out);
        if (length > kMaxFixedText)
            Broken("a number is written within its bound", std::to_string(v), std::to_string(length));
        const std::string text(out, length);
        static RecentTexts recent;
        static bool cleared = false;
        if (!cleared) {
            ClearRecentTexts(recent);
            cleared = true;
        }
        char outRecent[kMaxFixedText + 1];
        if (std::string(outRecent, RenderFixedRecent(recent, v, kDecimals[i], outRecent)) != text)
            Broken("a number written through the table of recent texts is written the same", text,
                   std::string(outRecent, RenderFixedRecent(recent, v, kDecimals[i], outRecent)));
        std::size_t at = 0;
        const char* item = kItems[i];
        if (std::fabs(v) < 1e39 && (!map_fuzz::MatchNumber(text, at, item) || at != length))
            Broken("a number is written as sign, digits, point and its decimals", kItems[i], text);
        if ((text[0] == '-') != (v < 0))
            Broken("a minus sign is written exactly for a negative value", std::to_string(v), text);
        const double unit = std::pow(10.0, -kDecimals[i]);
        if (std::fabs(std::strtod(text.c_str(), nullptr) - v) >
            0.5 * unit * (1 + 1e-9) + std::fabs(v) * 3e-16)
            Broken("a written number is its value rounded to its decimals", std::to_string(v), text);
        if (static_cast<double>(static_cast<float>(v)) != v)
            continue;
        float again = 0;
        if (ScanFloatText(text.data(), text.data() + length, &again) != length)
            Broken("a written number reads back whole", kItems[i], text);
        char out2[kMaxFixedText + 1];
        const std::string rewritten(out2, RenderFixed(again, kDecimals[i], out2));
        const bool negativeZero = text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos;
        if (rewritten != (negativeZero ? text.substr(1) : text))
            Broken("a single written and read back writes the same text", text, rewritten);
    }
}

void CheckIntText(const std::string& text) {
    std::int32_t value = 12345;
    const std::size_t taken = ScanIntText(text.data(), text.data() + text.size(), &value);
    if (taken > text.size())
        Broken("an integer text ends within the line", text, std::to_string(taken));
    char out[12];
    const std::size_t length = RenderInt(value, out);
    std::int32_t again = 0;
    if (length > 11 || ScanIntText(out, out + length, &again) != length || again != value)
        Broken("an integer written reads back as itself", text, std::string(out, length));
    if (std::strchr(" \t\n\v\f\r", text[0]))
        return;
    char* end = nullptr;
    errno = 0;
    const long long library = std::strtoll(text.c_str(), &end, 0);
    const std::size_t libraryTaken = static_cast<std::size_t>(end - text.c_str());
    const bool bareHex = libraryTaken > 0 && (text[libraryTaken] == 'x' || text[libraryTaken] == 'X');
    if (errno == ERANGE || bareHex || library < INT32_MIN || library > INT32_MAX)
        return;
    if (taken != libraryTaken || (taken > 0 && value != library))
        Broken("an integer text in range reads as strtol reads it", text, std::to_string(value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckFloatText(text);
    CheckIntText(text);
    float asFloat = 0;
    if (ScanFloatText(text.data(), text.data() + size, &asFloat) > 0)
        CheckFixed(asFloat);
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        if (std::isfinite(raw))
            CheckFixed(raw);
        float single;
        std::memcpy(&single, data, sizeof single);
        if (std::isfinite(single))
            CheckFixed(single);
    }
    return 0;
}
