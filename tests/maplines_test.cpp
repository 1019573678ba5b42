#include "maplines.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadAllLines(const std::string& bytes) {
    ScratchDir dir;
    WriteBytes(dir.File("in.map"), bytes);
    MapInput* input = OpenMapInput(dir.File("in.map").c_str());
    EXPECT_NE(input, nullptr);
    std::vector<std::string> lines;
    MapLine line;
    while (ReadMapLine(*input, line))
        lines.emplace_back(line.text, line.length);
    EXPECT_FALSE(ReadMapLine(*input, line)) << "the end stays the end";
    CloseMapFile(input);
    input = OpenMapInput(dir.File("in.map").c_str());
    EXPECT_EQ(CountMapLines(*input), lines.size()) << "the counting pass sees the same lines";
    CloseMapFile(input);
    return lines;
}

std::string S(const char* bytes, std::size_t length) {
    return std::string(bytes, length);
}

struct LineCase {
    const char* what;
    std::string input;
    std::vector<std::string> lines;
};

TEST(ReadMapLine, DeliversLinesByTheLineEndRules) {
    const LineCase cases[] = {
        {"LF lines", "a\nb\n", {"a\n", "b\n"}},
        {"CR LF becomes LF", "a\r\nb\r\n", {"a\n", "b\n"}},
        {"last line without a line end", "a\nb", {"a\n", "b"}},
        {"empty file has no line", "", {}},
        {"a lone line end is one line", "\n", {"\n"}},
        {"CR CR LF keeps the first CR", "a\r\r\n", {"a\r\n"}},
        {"a lone CR stays inside the line", "a\rb\n", {"a\rb\n"}},
        {"a CR as the last byte stays", "a\r", {"a\r"}},
        {"0x1A ends the input mid-line",
         "ab\x1A"
         "cd\nef\n",
         {"ab"}},
        {"0x1A after a line end", "a\n\x1A\nb\n", {"a\n"}},
        {"0x1A between CR and LF", "a\r\x1A\n", {"a\r"}},
        {"NUL is an ordinary byte", S("a\0b\n\0\n", 6), {S("a\0b\n", 4), S("\0\n", 2)}},
        {"bytes 0x80 to 0xFF pass", "\xA0\xFF\n", {"\xA0\xFF\n"}},
    };
    for (const LineCase& c : cases)
        EXPECT_EQ(ReadAllLines(c.input), c.lines) << c.what;
}

TEST(ReadMapLine, ReadsLongLinesWhole) {
    // Longer than any read buffer, with the CR of its CR LF at a refill boundary too.
    for (std::size_t length : {std::size_t{1} << 18, (std::size_t{1} << 18) - 1, std::size_t{3} << 20}) {
        std::string longLine(length, 'x');
        std::vector<std::string> lines = ReadAllLines("short\n" + longLine + "\r\nafter");
        ASSERT_EQ(lines.size(), 3u) << length;
        EXPECT_EQ(lines[0], "short\n");
        EXPECT_EQ(lines[1], longLine + "\n");
        EXPECT_EQ(lines[2], "after");
    }
}

TEST(ReadMapLine, ManyLinesAcrossBufferRefills) {
    std::string input;
    std::vector<std::string> expected;
    for (int i = 0; i < 100000; ++i) {
        std::string text = "line " + std::to_string(i) + std::string(i % 37, '.');
        input += text + (i % 3 ? "\r\n" : "\n");
        expected.push_back(text + "\n");
    }
    EXPECT_EQ(ReadAllLines(input), expected);
}

TEST(OpenMapInput, MissingFileGivesNoStream) {
    ScratchDir dir;
    EXPECT_EQ(OpenMapInput(dir.File("missing.map").c_str()), nullptr);
    EXPECT_EQ(OpenMapInput(""), nullptr);
}

TEST(StripLeadingSpaces, RemovesOnlyLeadingSpaces) {
    const struct {
        const char* line;
        const char* stripped;
    } cases[] = {
        {"   ( 1 2 3 )\n", "( 1 2 3 )\n"},
        {"\t  \"wad\" \"x\"\n", "\t  \"wad\" \"x\"\n"},
        {"  \t x\n", "\t x\n"},
        {"    \n", "\n"},
        {"   ", ""},
        {"\r\n", "\r\n"},
        {"x  \n", "x  \n"},
    };
    for (const auto& c : cases) {
        MapLine line{c.line, std::strlen(c.line)};
        StripLeadingSpaces(line);
        EXPECT_EQ(std::string(line.text, line.length), c.stripped) << '"' << c.line << '"';
    }
}

MapLine Line(const std::string& text) {
    return MapLine{text.data(), text.size()};
}

constexpr float kUnset = -999.0f;

// Scans a Quake 3 face line into 17 fields that start out as kUnset.
std::vector<float> ScanQ3Face(const std::string& text) {
    std::vector<float> f(17, kUnset);
    ScanMapLine(Line(text), kQ3FaceIn,
                {&f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7], &f[8], &f[9], &f[10], &f[11], &f[12],
                 &f[13], &f[14], &f[15], &f[16]});
    return f;
}

std::vector<float> Fields(std::vector<float> read) {
    read.resize(17, kUnset);
    return read;
}

