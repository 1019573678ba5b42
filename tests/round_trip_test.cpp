// Each direction and back: every face regains its points to one decimal and its texture values
// as the numbers the first direction wrote; every other line comes back as the rules of the
// two directions say.
#include "convert.h"
#include "maplines.h"
#include "round_trip.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t lf = bytes.find("\r\n", start);
        if (lf == std::string::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, lf - start));
        start = lf + 2;
    }
    return lines;
}

// The lines of a map as the engine delivers them, leading spaces removed, line ends cut off.
std::vector<std::string> ReadStrippedLines(const std::string& path) {
    std::vector<std::string> lines;
    MapInput* input = OpenMapInput(path.c_str());
    EXPECT_NE(input, nullptr) << path;
    if (!input)
        return lines;
    MapLine line;
    while (ReadMapLine(*input, line)) {
        StripLeadingSpaces(line);
        std::string text(line.text, line.length);
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        lines.push_back(text);
    }
    CloseMapFile(input);
    return lines;
}

bool KeyStarts(const std::string& line, const char* letters) {
    return line.size() > 1 && line.compare(1, std::string(letters).size(), letters) == 0;
}

// Converts the map both ways and checks each original line against what came back.
void ExpectRoundTrip(const std::string& mapPath) {
    ScratchDir dir;
    const std::string q3Path = dir.File("q3.map"), hlPath = dir.File("hl.map");
    ASSERT_EQ(ConvertHlToQ3(mapPath.c_str(), q3Path.c_str(), {}), CONVERT_OK) << mapPath;
    ASSERT_EQ(ConvertQ3ToHl(q3Path.c_str(), hlPath.c_str(), {}), CONVERT_OK) << mapPath;
    const std::vector<std::string> original = ReadStrippedLines(mapPath);
    const std::vector<std::string> q3 = SplitLines(ReadBytes(q3Path));
    const std::vector<std::string> hl = SplitLines(ReadBytes(hlPath));

    std::size_t atQ3 = 0, atHl = 0;
    for (std::size_t i = 0; i < original.size(); ++i) {
        const std::string& line = original[i];
        const std::string where = mapPath + " line " + std::to_string(i + 1) + ": ";
        if (!line.empty() && line[0] == '(') {
            ASSERT_LT(atHl, hl.size()) << where;
            EXPECT_EQ(round_trip::HlFaceFromQ3Face(q3[atQ3++], hl[atHl++]), "") << where;
        } else if (KeyStarts(line, "wad") || KeyStarts(line, "mapv") || KeyStarts(line, "MaxR") ||
                   KeyStarts(line, "sky")) {
            continue;
        } else if (KeyStarts(line, "_light")) {
            // "light", "_color" and "radius" go out; only the brightness comes back, as white.
            ASSERT_LT(atQ3 + 2, q3.size()) << where;
            const std::string brightness = round_trip::Tokens(q3[atQ3])[1];
            ASSERT_LT(atHl, hl.size()) << where;
            EXPECT_EQ(hl[atHl++], "\"_light\" \"255 255 255 " + brightness.substr(1)) << where;
            atQ3 += 3;
        } else {
            ASSERT_LT(atQ3, q3.size()) << where;
            EXPECT_EQ(q3[atQ3++], line) << where;
            // Keys the way back rewrites or drops, though the first direction copied them.
            if (KeyStarts(line, "radi") || KeyStarts(line, "_col"))
                continue;
            ASSERT_LT(atHl, hl.size()) << where;
            const std::string whiteLight = "\"_light\" \"255 255 255 ";
            if (KeyStarts(line, "light"))
                EXPECT_EQ(hl[atHl++].compare(0, whiteLight.size(), whiteLight), 0) << where;
            else
                EXPECT_EQ(hl[atHl++], line) << where;
        }
    }
    EXPECT_EQ(atQ3, q3.size()) << mapPath;
    EXPECT_EQ(atHl, hl.size()) << mapPath;
}

// A number token read whole, as the value it stands for.
bool WholeNumber(const std::string& token, double& value) {
    char* end = nullptr;
    value = std::strtod(token.c_str(), &end);
    return !token.empty() && *end == '\0';
}

