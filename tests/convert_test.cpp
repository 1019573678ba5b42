#include "convert.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

std::string Lines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "\"key\" \"" + std::to_string(i) + "\"\n";
    return text;
}

TEST(ProgressPosition, IsTheWholePercentOfLinesDone) {
    const struct {
        unsigned long long processed, total;
        int position;
    } cases[] = {
        {1, 1, 100},
        {1, 200, 0},
        {2, 200, 1},
        {29, 200, 14},
        {199, 200, 99},
        {200, 200, 100},
        {1, 7, 14},
        {3, 7, 42},
        {4, 7, 57},
        {6, 7, 85},
        {7, 7, 100},
        {1, 3, 33},
        {2, 3, 66},
        {8, 7, 100}, // the file grew between the passes
        {4000000000ull, 4000000001ull, 99},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressPosition(c.processed, c.total), c.position) << c.processed << " of " << c.total;
}

TEST(ConvertRun, ReportsZeroFirstThenEachNewPositionUpTo100) {
    const struct {
        int lines;
        std::vector<int> positions;
    } cases[] = {
        {0, {0}},
        {1, {0, 100}},
        {7, {0, 14, 28, 42, 57, 71, 85, 100}},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        WriteBytes(dir.File("in.map"), Lines(c.lines));
        ProgressRecorder recorder;
        EXPECT_EQ(ConvertHlToQ3(dir.File("in.map").c_str(), dir.File("out.map").c_str(), recorder.Target()),
                  CONVERT_OK);
        EXPECT_EQ(recorder.positions, c.positions) << c.lines << " lines";
    }
}

TEST(ConvertRun, ProgressOfALongFileVisitsEveryPositionOnce) {
    ScratchDir dir;
    WriteBytes(dir.File("in.map"), Lines(200) + "no line end");
    ProgressRecorder recorder;
    ASSERT_EQ(ConvertQ3ToHl(dir.File("in.map").c_str(), dir.File("out.map").c_str(), recorder.Target()),
              CONVERT_OK);
    std::vector<int> expected;
    for (int i = 0; i <= 100; ++i)
        expected.push_back(i);
    EXPECT_EQ(recorder.positions, expected);
}

TEST(ConvertRun, CountsWhatItDidWithEachLine) {
    ScratchDir dir;
    WriteBytes(dir.File("in.map"),
               "{\n\"wad\" \"x\"\n\"_light\" \"1 2 3 4\"\n( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) t\n}");
    ConvertStats stats{};
    ASSERT_EQ(ConvertHlToQ3(dir.File("in.map").c_str(), dir.File("out.map").c_str(), {}, &stats), CONVERT_OK);
    EXPECT_EQ(stats.linesRead, 5u);
    EXPECT_EQ(stats.facesRewritten, 1u);
    EXPECT_EQ(stats.lightsRewritten, 1u);
    EXPECT_EQ(stats.linesDropped, 1u);
    EXPECT_EQ(stats.linesCopied, 2u);
}

TEST(ConvertRun, MissingInputCreatesNoOutput) {
    ScratchDir dir;
    ProgressRecorder recorder;
    EXPECT_EQ(ConvertHlToQ3(dir.File("missing.map").c_str(), dir.File("out.map").c_str(), recorder.Target()),
              CONVERT_NO_INPUT);
    EXPECT_FALSE(fs::exists(dir.File("out.map")));
    EXPECT_EQ(recorder.positions, std::vector<int>{0});
    EXPECT_EQ(ConvertQ3ToHl("", dir.File("out.map").c_str(), {}), CONVERT_NO_INPUT);
}

TEST(ConvertRun, OutputThatCannotBeOpened) {
    ScratchDir dir;
    WriteBytes(dir.File("in.map"), "{\n}\n");
    EXPECT_EQ(ConvertHlToQ3(dir.File("in.map").c_str(), dir.File("no/such/dir/out.map").c_str(), {}),
              CONVERT_NO_OUTPUT);
    EXPECT_EQ(ConvertHlToQ3(dir.File("in.map").c_str(), dir.path().string().c_str(), {}), CONVERT_NO_OUTPUT);
    EXPECT_EQ(ConvertHlToQ3(dir.File("in.map").c_str(), "", {}), CONVERT_NO_OUTPUT);
}

TEST(ConvertRun, ReplacesALongerOutputEntirely) {
    ScratchDir dir;
    WriteBytes(dir.File("in.map"), "{\n}\n");
    WriteBytes(dir.File("out.map"), std::string(10000, 'z'));
    ASSERT_EQ(ConvertHlToQ3(dir.File("in.map").c_str(), dir.File("out.map").c_str(), {}), CONVERT_OK);
    EXPECT_EQ(ReadBytes(dir.File("out.map")), "{\r\n}\r\n");
}

