// Map text lines: the streams a map file is read from and written to, the line reader, the
// line templates of both dialects, and scanning and rendering by those templates.
#pragma once

#include "numbers.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>

// White space: tab, LF, vertical tab, form feed, CR (0x09 to 0x0D) and space. Most bytes of a
// map line are above the space, so one comparison settles them.
constexpr bool IsMapSpace(char c) {
    constexpr std::uint64_t kSpaces =
        1ull << ' ' | 1ull << '\t' | 1ull << '\n' | 1ull << '\v' | 1ull << '\f' | 1ull << '\r';
    unsigned char byte = static_cast<unsigned char>(c);
    return byte <= ' ' && (kSpaces >> byte & 1) != 0;
}

// A line template: its text, and that text cut at compile time into pieces, each the literal
// bytes before one item and the item, so that scanning and rendering a line follow the pieces
// instead of looking at the template byte by byte. It converts to its text.
class LineTemplate {
  public:
    struct Piece {
        std::uint8_t textStart;    // the literal before the item, in the text
        std::uint8_t readLength;   // its bytes that matter to scanning (see below)
        std::uint8_t writtenStart; // the same literal as written, each LF as CR LF
        std::uint8_t writtenLength;
        char item;             // 'f', 'i' or 's'; 0 for the literal after the last item
        std::uint8_t decimals; // of a written "%f" (6) or "%.Nf" (N)
    };
    static constexpr std::size_t kMaxText = 128;
    static constexpr std::size_t kMaxItems = 24;
    // Bytes that may be read after a literal's end in written() and written after it in the
    // output, so that short literals are copied whole in one move.
    static constexpr std::size_t kCopySlack = 16;

    template <std::size_t N> constexpr LineTemplate(const char (&text)[N]) : text_(text) {
        static_assert(N <= kMaxText, "line templates are short");
        std::size_t at = 0;
        for (;;) {
            Piece& piece = pieces_[count_++];
            piece.textStart = static_cast<std::uint8_t>(at);
            piece.writtenStart = static_cast<std::uint8_t>(writtenLength_);
            while (text[at] != '\0' && text[at] != '%') {
                if (text[at] == '\n')
                    written_[writtenLength_++] = '\r';
                written_[writtenLength_++] = text[at++];
            }
            piece.writtenLength = static_cast<std::uint8_t>(writtenLength_ - piece.writtenStart);
            // The literal after the last item fills no field, and the white space that ends a
            // literal before an item changes nothing, as the item skips white space itself.
            if (text[at] == '\0')
                break;
            std::size_t readEnd = at;
            while (readEnd > piece.textStart && IsMapSpace(text[readEnd - 1]))
                --readEnd;
            piece.readLength = static_cast<std::uint8_t>(readEnd - piece.textStart);
            ++at;
            piece.decimals = 6;
            if (text[at] == '.') {
                piece.decimals = static_cast<std::uint8_t>(text[at + 1] - '0');
                at += 2;
            }
            piece.item = text[at++];
        }
    }

    constexpr operator const char*() const { return text_; }
    constexpr const char* text() const { return text_; }
    constexpr const char* written() const { return written_; }
    constexpr const Piece* begin() const { return pieces_; }
    constexpr const Piece* end() const { return pieces_ + count_; }

  private:
    const char* text_;
    Piece pieces_[kMaxItems + 1] = {};
    std::size_t count_ = 0;
    char written_[2 * kMaxText + kCopySlack] = {};
    std::size_t writtenLength_ = 0;
};

// The only line forms the engine reads or writes. "%f" and "%i" read a single and a 32-bit
// integer; "%s" skips a token. "%.1f", "%.0f", "%.3f" and "%f" write a number with 1, 0, 3
// and 6 decimals; "%i" writes an integer and "%s" a line text. A white-space character in a
// read template matches any run of white space, none included.
constexpr LineTemplate kHlFaceIn{
    "( %f %f %f ) ( %f %f %f ) ( %f %f %f ) %s [ %f %f %f %f ] [ %f %f %f %f ] %f %f %f"};
constexpr LineTemplate kQ3FaceOut{"( %.1f %.1f %.1f ) ( %.1f %.1f %.1f ) ( %.1f %.1f %.1f ) "
                                  "base_wall/concrete 0 0 0 %.0f %.0f %.0f %.0f %.0f\n"};
