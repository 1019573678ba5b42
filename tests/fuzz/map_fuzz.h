// The checks of the two direction fuzz targets. A fuzz input is a map file: it is written to a
// real file, read with the real line reader, and each line goes through the direction's
// per-line step into a real output file. Then every line's output is checked, the whole
// conversion run must write the same bytes, and the faces written must survive the way back.
// A broken check prints what broke and aborts, so libFuzzer keeps the input.
#pragma once

#include "convert.h"
#include "maplines.h"
#include "round_trip.h"
#include "run.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace map_fuzz {

namespace fs = std::filesystem;

using ConvertFunction = int (*)(const char*, const char*, ProgressTarget, ConvertStats*);

// No line's rewrite is longer than this: a face line is 14 numbers of at most 42 characters
// (sign, the 39 digits of the largest single, point, one decimal) and about 60 fixed ones.
constexpr std::size_t kMaxRewrittenLine = 1024;

inline std::string Visible(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            text += escaped;
        }
        if (text.size() > 2000)
            return text + "...";
    }
    return text;
}

[[noreturn]] inline void Broken(const char* what, const std::string& line, const std::string& written) {
    std::fprintf(stderr, "\nbroken: %s\n  line:    %s\n  written: %s\n", what, Visible(line).c_str(),
                 Visible(written).c_str());
    std::abort();
}

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The files of one fuzzing process, in a folder of its own under the temporary folder.
struct Files {
    fs::path folder;
    Files() {
        std::random_device random;
        folder = fs::temp_directory_path() / ("korvale-fuzz-" + std::to_string(random()));
        fs::create_directories(folder);
    }
    ~Files() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    std::string operator()(const char* name) const { return (folder / name).string(); }
};

inline const Files& Scratch() {
    static const Files files;
    return files;
}

// Matches one number item of a write template at `at`: "-" when negative, the integer part
// without leading zeros, and for "%.Nf" a point and exactly N decimals ("%f": 6).
inline bool MatchNumber(const std::string& text, std::size_t& at, const char*& item) {
    int decimals = -1;
    std::size_t maxDigits = 10; // "%i": a signed 32-bit integer
    if (item[1] == 'f') {
        decimals = 6;
        maxDigits = 39;
        item += 2;
    } else if (item[1] == '.') {
        decimals = item[2] - '0';
        maxDigits = 39;
        item += 4;
    } else {
        item += 2;
    }
    if (at < text.size() && text[at] == '-')
        ++at;
    const std::size_t first = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
        ++at;
    const std::size_t digits = at - first;
    if (digits == 0 || digits > maxDigits || (digits > 1 && text[first] == '0'))
        return false;
    if (decimals <= 0)
        return true;
    if (at >= text.size() || text[at] != '.')
        return false;
    for (int i = 0; i < decimals; ++i)
        if (++at >= text.size() || text[at] < '0' || text[at] > '9')
            return false;
    ++at;
    return true;
}

// True when `written` is the write templates rendered one after the other: their fixed text
// as it stands, each line end as CR LF, each number item a well-formed number. The number
// texts go to `numbers`, in order.
inline bool Rendered(const std::string& written, const std::vector<const char*>& templates,
                     std::vector<std::string>& numbers) {
    std::size_t at = 0;
    for (const char* t : templates) {
        while (*t) {
            if (*t == '%') {
                const std::size_t from = at;
                if (!MatchNumber(written, at, t))
                    return false;
                numbers.push_back(written.substr(from, at - from));
            } else if (*t == '\n') {
                if (written.compare(at, 2, "\r\n") != 0)
                    return false;
                at += 2;
                ++t;
            } else {
                if (at >= written.size() || written[at] != *t)
                    return false;
                ++at;
                ++t;
            }
        }
    }
    return at == written.size();
}

// The lines the reader must deliver, leading spaces removed: the bytes before the first 0x1A,
// cut after each LF, with each CR LF as one LF.
inline std::vector<std::string> ExpectedLines(const std::string& bytes) {
    const std::string text = bytes.substr(0, bytes.find('\x1A'));
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        line += text[i];
        if (text[i] == '\n') {
            lines.push_back(line);
            line.clear();
        }
    }
    if (!line.empty())
        lines.push_back(line);
    for (std::string& l : lines)
        l.erase(0, std::min(l.find_first_not_of(' '), l.size()));
    return lines;
}

// The line as its copy must be written: each LF as CR LF.
inline std::string Copied(const std::string& line) {
    std::string copy;
    for (char c : line) {
        if (c == '\n')
            copy += '\r';
        copy += c;
    }
    return copy;
}

// The checks of one direction.
struct Direction {
    ConvertFunction convert;
    ConvertFunction back;           // the other direction, for the faces written
    std::vector<const char*> face;  // the templates of a face's rewrite
    std::vector<const char*> light; // the templates of a light key's rewrite
    // What the face written, and the face the way back wrote from it, must share: empty when
    // all of it came back.
    std::string (*faceCameBack)(const std::string& written, const std::string& back);
};

struct Progress {
    std::vector<int> positions;
    static void Record(void* context, int position) {
        static_cast<Progress*>(context)->positions.push_back(position);
    }
};

// What one line wrote: the bytes from..to of the step's output.
struct LineOutput {
    std::string line; // after its leading spaces are removed
    LineAction action;
    std::size_t from, to;
};

