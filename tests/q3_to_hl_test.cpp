#include "convert.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

const std::string kPoints = "( 0 0 64 ) ( 64 0 64 ) ( 0 64 64 )";
const std::string kPointsOut = "( 0.0 0.0 64.0 ) ( 64.0 0.0 64.0 ) ( 0.0 64.0 64.0 )";

std::string HlFace(const std::string& points, const char* values) {
    return points + " CRETE4_WALL01 " + values + "\r\n";
}

struct RunCase {
    const char* what;
    std::vector<std::string> input;
    std::string output;
};

TEST(Q3ToHl, RewritesFacesFromNumbersFourToEight) {
    const RunCase cases[] = {
        {"numbers 4 and 5 become the offsets",
         {kPoints + " common/caulk 0 0 0 0.5 0.5 0 0 0"},
         HlFace(kPointsOut, "[ 0 0 0 0.500 ] [ 0 0 0 0.500 ] 0 0 0")},
        {"a face the other direction wrote",
         {kPoints + " base_wall/concrete 0 0 0 16 -8 90 1 1"},
         HlFace(kPointsOut, "[ 0 0 0 16.000 ] [ 0 0 0 -8.000 ] 90 1 1")},
        {"points keep one decimal",
         {"( 12.34 0 0 ) ( 0 0 0 ) ( 0 0 0 ) t 0 0 0 0 0 0 0 0"},
         HlFace("( 12.3 0.0 0.0 ) ( 0.0 0.0 0.0 ) ( 0.0 0.0 0.0 )", "[ 0 0 0 0.000 ] [ 0 0 0 0.000 ] 0 0 0")},
        {"five numbers keep the last rotation and scales",
         {kPoints + " t 0 0 0 16 -8 90 1 1", kPoints + " t 1 2 3 4 5"},
         HlFace(kPointsOut, "[ 0 0 0 16.000 ] [ 0 0 0 -8.000 ] 90 1 1") +
             HlFace(kPointsOut, "[ 0 0 0 4.000 ] [ 0 0 0 5.000 ] 90 1 1")},
        {"a detail face's content flags become the rotation",
         {kPoints + " t 0 0 0 0.5 0.5 134217728 0 0"},
         HlFace(kPointsOut, "[ 0 0 0 0.500 ] [ 0 0 0 0.500 ] 134217728 0 0")},
        {"a tab-indented face is copied",
         {"\t" + kPoints + " t 0 0 0 1 1 0 0 0"},
         "\t" + kPoints + " t 0 0 0 1 1 0 0 0\r\n"},
        {"a last face without a line end still gets one", {}, ""},
    };
    for (const RunCase& c : cases)
        EXPECT_EQ(ConvertBytes(ConvertQ3ToHl, Join(c.input)), c.output) << c.what;
    EXPECT_EQ(ConvertBytes(ConvertQ3ToHl, kPoints + " t 0 0 0 1 2 3 4 5"),
              HlFace(kPointsOut, "[ 0 0 0 1.000 ] [ 0 0 0 2.000 ] 3 4 5"));
}

TEST(Q3ToHl, PatchRowsRepeatTheValuesHeld) {
    const std::string map = Join({
        kPoints + " t 0 0 0 16 -8 90 1 1",
        "patchDef2",
        "{",
        "common/pipe",
        "( 3 3 0 0 0 )",
        "(",
        "( ( 0 0 0 0 0 ) ( 0 1 0 0 1 ) ( 0 2 0 0 2 ) )",
        ")",
        "}",
    });
    const std::string held = "[ 0 0 0 16.000 ] [ 0 0 0 -8.000 ] 90 1 1";
    const std::string sizeRow = "( 3.0 3.0 0.0 ) ( 64.0 0.0 64.0 ) ( 0.0 64.0 64.0 )";
    EXPECT_EQ(ConvertBytes(ConvertQ3ToHl, map),
              HlFace(kPointsOut, held.c_str()) + "patchDef2\r\n{\r\ncommon/pipe\r\n" +
                  HlFace(sizeRow, held.c_str()) + HlFace(sizeRow, held.c_str()) +
                  HlFace(sizeRow, held.c_str()) + ")\r\n}\r\n");
}