TEST(ScanMapLine, FillsFieldsUntilTheLineStopsFittingTheTemplate) {
    const struct {
        const char* what;
        std::string line;
        std::vector<float> fields;
    } cases[] = {
        {"a whole face",
         "( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) tex 1 2 3 4 5 6 7 8\n",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3, 4, 5, 6, 7, 8}},
        {"tabs and runs of spaces read as single spaces",
         "(\t1  2\t3 )   (4 5 6)\t(7 8 9) tex\t1 2 3 4 5 6 7 8",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3, 4, 5, 6, 7, 8}},
        {"no space needed around parentheses", "(64 -64 64)(64 64 64)", {64, -64, 64, 64, 64, 64}},
        {"a line that ends early", "( 0 0 0 ) ( 0 1 0 )", {0, 0, 0, 0, 1, 0}},
        {"a mismatch stops the scan", "( 1 2 3 ] ( 4 5 6 )", {1, 2, 3}},
        {"white space before the first parenthesis does not match", " ( 1 2 3 )", {}},
        {"a malformed number stops the scan", "( 1 inf 3 )", {1}},
        {"a number stops where its text stops", "( 1,5 2 3 )", {1}},
        {"hex is not a float: 0x10 reads 0", "( 0x10 2 3 )", {0}},
        {"a texture token takes every non-space byte",
         "( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) A\xA0"
         "B 1 2",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2}},
        {"a vertical tab or a form feed ends the token",
         "( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) A\vB 1 2",
         {1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"NUL belongs to the token",
         S("( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) A\0B 1 2", 37),
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2}},
        {"text after the template is ignored",
         "( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) t 1 2 3 4 5 6 7 8 9 // x",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScanQ3Face(c.line), Fields(c.fields)) << c.what;
}

TEST(ScanMapLine, TextureNameRunsIntoABracket) {
    float f[20];
    std::fill(std::begin(f), std::end(f), kUnset);
    ScanMapLine(Line("( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) TEX[ 1 0 0 0 ] [ 0 1 0 0 ] 0 1 1"), kHlFaceIn,
                {&f[0],  &f[1],  &f[2],  &f[3],  &f[4],  &f[5],  &f[6],  &f[7],  &f[8],  &f[9],
                 &f[10], &f[11], &f[12], &f[13], &f[14], &f[15], &f[16], &f[17], &f[18], &f[19]});
    EXPECT_EQ(f[8], 9.0f);
    EXPECT_EQ(f[9], kUnset) << "the token took the bracket, so the template's bracket fails";
}

TEST(ScanMapLine, LightValueForms) {
    const struct {
        std::string line;
        std::int32_t value;
    } cases[] = {
        {"\"light\" \"300\"\n", 300},    {"\"light\"\t\"300\"", 300},
        {"\"light\"\"300\"", 300},       {"\"light\" \"  77\"", 77},
        {"\"light\" \"300\"", 300},      {"\"light\" \"0x12C\"", 300},
        {"\"light\" \"0300\"", 192},     {"\"light\" \"-50\"", -50},
        {"\"light\" \"300.5\"", 300},    {"\"light\" \"\"", -1},
        {"\"lightJunior\" \"5\"", -1},   {"\"light\" \"0x \"", -1},
        {"\"light\" \"4294967297\"", 1}, {"\"light\" \"2147483648\"", -2147483647 - 1},
    };
    for (const auto& c : cases) {
        std::int32_t value = -1;
        ScanMapLine(Line(c.line), kQ3LightOut, {&value});
        EXPECT_EQ(value, c.value) << c.line;
    }
}

std::string Written(void (*write)(MapOutput&)) {
    ScratchDir dir;
    MapOutput* output = OpenMapOutput(dir.File("out.map").c_str());
    EXPECT_NE(output, nullptr);
    write(*output);
    EXPECT_TRUE(CloseMapFile(output));
    return ReadBytes(dir.File("out.map"));
}

TEST(WriteMapLine, LineEndsReachTheFileAsCrLf) {
    EXPECT_EQ(Written([](MapOutput& out) {
                  WriteMapLine(out, kQ3LightOut, {std::int32_t{300}});
                  WriteMapLine(out, kHlLightOut, {std::int32_t{-2147483647 - 1}});
              }),
              "\"light\" \"300\"\r\n\"_light\" \"255 255 255 -2147483648\"\r\n");
}

TEST(WriteMapLine, CopiesLinesByteForByte) {
    static const std::string lines[] = {"a\rb\n", "x\r\n", S("a\0b\n", 4), "\xA0\xFF", "\n", ""};
    EXPECT_EQ(Written([](MapOutput& out) {
                  for (const std::string& text : lines)
                      WriteMapLine(out, kCopyLine, {Line(text)});
              }),
              S("a\rb\r\nx\r\r\na\0b\r\n\xA0\xFF\r\n", 18));
}

TEST(WriteMapLine, RendersEachItemWithItsDecimals) {
    EXPECT_EQ(Written([](MapOutput& out) {
                  WriteMapLine(out, kHlFaceOut,
                               {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0, 0.5, -0.25, 90.0, 2.5, -0.5});
              }),
              "( 1.0 2.0 3.0 ) ( 4.0 5.0 6.0 ) ( 7.0 8.0 9.0 ) CRETE4_WALL01 [ 0 0 0 0.500 ] [ 0 0 0 -0.250 "
              "] 90 3 -1\r\n");
    EXPECT_EQ(Written([](MapOutput& out) {
                  WriteMapLine(out, kQ3ColorOut, {1.0, 0.5, 0.0});
              }),
              "\"_color\" \"1.000000 0.500000 0.000000\"\r\n");
}

TEST(WriteMapLine, LongCopiedLinesAreWrittenWhole) {
    static const std::string text = std::string(3 << 20, 'y') + "\n";
    EXPECT_EQ(Written([](MapOutput& out) { WriteMapLine(out, kCopyLine, {Line(text)}); }),
              std::string(3 << 20, 'y') + "\r\n");
}

} // namespace