TEST(ConvertRun, SecondRunStartsAfresh) {
    ScratchDir dir;
    WriteBytes(dir.File("in.map"), "\"_light\" \"255 0 0 100\"\n");
    ASSERT_EQ(ConvertHlToQ3(dir.File("in.map").c_str(), dir.File("out.map").c_str(), {}), CONVERT_OK);
    // A light line that reads nothing shows the starting values, not the first run's.
    WriteBytes(dir.File("in.map"), "\"_light\" \"\"\n");
    ProgressRecorder recorder;
    ASSERT_EQ(ConvertHlToQ3(dir.File("in.map").c_str(), dir.File("out.map").c_str(), recorder.Target()),
              CONVERT_OK);
    EXPECT_EQ(ReadBytes(dir.File("out.map")),
              "\"light\" \"0\"\r\n\"_color\" \"0.000000 0.000000 0.000000\"\r\n\"radius\" \"0\"\r\n");
    EXPECT_EQ(recorder.positions, (std::vector<int>{0, 100}));
}

// Whatever path names the input, the output is refused before it is opened, so the input
// keeps every byte.
TEST(ConvertRun, RefusesToWriteOverTheInput) {
    ScratchDir dir;
    const std::string map = "{\n( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) t [ 1 0 0 0 ] [ 0 1 0 0 ] 0 1 1\n}\n";
    fs::create_directories(dir.path() / "sub");
    WriteBytes(dir.File("in.map"), map);
    std::vector<std::string> outputs = {dir.File("in.map"), dir.File("sub/../in.map")};
    // No relative path leads to another drive.
    const std::string relative = fs::relative(dir.File("in.map"), fs::current_path()).string();
    if (!relative.empty())
        outputs.push_back(relative);
    std::error_code error;
    fs::create_hard_link(dir.File("in.map"), dir.File("hard.map"), error);
    if (!error)
        outputs.push_back(dir.File("hard.map"));
    fs::create_symlink(dir.File("in.map"), dir.File("link.map"), error);
    if (!error) // Windows may not allow symbolic links
        outputs.push_back(dir.File("link.map"));
    for (const std::string& output : outputs) {
        EXPECT_EQ(ConvertHlToQ3(dir.File("in.map").c_str(), output.c_str(), {}), CONVERT_SAME_FILE) << output;
        EXPECT_EQ(ConvertQ3ToHl(output.c_str(), dir.File("in.map").c_str(), {}), CONVERT_SAME_FILE) << output;
        EXPECT_EQ(ReadBytes(dir.File("in.map")), map);
    }
}

TEST(ConvertRun, FailedWritesAreReported) {
    ScratchDir dir;
    WriteBytes(dir.File("small.map"), "{\n}\n");
    WriteBytes(dir.File("large.map"), Lines(100000));
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    // Small output fails at the final flush, large output while converting.
    EXPECT_EQ(ConvertHlToQ3(dir.File("small.map").c_str(), "/dev/full", {}), CONVERT_WRITE_FAILED);
    EXPECT_EQ(ConvertQ3ToHl(dir.File("large.map").c_str(), "/dev/full", {}), CONVERT_WRITE_FAILED);
}

TEST(ConvertRun, FailedReadsAreReported) {
    ScratchDir dir;
#ifdef _WIN32
    // A folder cannot be opened as a file at all.
    EXPECT_EQ(ConvertHlToQ3(dir.path().string().c_str(), dir.File("out.map").c_str(), {}), CONVERT_NO_INPUT);
#else
    // A folder opens for reading, but reading it fails.
    EXPECT_EQ(ConvertHlToQ3(dir.path().string().c_str(), dir.File("out.map").c_str(), {}),
              CONVERT_READ_FAILED);
#endif
}

#ifndef _WIN32
TEST(ConvertRun, InputThatCannotBeReadTwiceIsAFailure) {
    // A pipe gives its lines to the counting pass only; the second pass finds it empty.
    ScratchDir dir;
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const std::string map = Lines(10);
    ASSERT_EQ(write(ends[1], map.data(), map.size()), static_cast<ssize_t>(map.size()));
    close(ends[1]);
    const std::string path = "/dev/fd/" + std::to_string(ends[0]);
    EXPECT_EQ(ConvertHlToQ3(path.c_str(), dir.File("out.map").c_str(), {}), CONVERT_READ_FAILED);
    close(ends[0]);
}
#endif

TEST(ResultMessages, EveryResultHasItsMessage) {
    const struct {
        int result;
        const char* text;
        const char* caption;
    } cases[] = {
        {CONVERT_OK, "Map processed Successfully!", "Success!"},
        {CONVERT_NO_INPUT, "Cannot open input file for reading!", "Error!"},
        {CONVERT_NO_OUTPUT, "Cannot open output file for writing!", "Error!"},
        {CONVERT_SAME_FILE, "Input and output are the same file!", "Error!"},
        {CONVERT_WRITE_FAILED, "Cannot write output file!", "Error!"},
        {CONVERT_READ_FAILED, "Cannot read input file!", "Error!"},
    };
    for (const auto& c : cases) {
        const ResultMessage* message = FindResultMessage(c.result);
        ASSERT_NE(message, nullptr) << c.result;
        EXPECT_STREQ(message->text, c.text);
        EXPECT_STREQ(message->caption, c.caption);
        EXPECT_EQ(message->isError, c.result != CONVERT_OK);
    }
    EXPECT_EQ(FindResultMessage(1), nullptr);
}

} // namespace
