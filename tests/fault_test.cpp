// Faults injected through the real file system, and hostile paths. Each case runs a conversion
// against files in a bad state and checks its result code and every file afterwards: a case
// that must write nothing leaves the whole scratch folder as it was, byte for byte, and a case
// that converts writes its output and changes nothing else.
#include "convert.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#ifdef __linux__
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <thread>
#endif
#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

const std::string kMap =
    "{\n\"wad\" \"x\"\n( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) t [ 1 0 0 0 ] [ 0 1 0 0 ] 0 1 1\n}\n";
const std::string kConverted =
    "{\r\n( 1.0 2.0 3.0 ) ( 4.0 5.0 6.0 ) ( 7.0 8.0 9.0 ) base_wall/concrete 0 0 0 0 0 0 1 1\r\n}\r\n";
const std::string kOldOutput = "an older output that must survive\n";

// Every file, folder and link under `root`, each file with its size and bytes.
std::map<std::string, std::string> Tree(const fs::path& root) {
    std::map<std::string, std::string> tree;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).string();
        if (entry.is_symlink())
            tree[name] = "link to " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            tree[name] = "folder";
        else
            tree[name] = std::to_string(entry.file_size()) + " bytes: " + ReadBytes(entry.path());
    }
    return tree;
}

// Paths go to the engine as bytes, which it hands to the C library as they are; the cases make
// and check their files through the same library, so that a name means the same file to both
// wherever the file system's names are not bytes.
bool ReadNarrow(const std::string& path, std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes.clear();
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, got);
    std::fclose(file);
    return true;
}

void WriteNarrow(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

struct Paths {
    std::string input, output;
};

struct FaultCase {
    const char* protects;
    std::function<Paths(const ScratchDir&)> arrange; // makes the files, returns the two paths
    int result;
    bool converts; // the output holds the conversion; otherwise nothing at all is written
};

// Runs each case in a fresh folder; `convert` runs the conversion (as another user, when the
// case needs one).
void RunFaultCases(const std::vector<FaultCase>& cases,
                   const std::function<int(const std::string&, const std::string&)>& convert) {
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.protects);
        ScratchDir dir;
        const Paths paths = c.arrange(dir);
        const std::map<std::string, std::string> before = Tree(dir.path());
        std::string oldOutput, written;
        const bool outputExisted = c.converts && ReadNarrow(paths.output, oldOutput);
        EXPECT_EQ(convert(paths.input, paths.output), c.result);
        if (c.converts) {
            ASSERT_TRUE(ReadNarrow(paths.output, written)) << paths.output;
            EXPECT_EQ(written, kConverted);
            // Put the output back as it was, so that the whole folder can be compared.
            if (outputExisted)
                WriteNarrow(paths.output, oldOutput);
            else
                std::remove(paths.output.c_str());
        }
        EXPECT_EQ(Tree(dir.path()), before);
        // Give the owner back every right a case took away, so that the folder can go.
        std::error_code ignored;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir.path(), ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
}

int ConvertHere(const std::string& input, const std::string& output) {
    return ConvertHlToQ3(input.c_str(), output.c_str(), {});
}

// The path of `name` in the folder, its bytes as they are: the folder's own path is ASCII, and
// going through the file system's names could change the bytes of `name`.
std::string Named(const ScratchDir& dir, const std::string& name) {
    return dir.path().string() + "/" + name;
}

// A map at `name`, returned as a path.
std::string MapAt(const ScratchDir& dir, const std::string& name) {
    WriteNarrow(Named(dir, name), kMap);
    return Named(dir, name);
}