constexpr LineTemplate kQ3FaceIn{"( %f %f %f ) ( %f %f %f ) ( %f %f %f ) %s %f %f %f %f %f %f %f %f"};
constexpr LineTemplate kHlFaceOut{"( %.1f %.1f %.1f ) ( %.1f %.1f %.1f ) ( %.1f %.1f %.1f ) "
                                  "CRETE4_WALL01 [ 0 0 0 %.3f ] [ 0 0 0 %.3f ] %.0f %.0f %.0f\n"};
constexpr LineTemplate kHlLightIn{"\"_light\" \"%i %i %i %i\""};
constexpr LineTemplate kQ3LightOut{"\"light\" \"%i\"\n"};
constexpr LineTemplate kQ3ColorOut{"\"_color\" \"%f %f %f\"\n"};
constexpr LineTemplate kQ3RadiusOut{"\"radius\" \"%i\"\n"};
constexpr LineTemplate kHlLightOut{"\"_light\" \"255 255 255 %i\"\n"};
constexpr LineTemplate kCopyLine{"%s"};

// An input map file. Its bytes are delivered with CR LF turned into LF; a 0x1A byte ends it.
struct MapInput {
    std::FILE* file;
    char* buffer;
    std::size_t capacity;
    std::size_t start; // first byte not yet delivered
    std::size_t end;   // end of the bytes read so far
    bool ended;        // end of file, 0x1A or a read error: nothing more will be read
    bool failed;       // a read error other than the end of the file
};

// An output map file. Each LF written to it reaches the file as CR LF.
struct MapOutput {
    std::FILE* file;
    char* buffer;
    std::size_t capacity;
    std::size_t used;
    bool failed;         // a write failed; what follows is not written
    RecentTexts* recent; // the numbers written lately
};

// One line: its bytes with the line end (a single LF) when it has one. NUL is an ordinary
// byte. The text points into the input's buffer and stays valid until the next read.
struct MapLine {
    const char* text;
    std::size_t length;
};

MapInput* OpenMapInput(const char* path);
MapOutput* OpenMapOutput(const char* path);
// Closing an input always succeeds. Closing an output writes out what is buffered and
// returns false when any write of the output failed.
void CloseMapFile(MapInput* input);
bool CloseMapFile(MapOutput* output);

// Reads the next line, whatever its length. Returns false when the input has no further
// line (or a read error ended it: see MapInput::failed).
bool ReadMapLine(MapInput& input, MapLine& line);

// Reads the input to its end and returns the number of lines ReadMapLine would deliver, without
// delivering them: the line ends of whole buffers are counted at once. See MapInput::failed.
unsigned long long CountMapLines(MapInput& input);

// Removes the line's leading spaces (0x20 only: a tab stops the run and stays).
void StripLeadingSpaces(MapLine& line);

// The field of a "%f" or "%i" item of a read template. kUnusedNumber stands for a "%f" whose
// value no rule ever writes: its text is read past, but not converted.
struct ScanTarget {
    float* f;
    std::int32_t* i;
    constexpr ScanTarget(float* field) : f(field), i(nullptr) {}
    constexpr ScanTarget(std::int32_t* field) : f(nullptr), i(field) {}
};
constexpr ScanTarget kUnusedNumber{static_cast<float*>(nullptr)};

// Fills the targets, in template order, from the line until the template ends or the line
// stops fitting it; the targets after that place keep their values.
void ScanMapLine(const MapLine& line, const LineTemplate& readTemplate,
                 std::initializer_list<ScanTarget> targets);

// The value of a "%.Nf", "%i" or "%s" item of a write template.
struct WriteValue {
    double d;
    std::int32_t i;
    const MapLine* s;
    WriteValue(double value) : d(value), i(0), s(nullptr) {}
    WriteValue(std::int32_t value) : d(0), i(value), s(nullptr) {}
    WriteValue(const MapLine& line) : d(0), i(0), s(&line) {}
};

// Renders the template with the values, in template order, to the output.
void WriteMapLine(MapOutput& output, const LineTemplate& writeTemplate,
                  std::initializer_list<WriteValue> values);
