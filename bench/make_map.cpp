// make_map: writes a deterministic, face-heavy map of either dialect for the benchmark.
//
//   make_map hl|q3 MEGABYTES OUTPUT
//
// The map is a world entity with a few keys, then brush entities of 6-face brushes and light
// entities, until it holds at least MEGABYTES * 10^6 bytes. The numbers vary the way editors
// write them: mostly whole grid coordinates, some halves and quarters, unit and diagonal axes,
// tiny rounding remainders, long float-derived decimals. The same arguments always give the
// same bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// splitmix64: small, fast and the same on every platform.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A whole number in [0, n).
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    template <std::size_t N> const char* Pick(const char* const (&texts)[N]) { return texts[Below(N)]; }

  private:
    std::uint64_t state_;
};

class MapWriter {
  public:
    explicit MapWriter(std::FILE* file, const char* lineEnd) : file_(file), lineEnd_(lineEnd) {
        text_.reserve(kFlushAt + 4096);
    }
    ~MapWriter() { Flush(); }

    MapWriter& operator<<(const char* text) {
        text_ += text;
        return *this;
    }
    MapWriter& operator<<(int v) {
        char digits[16];
        int n = 0;
        unsigned magnitude = v < 0 ? 0u - static_cast<unsigned>(v) : static_cast<unsigned>(v);
        do {
            digits[n++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude);
        if (v < 0)
            text_ += '-';
        while (n > 0)
            text_ += digits[--n];
        return *this;
    }
    void EndLine() {
        text_ += lineEnd_;
        if (text_.size() >= kFlushAt)
            Flush();
    }
    std::uint64_t written() const { return written_ + text_.size(); }

  private:
    static constexpr std::size_t kFlushAt = 1 << 20;
    void Flush() {
        if (!text_.empty() && std::fwrite(text_.data(), 1, text_.size(), file_) != text_.size()) {
            std::perror("make_map: write");
            std::exit(1);
        }
        written_ += text_.size();
        text_.clear();
    }

    std::FILE* file_;
    const char* lineEnd_;
    std::string text_;
    std::uint64_t written_ = 0;
};

// A coordinate: on a 16-unit grid mostly, on a finer one sometimes.
void Coordinate(MapWriter& out, Random& r) {
    int whole = r.Below(513) * 16 - 4096;
    int kind = r.Below(20);
    if (kind < 15) {
        out << whole;
        return;
    }
    static const char* const kFractions[] = {".5", ".25", ".75", ".125", ".375", ".0625"};
    if (whole == 0 && r.Below(2))
        out << "-";
    out << (whole + r.Below(16)) << r.Pick(kFractions);
}

void Point(MapWriter& out, Random& r) {
    out << "( ";
    Coordinate(out, r);
    out << " ";
    Coordinate(out, r);
    out << " ";
    Coordinate(out, r);
    out << " ) ";
}

// A texture offset, as editors leave them after shifting and scaling.
void Offset(MapWriter& out, Random& r) {
    static const char* const kOdd[] = {"127.9999923706", "0.0004882813", "-31.9999", "12.5",
                                       "-37.25",         "63.999996",    "0.333333", "-0.5"};
    if (r.Below(4) == 0)
        out << r.Pick(kOdd);
    else
        out << (r.Below(512) - 256);
}

const char* const kScales[] = {"1", "1", "1", "0.5", "0.25", "2", "0.999999", "1.5", "0.4999999404"};
const char* const kRotations[] = {"0", "0", "0", "0", "90", "180", "270", "45", "12.5"};

void HalfLifeFace(MapWriter& out, Random& r) {
    static const char* const kTextures[] = {"CRETE4_WALL01", "+0~LIGHT3A",  "{GRATE1",
                                            "SKY",           "AAATRIGGER",  "C1A0_LABW4",
                                            "OUT_GRND1",     "GENERIC015V", "LAB1_DOOR3"};
    // U and V axes in pairs that lie in one plane, as an editor writes them.
    static const char* const kAxes[] = {
        "[ 1 0 0 ",
        "] [ 0 -1 0 ",
        "[ 0 1 0 ",
        "] [ 0 0 -1 ",
        "[ -1 0 0 ",
        "] [ 0 0 -1 ",
        "[ 0.707107 0.707107 0 ",
        "] [ 0 0 -1 ",
        "[ -2.22045e-16 -1 0 ",
        "] [ 0 0 -1 ",
        "[ 0.894427 -0.447214 0 ",
        "] [ 0 0 -1 ",
    };
    Point(out, r);
    Point(out, r);
    Point(out, r);
    int axes = r.Below(6) * 2;
    out << r.Pick(kTextures) << " " << kAxes[axes];
    Offset(out, r);
    out << " " << kAxes[axes + 1];
    Offset(out, r);
    out << " ] " << r.Pick(kRotations) << " " << r.Pick(kScales) << " " << r.Pick(kScales);
    out.EndLine();
}

void Quake3Face(MapWriter& out, Random& r) {
    static const char* const kTextures[] = {
        "common/caulk",         "base_wall/concrete", "gothic_block/blocks15",
        "base_floor/diamond2c", "sfx/beam",           "common/clip"};
    static const char* const kFlags[] = {"0 0 0", "0 0 0", "0 0 0", "134217728 0 0", "0 128 0", "1 0 0"};
    Point(out, r);
    Point(out, r);
    Point(out, r);
    out << r.Pick(kTextures) << " ";
    Offset(out, r);
    out << " ";
    Offset(out, r);
    out << " " << r.Pick(kRotations) << " " << r.Pick(kScales) << " " << r.Pick(kScales) << " "
        << r.Pick(kFlags);
    out.EndLine();
}

void Key(MapWriter& out, const char* key, const char* value) {
    out << "\"" << key << "\" \"" << value << "\"";
    out.EndLine();
}

void Origin(MapWriter& out, Random& r) {
    out << "\"origin\" \"" << (r.Below(8192) - 4096) << " " << (r.Below(8192) - 4096) << " "
        << (r.Below(2048) - 1024) << "\"";
    out.EndLine();
}

void Brush(MapWriter& out, Random& r, bool halfLife, int number) {
    if (!halfLife) {
        out << "// brush " << number;
        out.EndLine();
    }
    out << "{";
    out.EndLine();
    for (int face = 0; face < 6; ++face) {
        // Some editors indent the faces of a brush.
        if (halfLife && number % 8 == 7)
            out << "  ";
        if (halfLife)
            HalfLifeFace(out, r);
        else
            Quake3Face(out, r);
    }
    out << "}";
    out.EndLine();
}

void World(MapWriter& out, bool halfLife) {
    out << "{";
    out.EndLine();
    Key(out, "classname", "worldspawn");
    if (halfLife) {
        Key(out, "mapversion", "220");
        Key(out, "wad",
            "\\half-life\\valve\\halflife.wad;\\half-life\\valve\\liquids.wad;\\half-life\\valve\\xeno.wad");
        Key(out, "skyname", "desert");
        Key(out, "MaxRange", "8192");
        Key(out, "sounds", "1");
    } else {
        Key(out, "_color", "0.8 0.9 1");
        Key(out, "ambient", "5");
        Key(out, "gridsize", "64 64 128");
    }
    Key(out, "message", "Korvale benchmark map");
}

void Light(MapWriter& out, Random& r, bool halfLife) {
    out << "{";
    out.EndLine();
    Key(out, "classname", "light");
    Origin(out, r);
    if (halfLife) {
        out << "\"_light\" \"" << r.Below(256) << " " << r.Below(256) << " " << r.Below(256) << " "
            << (50 + r.Below(400)) << "\"";
        out.EndLine();
        Key(out, "style", "0");
    } else {
        int value = 50 + r.Below(400);
        out << "\"light\" \"" << value << "\"";
        out.EndLine();
        static const char* const kColours[] = {"1 1 1", "1 0.85 0.6", "0.501961 0.501961 1", "0.2 0.4 0.8"};
        Key(out, "_color", r.Pick(kColours));
        out << "\"radius\" \"" << value << "\"";
        out.EndLine();
    }
    out << "}";
    out.EndLine();
}

int Usage() {
    std::fputs("usage: make_map hl|q3 MEGABYTES OUTPUT\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return Usage();
    bool halfLife = std::strcmp(argv[1], "hl") == 0;
    if (!halfLife && std::strcmp(argv[1], "q3") != 0)
        return Usage();
    long megabytes = std::strtol(argv[2], nullptr, 10);
    if (megabytes <= 0)
        return Usage();
    std::FILE* file = std::fopen(argv[3], "wb");
    if (!file) {
        std::perror(argv[3]);
        return 1;
    }
    const std::uint64_t target = static_cast<std::uint64_t>(megabytes) * 1000000;
    {
        // Windows editors write CR LF; the Quake 3 map here has LF ends.
        MapWriter out(file, halfLife ? "\r\n" : "\n");
        Random r(halfLife ? 220 : 3);
        World(out, halfLife);
        int brush = 0;
        for (int i = 0; i < 64; ++i)
            Brush(out, r, halfLife, brush++);
        out << "}";
        out.EndLine();
        while (out.written() < target) {
            out << "{";
            out.EndLine();
            Key(out, "classname", r.Below(3) ? "func_wall" : "func_detail");
            Key(out, "rendermode", "0");
            for (int n = 8 + r.Below(24); n > 0; --n)
                Brush(out, r, halfLife, brush++);
            out << "}";
            out.EndLine();
            Light(out, r, halfLife);
        }
    }
    if (std::fclose(file) != 0) {
        std::perror(argv[3]);
        return 1;
    }
    return 0;
}