TEST(FaultInjection, FailuresLeaveEveryFileAsItWas) {
    const std::vector<FaultCase> cases = {
        {"a missing input leaves an existing output alone",
         [](const ScratchDir& d) {
             WriteBytes(d.File("out.map"), kOldOutput);
             return Paths{d.File("missing.map"), d.File("out.map")};
         },
         CONVERT_NO_INPUT, false},
        {"an input that is a folder leaves an existing output alone",
         [](const ScratchDir& d) {
             fs::create_directory(d.File("folder.map"));
             WriteBytes(d.File("out.map"), kOldOutput);
             return Paths{d.File("folder.map"), d.File("out.map")};
         },
#ifdef _WIN32
         CONVERT_NO_INPUT,
#else
         CONVERT_READ_FAILED,
#endif
         false},
        {"an output that is a folder keeps the folder and its files",
         [](const ScratchDir& d) {
             fs::create_directory(d.File("folder.map"));
             WriteBytes(d.File("folder.map/inside.map"), kOldOutput);
             return Paths{MapAt(d, "in.map"), d.File("folder.map")};
         },
         CONVERT_NO_OUTPUT, false},
        {"an output in a missing folder makes no folder",
         [](const ScratchDir& d) {
             return Paths{MapAt(d, "in.map"), d.File("missing/out.map")};
         },
         CONVERT_NO_OUTPUT, false},
        {"an output path that names a file as a folder writes nothing",
         [](const ScratchDir& d) {
             return Paths{MapAt(d, "in.map"), d.File("in.map/out.map")};
         },
         CONVERT_NO_OUTPUT, false},
        {"an existing output is replaced entirely",
         [](const ScratchDir& d) {
             WriteBytes(d.File("out.map"), std::string(100000, 'z'));
             return Paths{MapAt(d, "in.map"), d.File("out.map")};
         },
         CONVERT_OK, true},
    };
    RunFaultCases(cases, ConvertHere);
}

#ifndef _WIN32
TEST(FaultInjection, FullDiskIsReportedAndTheInputKept) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    RunFaultCases({{"a write that fails is reported, not taken for success",
                    [](const ScratchDir& d) {
                        return Paths{MapAt(d, "in.map"), "/dev/full"};
                    },
                    CONVERT_WRITE_FAILED, false}},
                  ConvertHere);
}

// Root may read and write whatever the permissions say, so the permission cases run in a
// child process as the user "nobody" when the tests run as root.
struct OtherUser {
    bool needed = geteuid() == 0;
    uid_t uid = 0;
    gid_t gid = 0;
    bool found = false;
    OtherUser() {
        if (const passwd* user = needed ? getpwnam("nobody") : nullptr) {
            uid = user->pw_uid;
            gid = user->pw_gid;
            found = true;
        }
    }
    // Gives a file or folder made by root to the user the conversion runs as.
    void Own(const std::string& path) const {
        if (needed) {
            ASSERT_EQ(chown(path.c_str(), uid, gid), 0) << path;
        }
    }
    int Convert(const std::string& input, const std::string& output) const {
        if (!needed)
            return ConvertHere(input, output);
        const pid_t child = fork();
        if (child == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
                _exit(1);
            _exit(100 + ConvertHere(input, output));
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) >= 90) << "the child could not become nobody";
        return WEXITSTATUS(status) - 100;
    }
};

