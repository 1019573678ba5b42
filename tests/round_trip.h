// What a face keeps on its way from one dialect to the other and back. Shared by the round-trip
// tests and the fuzz targets, so it uses no test framework: each check returns what differs,
// or an empty text when the face came back as it must.
#pragma once

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace round_trip {

inline std::vector<std::string> Tokens(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> tokens;
    for (std::string token; in >> token;)
        tokens.push_back(token);
    return tokens;
}

// Two number texts with the same value; "-0.0" and "0.0" count as the same.
inline bool SameNumber(const std::string& a, const std::string& b) {
    return std::strtod(a.c_str(), nullptr) == std::strtod(b.c_str(), nullptr);
}

// A "%.3f" text rounded to a whole number as "%.0f" writes it: halves away from zero, "-"
// kept for a negative value that rounds to zero, none for negative zero.
inline std::string WholeFromThreeDecimals(const std::string& text) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::size_t point = text.find('.');
    std::string whole = text.substr(negative ? 1 : 0, point - (negative ? 1 : 0));
    const std::string decimals = point == std::string::npos ? "" : text.substr(point + 1);
    if (!decimals.empty() && decimals[0] >= '5') {
        int at = static_cast<int>(whole.size()) - 1;
        for (; at >= 0 && whole[at] == '9'; --at)
            whole[at] = '0';
        if (at < 0)
            whole.insert(whole.begin(), '1');
        else
            ++whole[at];
    }
    const bool zero = whole.find_first_not_of('0') == std::string::npos;
    const bool negativeZero = zero && decimals.find_first_not_of('0') == std::string::npos;
    return (negative && !negativeZero ? "-" : "") + whole;
}

// Token places of a written Quake 3 face, "( x y z ) ( x y z ) ( x y z ) tex n1 ... n8", and of
// a written Half-Life face, "( x y z ) ( x y z ) ( x y z ) tex [ 0 0 0 uoff ] [ 0 0 0 voff ]
// rotation uscale vscale".
constexpr int kPointTokens[] = {1, 2, 3, 6, 7, 8, 11, 12, 13};
constexpr std::size_t kQ3FaceTokens = 24, kHlFaceTokens = 31;
constexpr int kQ3Number4To8[] = {19, 20, 21, 22, 23};
constexpr int kHlTextureValues[] = {20, 26, 28, 29, 30}; // U offset, V offset, rotation, U scale, V scale

// The three points of two face lines' tokens, compared as numbers: "" when they agree.
inline std::string PointsCameBack(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    for (int i : kPointTokens)
        if (!SameNumber(a[i], b[i]))
            return "point " + a[i] + " came back as " + b[i];
    return "";
}

// A Quake 3 face the first direction wrote, against the Half-Life face the way back wrote
// from it: the same points, and numbers 4 to 8 back as U and V offsets, rotation and scales.
inline std::string HlFaceFromQ3Face(const std::string& q3, const std::string& hl) {
    const std::vector<std::string> a = Tokens(q3), b = Tokens(hl);
    if (a.size() != kQ3FaceTokens || a[15] != "base_wall/concrete")
        return "not a written Quake 3 face: " + q3;
    if (b.size() != kHlFaceTokens || b[15] != "CRETE4_WALL01")
        return "not a written Half-Life face: " + hl;
    if (std::string wrong = PointsCameBack(a, b); !wrong.empty())
        return wrong;
    for (int i = 0; i < 5; ++i)
        if (!SameNumber(a[kQ3Number4To8[i]], b[kHlTextureValues[i]]))
            return "number " + a[kQ3Number4To8[i]] + " came back as " + b[kHlTextureValues[i]];
    return "";
}

// A Half-Life face the first direction wrote, against the Quake 3 face the way back wrote
// from it: the same points, numbers 1 to 3 as "0 0 0", the offsets (three decimals) as whole
// numbers, and rotation and scales (already whole) as they were.
inline std::string Q3FaceFromHlFace(const std::string& hl, const std::string& q3) {
    const std::vector<std::string> a = Tokens(hl), b = Tokens(q3);
    if (a.size() != kHlFaceTokens || a[15] != "CRETE4_WALL01")
        return "not a written Half-Life face: " + hl;
    if (b.size() != kQ3FaceTokens || b[15] != "base_wall/concrete")
        return "not a written Quake 3 face: " + q3;
    if (std::string wrong = PointsCameBack(a, b); !wrong.empty())
        return wrong;
    for (int i = 16; i < 19; ++i)
        if (b[i] != "0")
            return "number " + std::to_string(i - 15) + " came back as " + b[i] + ", not 0";
    for (int i = 0; i < 2; ++i) {
        const std::string whole = WholeFromThreeDecimals(a[kHlTextureValues[i]]);
        if (b[kQ3Number4To8[i]] != whole)
            return "offset " + a[kHlTextureValues[i]] + " came back as " + b[kQ3Number4To8[i]] + ", not " +
                   whole;
    }
    for (int i = 2; i < 5; ++i)
        if (!SameNumber(a[kHlTextureValues[i]], b[kQ3Number4To8[i]]))
            return "number " + a[kHlTextureValues[i]] + " came back as " + b[kQ3Number4To8[i]];
    return "";
}

} // namespace round_trip