// An original Quake 3 face written in full, "( x y z ) ( x y z ) ( x y z ) tex n1 ... n8",
// against the Half-Life face written from it: points to one decimal, numbers 4 and 5 to three
// decimals and numbers 6 to 8 to whole numbers. Faces written in part carry values over and
// are checked only on the way back.
void ExpectFaceKeptItsValues(const std::string& q3, const std::string& hl, const std::string& where) {
    const std::vector<std::string> a = round_trip::Tokens(q3), b = round_trip::Tokens(hl);
    if (a.size() != round_trip::kQ3FaceTokens || b.size() != round_trip::kHlFaceTokens)
        return;
    const struct {
        int q3, hl;
        double within;
    } kept[] = {{1, 1, 0.05},     {2, 2, 0.05},   {3, 3, 0.05},   {6, 6, 0.05},   {7, 7, 0.05},
                {8, 8, 0.05},     {11, 11, 0.05}, {12, 12, 0.05}, {13, 13, 0.05}, {19, 20, 0.0005},
                {20, 26, 0.0005}, {21, 28, 0.5},  {22, 29, 0.5},  {23, 30, 0.5}};
    for (const auto& k : kept) {
        double original = 0, written = 0;
        if (!WholeNumber(a[k.q3], original) || !WholeNumber(b[k.hl], written))
            return;
        // Single precision holds a value to about one part in 2^24.
        EXPECT_LE(std::fabs(original - written), k.within + std::fabs(original) * 0x1p-23)
            << where << a[k.q3] << " was written " << b[k.hl];
    }
}

// Converts a Quake 3 map to Half-Life and back and checks each original line against what
// came back: faces with their points and texture values, "light" with its value (now with a
// white "_color" and a "radius" beside it), "_color" and "radius" keys gone.
void ExpectQ3RoundTrip(const std::string& mapPath) {
    ScratchDir dir;
    const std::string hlPath = dir.File("hl.map"), q3Path = dir.File("q3.map");
    ASSERT_EQ(ConvertQ3ToHl(mapPath.c_str(), hlPath.c_str(), {}), CONVERT_OK) << mapPath;
    ASSERT_EQ(ConvertHlToQ3(hlPath.c_str(), q3Path.c_str(), {}), CONVERT_OK) << mapPath;
    const std::vector<std::string> original = ReadStrippedLines(mapPath);
    const std::vector<std::string> hl = SplitLines(ReadBytes(hlPath));
    const std::vector<std::string> q3 = SplitLines(ReadBytes(q3Path));

    std::size_t atHl = 0, atQ3 = 0;
    for (std::size_t i = 0; i < original.size(); ++i) {
        const std::string& line = original[i];
        const std::string where = mapPath + " line " + std::to_string(i + 1) + ": ";
        if (!line.empty() && line[0] == '(') {
            ASSERT_LT(atQ3, q3.size()) << where;
            ExpectFaceKeptItsValues(line, hl[atHl], where);
            EXPECT_EQ(round_trip::Q3FaceFromHlFace(hl[atHl++], q3[atQ3++]), "") << where;
        } else if (KeyStarts(line, "radi") || KeyStarts(line, "_col")) {
            continue;
        } else if (KeyStarts(line, "light")) {
            ASSERT_LT(atHl, hl.size()) << where;
            const std::string white = "\"_light\" \"255 255 255 ";
            ASSERT_EQ(hl[atHl].compare(0, white.size(), white), 0) << where << hl[atHl];
            const std::string value = hl[atHl++].substr(white.size());
            ASSERT_LT(atQ3 + 2, q3.size()) << where;
            EXPECT_EQ(q3[atQ3++], "\"light\" \"" + value) << where;
            EXPECT_EQ(q3[atQ3++], "\"_color\" \"1.000000 1.000000 1.000000\"") << where;
            EXPECT_EQ(q3[atQ3++], "\"radius\" \"" + value) << where;
            const std::string digits = line.size() > 10 ? line.substr(9, line.size() - 10) : "";
            if (line.rfind("\"light\" \"", 0) == 0 && line.back() == '"' && !digits.empty() &&
                digits[0] != '0' && digits.size() < 10 &&
                digits.find_first_not_of("0123456789") == std::string::npos) {
                EXPECT_EQ(value, line.substr(9)) << where << "a decimal light value comes back as it was";
            }
        } else {
            ASSERT_LT(atHl, hl.size()) << where;
            EXPECT_EQ(hl[atHl++], line) << where;
            // Keys the way back drops or rewrites, though the first direction copied them.
            if (KeyStarts(line, "wad") || KeyStarts(line, "mapv") || KeyStarts(line, "MaxR") ||
                KeyStarts(line, "sky"))
                continue;
            ASSERT_LT(atQ3, q3.size()) << where;
            if (KeyStarts(line, "_light")) {
                EXPECT_EQ(q3[atQ3].rfind("\"light\" \"", 0), 0u) << where;
                atQ3 += 3;
            } else {
                EXPECT_EQ(q3[atQ3++], line) << where;
            }
        }
    }
    EXPECT_EQ(atHl, hl.size()) << mapPath;
    EXPECT_EQ(atQ3, q3.size()) << mapPath;
}