TEST(Q3ToHl, BrushPrimitiveFacesKeepThePreviousTextureValues) {
    const std::string map = Join({
        kPoints + " t 0 0 0 16 -8 90 1 1",
        "brushDef",
        "{",
        "( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) ( ( 0.03125 0 0 ) ( 0 0.03125 0 ) ) common/caulk 0 0 0",
        "}",
    });
    EXPECT_EQ(ConvertBytes(ConvertQ3ToHl, map),
              HlFace(kPointsOut, "[ 0 0 0 16.000 ] [ 0 0 0 -8.000 ] 90 1 1") + "brushDef\r\n{\r\n" +
                  HlFace("( 1.0 2.0 3.0 ) ( 4.0 5.0 6.0 ) ( 7.0 8.0 9.0 )",
                         "[ 0 0 0 16.000 ] [ 0 0 0 -8.000 ] 90 1 1") +
                  "}\r\n");
}

TEST(Q3ToHl, RewritesLightKeysAsWhiteLights) {
    const RunCase cases[] = {
        {"a light", {"\"light\" \"300\""}, "\"_light\" \"255 255 255 300\"\r\n"},
        {"decimals are cut", {"\"light\" \"300.5\""}, "\"_light\" \"255 255 255 300\"\r\n"},
        {"hexadecimal", {"\"light\" \"0x12C\""}, "\"_light\" \"255 255 255 300\"\r\n"},
        {"octal", {"\"light\" \"0300\""}, "\"_light\" \"255 255 255 192\"\r\n"},
        {"negative", {"\"light\" \"-50\""}, "\"_light\" \"255 255 255 -50\"\r\n"},
        {"an empty value keeps the last light",
         {"\"light\" \"300\"", "\"light\" \"\""},
         "\"_light\" \"255 255 255 300\"\r\n\"_light\" \"255 255 255 300\"\r\n"},
        {"a longer key keeps the last light",
         {"\"light\" \"300\"", "\"lightJunior\" \"5\""},
         "\"_light\" \"255 255 255 300\"\r\n\"_light\" \"255 255 255 300\"\r\n"},
        {"the first light of a run that reads nothing is 0",
         {"\"light\" \"bright\""},
         "\"_light\" \"255 255 255 0\"\r\n"},
        {"leading spaces are removed first", {"    \"light\" \"7\""}, "\"_light\" \"255 255 255 7\"\r\n"},
    };
    for (const RunCase& c : cases)
        EXPECT_EQ(ConvertBytes(ConvertQ3ToHl, Join(c.input)), c.output) << c.what;
    EXPECT_EQ(ConvertBytes(ConvertQ3ToHl, "\"light\" \"300\""), "\"_light\" \"255 255 255 300\"\r\n");
}

TEST(Q3ToHl, DropsColourAndRadiusKeys) {
    for (const char* line : {"\"_color\" \"1 0.5 0\"", "\"_colour\" \"1 1 1\"", "\"radius\" \"300\"",
                             "\"radius2\" \"1\"", "  \"_color\" \"1 1 1\""})
        EXPECT_EQ(ConvertBytes(ConvertQ3ToHl, std::string(line) + "\n"), "") << line;
}

TEST(Q3ToHl, CopiesEveryOtherLine) {
    const struct {
        std::string input;
        std::string output;
    } cases[] = {
        {"// brush 0\n", "// brush 0\r\n"},
        {"{\n", "{\r\n"},
        {"}", "}"},
        {"\"_light\" \"255 255 255 300\"\n", "\"_light\" \"255 255 255 300\"\r\n"},
        {"\"Light\" \"300\"\n", "\"Light\" \"300\"\r\n"},
        {"\"classname\" \"light\"\n", "\"classname\" \"light\"\r\n"},
        {"\"rad\" \"1\"\n", "\"rad\" \"1\"\r\n"},
        {"\t\"light\" \"300\"\n", "\t\"light\" \"300\"\r\n"},
        {"\t\"radius\" \"300\"\n", "\t\"radius\" \"300\"\r\n"},
        {"   \n", "\r\n"},
        {"   ", ""},
        {"patchDef2\r\n", "patchDef2\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertBytes(ConvertQ3ToHl, c.input), c.output) << c.input;
}

} // namespace
