// Files for engine tests: a scratch folder per test, whole-file reads and writes, and a
// conversion of bytes to bytes through real files.
#pragma once

#include "convert.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

inline std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder, removed with everything in it when the test ends.
class ScratchDir {
  public:
    ScratchDir() {
        const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
        static int made = 0;
        path_ = fs::temp_directory_path() / (std::string("korvale-") + test->test_suite_name() + "-" +
                                             test->name() + "-" + std::to_string(++made));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

using ConvertFunction = int (*)(const char*, const char*, ProgressTarget, ConvertStats*);

// Converts `input` through real files and returns the output's bytes.
inline std::string ConvertBytes(ConvertFunction convert, const std::string& input) {
    ScratchDir dir;
    WriteBytes(dir.File("in.map"), input);
    int result = convert(dir.File("in.map").c_str(), dir.File("out.map").c_str(), ProgressTarget{}, nullptr);
    EXPECT_EQ(result, CONVERT_OK);
    return ReadBytes(dir.File("out.map"));
}

// Records every position a run reports.
struct ProgressRecorder {
    std::vector<int> positions;
    static void Record(void* context, int position) {
        static_cast<ProgressRecorder*>(context)->positions.push_back(position);
    }
    ProgressTarget Target() { return ProgressTarget{Record, this}; }
};