inline void CheckLineOutput(const Direction& d, const LineOutput& l, const std::string& written, bool last,
                            std::string& faces) {
    const bool hasLineEnd = !l.line.empty() && l.line.back() == '\n';
    if (!l.line.empty() && l.line[0] == ' ')
        Broken("a line reached its step with a leading space", l.line, written);
    if ((l.action == LineAction::FaceRewritten) != (!l.line.empty() && l.line[0] == '('))
        Broken("a line is a face exactly when it starts with (", l.line, written);
    std::size_t lineEnds = 0;
    for (std::size_t at = written.find('\n'); at != std::string::npos; at = written.find('\n', at + 1))
        ++lineEnds;
    if (lineEnds > 3)
        Broken("no line is written as more than three lines", l.line, written);
    std::vector<std::string> numbers;
    switch (l.action) {
    case LineAction::Copied:
        if (written != Copied(l.line))
            Broken("a copy is the line with each LF as CR LF", l.line, written);
        if (!hasLineEnd && !last)
            Broken("only the last line lacks a line end", l.line, written);
        return;
    case LineAction::Dropped:
        if (!written.empty())
            Broken("a dropped line writes nothing", l.line, written);
        return;
    case LineAction::FaceRewritten:
        if (written.size() > kMaxRewrittenLine || !Rendered(written, d.face, numbers))
            Broken("a face is written as one line of its template", l.line, written);
        faces += written;
        return;
    case LineAction::LightRewritten:
        if (written.size() > kMaxRewrittenLine || !Rendered(written, d.light, numbers))
            Broken("a light key is written as the lines of its templates", l.line, written);
        if (numbers.size() == 5 && numbers[0] != numbers[4])
            Broken("\"light\" and \"radius\" carry the same brightness", l.line, written);
        return;
    }
    Broken("a step returned no action", l.line, written);
}

// Runs the fuzz input as a map through `step`, line by line, then through the whole run.
template <typename State>
void FuzzMap(const std::uint8_t* data, std::size_t size,
             LineAction (*step)(const MapLine&, MapOutput&, State&), const Direction& d) {
    const Files& files = Scratch();
    const std::string in = files("in.map"), stepped = files("stepped.map"), run = files("run.map");
    WriteFile(in, std::string(reinterpret_cast<const char*>(data), size));

    MapInput* input = OpenMapInput(in.c_str());
    MapOutput* output = OpenMapOutput(stepped.c_str());
    if (!input || !output)
        Broken("the scratch files open", "", files.folder.string());
    State state{};
    std::vector<LineOutput> lines;
    MapLine line;
    // The output file is not buffered by the C library: its length plus what the stream holds
    // is where the next byte goes.
    auto written = [&] { return static_cast<std::size_t>(std::ftell(output->file)) + output->used; };
    while (ReadMapLine(*input, line)) {
        StripLeadingSpaces(line);
        const std::size_t from = written();
        const LineAction action = step(line, *output, state);
        lines.push_back({std::string(line.text, line.length), action, from, written()});
    }
    CloseMapFile(input);
    if (!CloseMapFile(output))
        Broken("the stepped output is written", "", stepped);

    const std::vector<std::string> expected = ExpectedLines(ReadFile(in));
    if (lines.size() != expected.size())
        Broken("the reader delivers every line once", "", std::to_string(lines.size()) + " lines");
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].line != expected[i])
            Broken("the reader delivers each line as the file holds it", expected[i], lines[i].line);

    const std::string bytes = ReadFile(stepped);
    std::string faces;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineOutput& l = lines[i];
        CheckLineOutput(d, l, bytes.substr(l.from, l.to - l.from), i + 1 == lines.size(), faces);
    }

    Progress progress;
    ConvertStats stats{};
    if (d.convert(in.c_str(), run.c_str(), ProgressTarget{Progress::Record, &progress}, &stats) != CONVERT_OK)
        Broken("the run converts any map", "", "");
    if (ReadFile(run) != bytes)
        Broken("the run writes what its steps wrote", "", ReadFile(run));
    if (stats.linesRead != lines.size())
        Broken("the run hands every line to its step once", "", std::to_string(stats.linesRead));
    const std::vector<int>& p = progress.positions;
    if (p.empty() || p[0] != 0 || (!lines.empty() && p.back() != 100))
        Broken("progress starts at 0 and ends at 100", "", "");
    for (std::size_t i = 1; i < p.size(); ++i)
        if (p[i] <= p[i - 1] || p[i] > 100)
            Broken("progress only rises, up to 100", "", std::to_string(p[i]));

    if (faces.empty())
        return;
    const std::string facesPath = files("faces.map"), backPath = files("back.map");
    WriteFile(facesPath, faces);
    if (d.back(facesPath.c_str(), backPath.c_str(), ProgressTarget{}, nullptr) != CONVERT_OK)
        Broken("the faces written convert back", faces, "");
    const std::string back = ReadFile(backPath);
    std::size_t atFace = 0, atBack = 0;
    while (atFace < faces.size()) {
        const std::size_t faceEnd = faces.find("\r\n", atFace), backEnd = back.find("\r\n", atBack);
        if (backEnd == std::string::npos)
            Broken("each face written comes back as one face", faces, back);
        const std::string face = faces.substr(atFace, faceEnd - atFace);
        const std::string came = back.substr(atBack, backEnd - atBack);
        const std::string lost = d.faceCameBack(face, came);
        if (!lost.empty())
            Broken(lost.c_str(), face, came);
        atFace = faceEnd + 2;
        atBack = backEnd + 2;
    }
    if (atBack != back.size())
        Broken("the way back writes one face per face", faces, back);
}

} // namespace map_fuzz