TEST(FaultInjection, PermissionsAreHonoured) {
    const OtherUser user;
    if (user.needed && !user.found)
        GTEST_SKIP() << "running as root and there is no user \"nobody\" to run the permission cases as";
    // The folder each case works in belongs to the user the conversion runs as.
    auto folder = [&user](const ScratchDir& d) {
        fs::permissions(d.path(), fs::perms::others_exec, fs::perm_options::add);
        fs::create_directory(d.File("own"));
        user.Own(d.File("own"));
        return d.File("own/");
    };
    auto map = [&user](const std::string& path) {
        WriteBytes(path, kMap);
        user.Own(path);
        return path;
    };
    const std::vector<FaultCase> cases = {
        {"the user the cases run as can convert in its own folder",
         [&](const ScratchDir& d) {
             const std::string own = folder(d);
             return Paths{map(own + "in.map"), own + "out.map"};
         },
         CONVERT_OK, true},
        {"an unreadable input is refused and an existing output left alone",
         [&](const ScratchDir& d) {
             const std::string own = folder(d);
             const std::string input = map(own + "in.map");
             WriteBytes(own + "out.map", kOldOutput);
             user.Own(own + "out.map");
             chmod(input.c_str(), 0);
             return Paths{input, own + "out.map"};
         },
         CONVERT_NO_INPUT, false},
        {"an output in a read-only folder is refused",
         [&](const ScratchDir& d) {
             const std::string own = folder(d);
             const std::string input = map(own + "in.map");
             chmod(own.c_str(), 0555);
             return Paths{input, own + "out.map"};
         },
         CONVERT_NO_OUTPUT, false},
        {"a read-only output file is refused and keeps its bytes",
         [&](const ScratchDir& d) {
             const std::string own = folder(d);
             WriteBytes(own + "out.map", kOldOutput);
             user.Own(own + "out.map");
             chmod((own + "out.map").c_str(), 0444);
             return Paths{map(own + "in.map"), own + "out.map"};
         },
         CONVERT_NO_OUTPUT, false},
    };
    RunFaultCases(cases, [&user](const std::string& input, const std::string& output) {
        return user.Convert(input, output);
    });
}
#endif

// Paths of exactly `length` characters in the folder.
std::string PathOfLength(const ScratchDir& dir, std::size_t length) {
    const std::string folder = dir.File("");
    return folder + std::string(length - folder.size() - 4, 'p') + ".map";
}

TEST(HostilePaths, GiveClearResultsAndWriteNothingStray) {
    // Latin-1 e acute; UTF-8 e acute; a right single quote in the Windows code page 1252, whose
    // bytes 0x80 to 0x9F are no Latin-1 characters.
    const std::string latin1 = "caf\xE9 map", utf8 = "caf\xC3\xA9 map", quote = "Tom\x92s map";
    const std::vector<FaultCase> cases = {
        {"empty input path",
         [](const ScratchDir& d) {
             return Paths{"", Named(d, "out.map")};
         },
         CONVERT_NO_INPUT, false},
        {"empty output path",
         [](const ScratchDir& d) {
             return Paths{MapAt(d, "in.map"), ""};
         },
         CONVERT_NO_OUTPUT, false},
        {"both paths empty",
         [](const ScratchDir&) {
             return Paths{"", ""};
         },
         CONVERT_NO_INPUT, false},
        {"a 259-character input and a 260-character output",
         [](const ScratchDir& d) {
             const std::string input = PathOfLength(d, 259);
             WriteBytes(input, kMap);
             return Paths{input, PathOfLength(d, 260)};
         },
         CONVERT_OK, true},
        {"a 260-character input and a 259-character output",
         [](const ScratchDir& d) {
             const std::string input = PathOfLength(d, 260);
             WriteBytes(input, kMap);
             return Paths{input, PathOfLength(d, 259)};
         },
         CONVERT_OK, true},
        {"an output name longer than any file system allows",
         [](const ScratchDir& d) {
             return Paths{MapAt(d, "in.map"), Named(d, std::string(300, 'n') + ".map")};
         },
         CONVERT_NO_OUTPUT, false},
        {"an input path longer than any system allows",
         [](const ScratchDir& d) {
             return Paths{Named(d, std::string(5000, 'n')), Named(d, "out.map")};
         },
         CONVERT_NO_INPUT, false},
        {"spaces and a Latin-1 byte in both names",
         [&latin1](const ScratchDir& d) {
             return Paths{MapAt(d, "in " + latin1), Named(d, "out " + latin1)};
         },
         CONVERT_OK, true},
        {"spaces and UTF-8 in both names",
         [&utf8](const ScratchDir& d) {
             return Paths{MapAt(d, "in " + utf8), Named(d, "out " + utf8)};
         },
         CONVERT_OK, true},
        {"a code page byte that is no Latin-1 character in both names",
         [&quote](const ScratchDir& d) {
             return Paths{MapAt(d, "in " + quote), Named(d, "out " + quote)};
         },
         CONVERT_OK, true},
        {"the same code page name twice is the same file",
         [&quote](const ScratchDir& d) {
             return Paths{MapAt(d, quote), Named(d, quote)};
         },
         CONVERT_SAME_FILE, false},
        {"the same Latin-1 name twice is the same file",
         [&latin1](const ScratchDir& d) {
             return Paths{MapAt(d, latin1), Named(d, latin1)};
         },
         CONVERT_SAME_FILE, false},
        {"the same UTF-8 name, once through a folder and back, is the same file",
         [&utf8](const ScratchDir& d) {
             fs::create_directory(Named(d, utf8 + " folder"));
             return Paths{MapAt(d, utf8), Named(d, utf8 + " folder/../" + utf8)};
         },
         CONVERT_SAME_FILE, false},
        {"a Latin-1 name and a UTF-8 name are two files",
         [&latin1, &utf8](const ScratchDir& d) {
             return Paths{MapAt(d, latin1), Named(d, utf8)};
         },
         CONVERT_OK, true},
    };
    RunFaultCases(cases, ConvertHere);
}

