// Half-Life to Quake 3 and back: every face regains its points to one decimal and its offsets,
// rotation and scales as the whole numbers the first direction wrote; every other line
// comes back as the rules of the two directions say.
#include "convert.h"
#include "maplines.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <sstream>
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

std::vector<std::string> Tokens(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> tokens;
    for (std::string token; in >> token;)
        tokens.push_back(token);
    return tokens;
}

bool SameNumber(const std::string& a, const std::string& b) {
    return std::strtod(a.c_str(), nullptr) == std::strtod(b.c_str(), nullptr);
}

bool KeyStarts(const std::string& line, const char* letters) {
    return line.size() > 1 && line.compare(1, std::string(letters).size(), letters) == 0;
}

// Quake 3 face "( x y z ) ( x y z ) ( x y z ) base_wall/concrete 0 0 0 n4 n5 n6 n7 n8" against
// Half-Life face "( x y z ) ( x y z ) ( x y z ) CRETE4_WALL01 [ 0 0 0 n4 ] [ 0 0 0 n5 ] n6 n7 n8".
void ExpectFaceCameBack(const std::string& q3, const std::string& hl, const std::string& where) {
    std::vector<std::string> a = Tokens(q3), b = Tokens(hl);
    ASSERT_EQ(a.size(), 24u) << where << q3;
    ASSERT_EQ(b.size(), 31u) << where << hl;
    for (int i : {1, 2, 3, 6, 7, 8, 11, 12, 13})
        EXPECT_TRUE(SameNumber(a[i], b[i])) << where << "point " << a[i] << " came back as " << b[i];
    EXPECT_EQ(a[15], "base_wall/concrete") << where;
    EXPECT_EQ(b[15], "CRETE4_WALL01") << where;
    const struct {
        int q3, hl;
    } moved[] = {{19, 20}, {20, 26}, {21, 28}, {22, 29}, {23, 30}};
    for (const auto& m : moved)
        EXPECT_TRUE(SameNumber(a[m.q3], b[m.hl])) << where << a[m.q3] << " came back as " << b[m.hl];
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
            ExpectFaceCameBack(q3[atQ3++], hl[atHl++], where);
        } else if (KeyStarts(line, "wad") || KeyStarts(line, "mapv") || KeyStarts(line, "MaxR") ||
                   KeyStarts(line, "sky")) {
            continue;
        } else if (KeyStarts(line, "_light")) {
            // "light", "_color" and "radius" go out; only the brightness comes back, as white.
            ASSERT_LT(atQ3 + 2, q3.size()) << where;
            const std::string brightness = Tokens(q3[atQ3])[1];
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

TEST(RoundTrip, RealHalfLifeMapsComeBack) {
    const fs::path maps = fs::path(KORVALE_SHARED_MAPS) / "hl";
    if (!fs::is_directory(maps))
        GTEST_SKIP() << "no shared maps beside the project at " << maps.string();
    int converted = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(maps)) {
        if (entry.path().extension() == ".map") {
            ExpectRoundTrip(entry.path().string());
            ++converted;
        }
    }
    EXPECT_GT(converted, 0);
}

} // namespace
