#include "convert.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each case converts its lines in one run, in order, so carried-over fields are known.
struct RunCase {
    const char* what;
    std::vector<std::string> input; // lines, each given its LF here
    std::string output;
};

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

const std::string kFace =
    "( -64 -64 64 ) ( 64 -64 64 ) ( 64 64 64 ) CRETE4_WALL01 [ 1 0 0 16 ] [ 0 -1 0 -8 ] 90 2 1";
const std::string kFaceOut = "( -64.0 -64.0 64.0 ) ( 64.0 -64.0 64.0 ) ( 64.0 64.0 64.0 ) "
                             "base_wall/concrete 0 0 0 16 -8 90 2 1\r\n";
const std::string kCarriedFaceOut = "( 0.0 0.0 0.0 ) ( 0.0 1.0 0.0 ) ( 1.0 0.0 0.0 ) "
                                    "base_wall/concrete 0 0 0 16 -8 90 2 1\r\n";
const std::string kLight =
    "\"light\" \"300\"\r\n\"_color\" \"1.000000 0.501961 0.000000\"\r\n\"radius\" \"300\"\r\n";

TEST(HlToQ3, RewritesFacesCarryingOverWhatALineLacks) {
    const RunCase cases[] = {
        {"a Valve 220 face", {kFace}, kFaceOut},
        {"spaces before a face are removed first", {"    " + kFace}, kFaceOut},
        {"a face without brackets keeps the last texture values",
         {kFace, "( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) CRETE4_WALL01 0 0 0 1 1"},
         kFaceOut + kCarriedFaceOut},
        {"a line that reads nothing repeats every field",
         {kFace, "( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) CRETE4_WALL01 0 0 0 1 1", "(brush)"},
         kFaceOut + kCarriedFaceOut + kCarriedFaceOut},
        {"a tab-indented face is copied", {"\t" + kFace}, "\t" + kFace + "\r\n"},
        {"scales are written as whole numbers, halves away from zero",
         {"( 0 0 0 ) ( 0 0 0 ) ( 0 0 0 ) T [ 1 0 0 0.5 ] [ 0 1 0 -0.5 ] 2.5 0.25 -2.5"},
         "( 0.0 0.0 0.0 ) ( 0.0 0.0 0.0 ) ( 0.0 0.0 0.0 ) base_wall/concrete 0 0 0 1 -1 3 0 -3\r\n"},
        {"anything after the V scale is ignored", {kFace + " // a comment"}, kFaceOut},
        {"points keep one decimal",
         {"( 12.34 -0.04 9.96 ) ( 0.05 0.35 -0 ) ( 1e2 -1.5E-1 +.5 ) T [ 1 0 0 0 ] [ 0 1 0 0 ] 0 1 1"},
         "( 12.3 -0.0 10.0 ) ( 0.1 0.3 0.0 ) ( 100.0 -0.2 0.5 ) base_wall/concrete 0 0 0 0 0 0 1 1\r\n"},
        {"the first face of a run that reads nothing writes zeros",
         {"(brush)"},
         "( 0.0 0.0 0.0 ) ( 0.0 0.0 0.0 ) ( 0.0 0.0 0.0 ) base_wall/concrete 0 0 0 0 0 0 0 0\r\n"},
    };
    for (const RunCase& c : cases)
        EXPECT_EQ(ConvertBytes(ConvertHlToQ3, Join(c.input)), c.output) << c.what;
}