#ifndef _WIN32
TEST(HostilePaths, SameFileThroughLinksWithHostileNames) {
    const std::string name = "caf\xE9 \xC3\xA9 map";
    const std::vector<FaultCase> cases = {
        {"a symbolic link with a non-ASCII name to the input",
         [&name](const ScratchDir& d) {
             const std::string input = MapAt(d, name);
             fs::create_symlink(input, Named(d, "link " + name));
             return Paths{input, Named(d, "link " + name)};
         },
         CONVERT_SAME_FILE, false},
        {"a hard link with a non-ASCII name to the input",
         [&name](const ScratchDir& d) {
             const std::string input = MapAt(d, name);
             fs::create_hard_link(input, Named(d, "hard " + name));
             return Paths{Named(d, "hard " + name), input};
         },
         CONVERT_SAME_FILE, false},
    };
    RunFaultCases(cases, ConvertHere);
}

// Lines enough that the input is far larger than what one read of it takes in.
std::string ManyLines(int from, int count) {
    std::string text;
    for (int i = from; i < from + count; ++i)
        text += "\"key\" \"line " + std::to_string(i) + "\"\n";
    return text;
}

std::string WithCrLf(const std::string& text) {
    std::string converted;
    for (char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
}

// The run reads its input twice: once to count the lines, once to convert them. The file can
// change under it between its reads; the result is defined all the same: the output holds the
// conversion of what the second pass read, and a second pass that read other lines than were
// counted is a read failure, never a success. The change is made from the progress report
// that follows the first lines of the second pass.
TEST(FaultInjection, InputChangingDuringTheRun) {
    constexpr int kLines = 160000; // about 4 MB
    const std::string original = ManyLines(0, kLines), half = ManyLines(0, kLines / 2);
    const std::string more = ManyLines(kLines, kLines / 4);
    const struct {
        const char* what;
        std::function<void(const std::string& path)> change;
        int result;
        std::string converted;    // what the output holds afterwards
        unsigned long long lines; // lines the second pass converts
        int lastPosition;
    } cases[] = {
        {"grown: the extra lines are converted too, progress stays at 100, the count is off",
         [&more](const std::string& path) { std::ofstream(path, std::ios::binary | std::ios::app) << more; },
         CONVERT_READ_FAILED, WithCrLf(original + more), kLines + kLines / 4, 100},
        {"cut to half: the lines left are converted, progress ends at half, the count is off",
         [&half](const std::string& path) { fs::resize_file(path, half.size()); }, CONVERT_READ_FAILED,
         WithCrLf(half), kLines / 2, 50},
        {"replaced by another file: the run goes on with the file it opened",
         [](const std::string& path) {
             WriteBytes(path + ".new", "\"other\" \"map\"\n");
             fs::rename(path + ".new", path);
         },
         CONVERT_OK, WithCrLf(original), kLines, 100},
        {"deleted: the run goes on with the file it opened",
         [](const std::string& path) { fs::remove(path); }, CONVERT_OK, WithCrLf(original), kLines, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const std::string input = dir.File("in.map");
        WriteBytes(input, original);
        struct Changer {
            std::function<void()> change;
            std::vector<int> positions;
        } changer{[&] { c.change(input); }, {}};
        ProgressTarget target{[](void* context, int position) {
                                  Changer& self = *static_cast<Changer*>(context);
                                  self.positions.push_back(position);
                                  if (position > 0 && self.change) {
                                      self.change();
                                      self.change = nullptr;
                                  }
                              },
                              &changer};
        ConvertStats stats{};
        EXPECT_EQ(ConvertHlToQ3(input.c_str(), dir.File("out.map").c_str(), target, &stats), c.result);
        EXPECT_EQ(stats.linesRead, c.lines);
        EXPECT_TRUE(ReadBytes(dir.File("out.map")) == c.converted) << "the output is not what the run read";
        ASSERT_FALSE(changer.positions.empty());
        EXPECT_EQ(changer.positions.back(), c.lastPosition);
        for (std::size_t i = 1; i < changer.positions.size(); ++i)
            EXPECT_LT(changer.positions[i - 1], changer.positions[i]);
    }
}
#endif

#ifdef __linux__
// True while a file of this process other than `except` has `path` open.
bool OpenHere(const fs::path& path, int except = -1) {
    std::error_code error;
    for (fs::directory_iterator fd("/proc/self/fd", error), end; !error && fd != end; fd.increment(error))
        if (fd->path().filename() != std::to_string(except) && fs::read_symlink(fd->path(), error) == path)
            return true;
    return false;
}

// Writes `bytes` into the FIFO for the next reader of this process, waiting at most ten
// seconds for one.
bool FeedFifo(const fs::path& fifo, const std::string& bytes) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int fd = -1;
    while ((fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) < 0) {
        if (errno != ENXIO || std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // The reader waiting in its open is let through now. Write only once its open has returned,
    // so that a reader still finishing the previous map cannot take these bytes as well.
    bool ready = true;
    while (ready && !OpenHere(fifo, fd)) {
        ready = std::chrono::steady_clock::now() < deadline;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    fcntl(fd, F_SETFL, 0);
    const bool written = ready && write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    close(fd);
    return written;
}

// The input changes between the two reads of the run: a FIFO gives the counting pass one map
// and the converting pass another. The output holds the conversion of the second; a second map
// with another number of lines is a read failure, one with as many lines as were counted
// converts as any map does.
TEST(FaultInjection, InputChangingBetweenThePasses) {
    const std::string counted = ManyLines(0, 1000);
    const struct {
        const char* what;
        std::string converted;
        int result;
    } cases[] = {
        {"more lines than were counted", ManyLines(0, 3000), CONVERT_READ_FAILED},
        {"fewer lines than were counted", ManyLines(0, 10), CONVERT_READ_FAILED},
        {"no line at all", "", CONVERT_READ_FAILED},
        {"as many lines as were counted, other ones", ManyLines(5000, 1000), CONVERT_OK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const fs::path fifo = dir.path() / "in.fifo";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        bool fed = false;
        std::thread feeder([&] {
            // The counting pass reads to the end of the first map, then closes the FIFO and
            // opens it again for the second pass, which then waits for the next map.
            fed = FeedFifo(fifo, counted);
            while (fed && OpenHere(fifo))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            fed = fed && FeedFifo(fifo, c.converted);
        });
        ProgressRecorder progress;
        const int result = ConvertHlToQ3(fifo.c_str(), dir.File("out.map").c_str(), progress.Target());
        feeder.join();
        ASSERT_TRUE(fed) << "the run did not open the FIFO twice";
        EXPECT_EQ(result, c.result);
        EXPECT_TRUE(ReadBytes(dir.File("out.map")) == WithCrLf(c.converted))
            << "the output is not the second map";
        EXPECT_LE(progress.positions.back(), 100);
    }
}
#endif

} // namespace