// A number text of the kinds editors write: whole, one or more decimals, or exponent form.
std::string NumberText(std::mt19937& random, int range) {
    std::uniform_int_distribution<int> whole(-range, range), form(0, 5), digits(0, 999999);
    std::string text = std::to_string(whole(random));
    switch (form(random)) {
    case 0:
        return text + "." + std::to_string(digits(random) % 10);
    case 1:
        return text + "." + std::to_string(digits(random));
    case 2:
        return text + "e" + std::to_string(form(random) - 2);
    default:
        return text;
    }
}

std::string GeneratedHlMap(unsigned seed, int faces) {
    std::mt19937 random(seed);
    std::string map = "{\n\"classname\" \"worldspawn\"\n\"mapversion\" \"220\"\n\"wad\" \"a.wad\"\n"
                      "\"light\" \"5\"\n\"_color\" \"1 1 1\"\n\"radius\" \"9\"\n{\n";
    for (int i = 0; i < faces; ++i) {
        std::string face = i % 50 ? "" : "   ";
        for (int p = 0; p < 3; ++p)
            face += "( " + NumberText(random, 8192) + " " + NumberText(random, 8192) + " " +
                    NumberText(random, 8192) + " ) ";
        face += "TEX [ 1 0 0 " + NumberText(random, 512) + " ] [ 0 -1 0 " + NumberText(random, 512) + " ] " +
                NumberText(random, 360) + " " + NumberText(random, 4) + " " + NumberText(random, 4) + "\n";
        map += face;
        if (i % 97 == 0)
            map += "}\n{\n\"classname\" \"light\"\n\"_light\" \"" + std::to_string(i % 256) + " 128 0 " +
                   std::to_string(i) + "\"\n}\n{\n";
    }
    return map + "}\n}\n";
}

TEST(RoundTrip, GeneratedMapsComeBack) {
    ScratchDir dir;
    for (unsigned seed = 1; seed <= 5; ++seed) {
        WriteBytes(dir.File("generated.map"), GeneratedHlMap(seed, 2000));
        ExpectRoundTrip(dir.File("generated.map"));
    }
}

TEST(RoundTrip, ExampleMapComesBack) {
    ExpectRoundTrip(KORVALE_EXAMPLES "/hl_room.map");
}

// Runs `expect` over every real map of either dialect: the rules judge lines one at a time, so
// any map goes through both directions.
void ForEachRealMap(void (*expect)(const std::string& mapPath)) {
    const fs::path maps = fs::path(KORVALE_SHARED_MAPS);
    if (!fs::is_directory(maps))
        GTEST_SKIP() << "no shared maps beside the project at " << maps.string();
    int converted = 0;
    for (const char* dialect : {"hl", "q3"}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(maps / dialect)) {
            if (entry.path().extension() != ".map")
                continue;
            expect(entry.path().string());
            ++converted;
        }
    }
    EXPECT_GT(converted, 0);
}

TEST(RoundTrip, RealMapsComeBackFromQuake3) {
    ForEachRealMap(ExpectRoundTrip);
}

TEST(RoundTrip, RealMapsComeBackFromHalfLife) {
    ForEachRealMap(ExpectQ3RoundTrip);
}

} // namespace