TEST(HlToQ3, RewritesLightKeysIntoThreeKeys) {
    const RunCase cases[] = {
        {"a light", {"\"_light\" \"255 128 0 300\""}, kLight},
        {"a longer key reads nothing and repeats the last light",
         {"\"_light\" \"255 128 0 300\"", "\"_lighting\" \"1\""},
         kLight + kLight},
        {"single quotes read nothing",
         {"\"_light\" \"255 128 0 300\"", "'_light' '0 0 255 200'"},
         kLight + kLight},
        {"a missing brightness is carried over",
         {"\"_light\" \"255 128 0 300\"", "\"_light\" \"0 0 255\""},
         kLight + "\"light\" \"300\"\r\n\"_color\" \"0.000000 0.000000 1.000000\"\r\n\"radius\" \"300\"\r\n"},
        {"hexadecimal values", {"\"_light\" \"0xff 0x80 0 0x12c\""}, kLight},
        {"octal values",
         {"\"_light\" \"255 255 255 0200\""},
         "\"light\" \"128\"\r\n\"_color\" \"1.000000 1.000000 1.000000\"\r\n\"radius\" \"128\"\r\n"},
        {"a 9 is no octal digit",
         {"\"_light\" \"255 255 255 09\""},
         "\"light\" \"0\"\r\n\"_color\" \"1.000000 1.000000 1.000000\"\r\n\"radius\" \"0\"\r\n"},
        {"values beyond 8 bits are scaled all the same",
         {"\"_light\" \"-255 510 2147483647 -1\""},
         "\"light\" \"-1\"\r\n\"_color\" \"-1.000000 2.000000 8421504.996078\"\r\n\"radius\" \"-1\"\r\n"},
        {"a last line without a line end still ends its lines", {}, ""},
    };
    for (const RunCase& c : cases)
        EXPECT_EQ(ConvertBytes(ConvertHlToQ3, Join(c.input)), c.output) << c.what;
    EXPECT_EQ(ConvertBytes(ConvertHlToQ3, "\"_light\" \"255 128 0 300\""), kLight);
    EXPECT_EQ(ConvertBytes(ConvertHlToQ3, kFace), kFaceOut);
}

TEST(HlToQ3, DropsKeysQuake3HasNoUseFor) {
    const std::string dropped[] = {
        "\"wad\" \"\\half-life\\valve\\halflife.wad\"",
        "\"wadinclude\" \"x\"",
        "\"mapversion\" \"220\"",
        "\"MaxRange\" \"4096\"",
        "\"skyname\" \"desert\"",
        "[wad]",
        "  \"wad\" \"x\"",
    };
    for (const std::string& line : dropped)
        EXPECT_EQ(ConvertBytes(ConvertHlToQ3, line + "\n"), "") << line;
}

TEST(HlToQ3, CopiesEveryOtherLineWithoutItsLeadingSpaces) {
    const struct {
        std::string input;
        std::string output;
    } cases[] = {
        {"{\n", "{\r\n"},
        {"\"classname\" \"worldspawn\"\n", "\"classname\" \"worldspawn\"\r\n"},
        {"\"maxrange\" \"4096\"\n", "\"maxrange\" \"4096\"\r\n"},
        {"\"MAPVERSION\" \"220\"\n", "\"MAPVERSION\" \"220\"\r\n"},
        {"\"light\" \"0\"\n", "\"light\" \"0\"\r\n"},
        {"\"_color\" \"1 1 1\"\n", "\"_color\" \"1 1 1\"\r\n"},
        {"\t\"wad\" \"x\"\n", "\t\"wad\" \"x\"\r\n"},
        {"\t\"_light\" \"1 2 3 4\"\n", "\t\"_light\" \"1 2 3 4\"\r\n"},
        {"\"w\"\n", "\"w\"\r\n"},
        {"\n", "\r\n"},
        {"      \n", "\r\n"},
        {"   }", "}"},
        {"// comment \xE9\xA0\r\n", "// comment \xE9\xA0\r\n"},
        {std::string("\"ke\0y\" \"v\"\n}\n", 13), std::string("\"ke\0y\" \"v\"\r\n}\r\n", 15)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertBytes(ConvertHlToQ3, c.input), c.output) << c.input;
}

TEST(HlToQ3, CrLfAndLfInputsGiveTheSameOutput) {
    const std::string map = "{\n\"classname\" \"worldspawn\"\n\"wad\" \"a.wad\"\n{\n" + kFace + "\n}\n}\n";
    std::string crlf;
    for (char c : map)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string expected = "{\r\n\"classname\" \"worldspawn\"\r\n{\r\n" + kFaceOut + "}\r\n}\r\n";
    EXPECT_EQ(ConvertBytes(ConvertHlToQ3, map), expected);
    EXPECT_EQ(ConvertBytes(ConvertHlToQ3, crlf), expected);
}

TEST(HlToQ3, EndOfTextByteEndsTheMap) {
    EXPECT_EQ(ConvertBytes(ConvertHlToQ3, "{\n}\x1A\n\"wad\" \"x\"\n"), "{\r\n}");
}

} // namespace
