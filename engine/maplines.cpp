#include "maplines.h"

#include "numbers.h"

#include <cstdlib>
#include <cstring>

namespace {

// The fuzz build starts with small buffers, so that even short inputs cross refills, growth
// and flushes.
#ifdef KORVALE_SMALL_STREAM_BUFFERS
constexpr std::size_t kInputBufferSize = 16;
constexpr std::size_t kOutputBufferSize = 1024;
#else
constexpr std::size_t kInputBufferSize = 256 * 1024;
constexpr std::size_t kOutputBufferSize = 256 * 1024;
#endif
// Reserve() hands out room for the widest item in one piece.
static_assert(kOutputBufferSize >= kMaxFixedText, "an output buffer holds any rendered number");
constexpr char kEndOfText = 0x1A;

// Reads more of the file after the undelivered bytes, moving them to the front and growing
// the buffer when a single line fills it. A 0x1A byte ends the input where it stands.
void FillInput(MapInput& input) {
    if (input.start > 0) {
        std::memmove(input.buffer, input.buffer + input.start, input.end - input.start);
        input.end -= input.start;
        input.start = 0;
    }
    if (input.end == input.capacity) {
        std::size_t capacity = input.capacity * 2;
        char* grown = static_cast<char*>(std::realloc(input.buffer, capacity));
        if (!grown) {
            // A line too long for memory ends the input where it stands, reported as a failure.
            input.ended = input.failed = true;
            return;
        }
        input.buffer = grown;
        input.capacity = capacity;
    }
    char* fresh = input.buffer + input.end;
    std::size_t got = std::fread(fresh, 1, input.capacity - input.end, input.file);
    if (got == 0) {
        input.ended = true;
        input.failed = std::ferror(input.file) != 0;
        return;
    }
    if (const void* stop = std::memchr(fresh, kEndOfText, got)) {
        got = static_cast<const char*>(stop) - fresh;
        input.ended = true;
    }
    input.end += got;
}

void FlushOutput(MapOutput& output) {
    if (output.used > 0 && !output.failed) {
        if (std::fwrite(output.buffer, 1, output.used, output.file) != output.used)
            output.failed = true;
    }
    output.used = 0;
}

// Makes room for n more bytes in the output buffer.
char* Reserve(MapOutput& output, std::size_t n) {
    if (output.capacity - output.used < n)
        FlushOutput(output);
    return output.buffer + output.used;
}

// Makes room for n more bytes after `to`, the end of what is written so far, and returns where
// they start.
char* RoomAt(MapOutput& output, char* to, std::size_t n) {
    if (static_cast<std::size_t>(output.buffer + output.capacity - to) >= n)
        return to;
    output.used = to - output.buffer;
    return Reserve(output, n);
}

// Appends bytes that hold no LF.
void PutText(MapOutput& output, const char* text, std::size_t length) {
    while (length > 0) {
        char* to = Reserve(output, 1);
        std::size_t n = output.capacity - output.used;
        if (n > length)
            n = length;
        std::memcpy(to, text, n);
        output.used += n;
        text += n;
        length -= n;
    }
}

void PutLineEnd(MapOutput& output) {
    char* to = Reserve(output, 2);
    to[0] = '\r';
    to[1] = '\n';
    output.used += 2;
}

// Appends any bytes, each LF as CR LF.
void PutBytes(MapOutput& output, const char* text, std::size_t length) {
    const char* end = text + length;
    while (text < end) {
        const char* lf = static_cast<const char*>(std::memchr(text, '\n', end - text));
        if (!lf) {
            PutText(output, text, end - text);
            return;
        }
        PutText(output, text, lf - text);
        PutLineEnd(output);
        text = lf + 1;
    }
}

// The first byte at or after `at` that is not white space, or `end`. Mostly a single space
// stands between two items.
const char* SkipSpaces(const char* at, const char* end) {
    if (at < end && *at == ' ')
        ++at;
    if (at == end || static_cast<unsigned char>(*at) > ' ')
        return at;
    while (at < end && IsMapSpace(*at))
        ++at;
    return at;
}

// Matches a literal of a read template at `at`: a white-space byte skips any white space of
// the line, any other byte must come next in the line. Returns false at the first mismatch.
bool MatchLiteral(const char*& at, const char* end, const char* literal, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (IsMapSpace(literal[i])) {
            at = SkipSpaces(at, end);
        } else {
            if (at == end || *at != literal[i])
                return false;
            ++at;
        }
    }
    return true;
}

// Copies a literal of a write template, in moves of kCopySlack bytes: the template's written
// text and the output's reserved room both have that many bytes to spare.
char* CopyLiteral(char* to, const char* literal, std::size_t length) {
    for (std::size_t done = 0; done < length; done += LineTemplate::kCopySlack)
        std::memcpy(to + done, literal + done, LineTemplate::kCopySlack);
    return to + length;
}

} // namespace

MapInput* OpenMapInput(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return nullptr;
    std::setvbuf(file, nullptr, _IONBF, 0);
    char* buffer = static_cast<char*>(std::malloc(kInputBufferSize));
    if (!buffer) {
        std::fclose(file);
        return nullptr;
    }
    return new MapInput{file, buffer, kInputBufferSize, 0, 0, false, false};
}

MapOutput* OpenMapOutput(const char* path) {
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return nullptr;
    std::setvbuf(file, nullptr, _IONBF, 0);
    char* buffer = static_cast<char*>(std::malloc(kOutputBufferSize));
    RecentTexts* recent = static_cast<RecentTexts*>(std::malloc(sizeof(RecentTexts)));
    if (!buffer || !recent) {
        std::free(buffer);
        std::free(recent);
        std::fclose(file);
        return nullptr;
    }
    ClearRecentTexts(*recent);
    return new MapOutput{file, buffer, kOutputBufferSize, 0, false, recent};
}

void CloseMapFile(MapInput* input) {
    std::fclose(input->file);
    std::free(input->buffer);
    delete input;
}

bool CloseMapFile(MapOutput* output) {
    FlushOutput(*output);
    bool written = !output->failed;
    if (std::fclose(output->file) != 0)
        written = false;
    std::free(output->buffer);
    std::free(output->recent);
    delete output;
    return written;
}

bool ReadMapLine(MapInput& input, MapLine& line) {
    std::size_t searched = input.start;
    for (;;) {
        char* from = input.buffer + searched;
        if (char* lf = static_cast<char*>(std::memchr(from, '\n', input.end - searched))) {
            char* text = input.buffer + input.start;
            std::size_t length = lf + 1 - text;
            input.start += length;
            // CR LF is delivered as LF; a CR before that pair stays.
            if (length >= 2 && lf[-1] == '\r') {
                lf[-1] = '\n';
                --length;
            }
            line.text = text;
            line.length = length;
            return true;
        }
        if (input.ended) {
            if (input.start == input.end)
                return false;
            line.text = input.buffer + input.start;
            line.length = input.end - input.start;
            input.start = input.end;
            return true;
        }
        std::size_t pending = input.end - input.start;
        FillInput(input);
        searched = input.start + pending;
    }
}

unsigned long long CountMapLines(MapInput& input) {
    // Lines are never split, so there is one line per LF, and one more when bytes follow the
    // last LF. CR LF counts as its LF.
    unsigned long long count = 0;
    bool lastLineOpen = false;
    for (;;) {
        if (input.start == input.end) {
            if (input.ended)
                break;
            FillInput(input);
            continue;
        }
        const char* from = input.buffer + input.start;
        const char* const end = input.buffer + input.end;
        while (const void* lf = std::memchr(from, '\n', end - from)) {
            ++count;
            from = static_cast<const char*>(lf) + 1;
        }
        lastLineOpen = end[-1] != '\n';
        input.start = input.end;
    }
    return lastLineOpen ? count + 1 : count;
}

void StripLeadingSpaces(MapLine& line) {
    while (line.length > 0 && line.text[0] == ' ') {
        ++line.text;
        --line.length;
    }
}

namespace {

// Numbers are read a word at a time, which looks at up to kScanPadding bytes from their start.
// A line is scanned where it stands until fewer than kTailBytes of it remain; those few bytes
// are scanned from a copy followed by NUL bytes.
constexpr std::size_t kTailBytes = 32;
static_assert(kTailBytes >= kScanPadding, "a number far from the line's end is read within the line");

} // namespace

void ScanMapLine(const MapLine& line, const LineTemplate& readTemplate,
                 std::initializer_list<ScanTarget> targets) {
    const char* at = line.text;
    const char* end = line.text + line.length;
    char tail[kTailBytes + kScanPadding] = {};
    bool inTail = false;
    const ScanTarget* target = targets.begin();
    for (const LineTemplate::Piece& piece : readTemplate) {
        if (!MatchLiteral(at, end, readTemplate.text() + piece.textStart, piece.readLength))
            return;
        if (piece.item == '\0')
            return;
        at = SkipSpaces(at, end);
        if (at == end)
            return;
        if (!inTail && static_cast<std::size_t>(end - at) < kTailBytes) {
            std::size_t rest = end - at;
            std::memcpy(tail, at, rest);
            at = tail;
            end = tail + rest;
            inTail = true;
        }
        // Numbers first: they are most of the items.
        std::size_t taken = 0;
        if (piece.item == 'f') {
            taken = ScanFloatTextPadded(at, end, (target++)->f);
        } else if (piece.item == 'i') {
            taken = ScanIntText(at, end, (target++)->i);
        } else {
            while (at + taken < end && !IsMapSpace(at[taken]))
                ++taken;
        }
        if (taken == 0)
            return;
        at += taken;
    }
}

void WriteMapLine(MapOutput& output, const LineTemplate& writeTemplate,
                  std::initializer_list<WriteValue> values) {
    char* to = output.buffer + output.used;
    const WriteValue* value = values.begin();
    for (const LineTemplate::Piece& piece : writeTemplate) {
        // Room for the literal with its spare bytes and the widest number, so that nothing
        // below checks for it. A copied line text has no such bound and goes through PutBytes.
        to = RoomAt(output, to, piece.writtenLength + LineTemplate::kCopySlack + kMaxFixedText);
        to = CopyLiteral(to, writeTemplate.written() + piece.writtenStart, piece.writtenLength);
        if (piece.item == 'f') {
            to += RenderFixedRecent(*output.recent, value->d, piece.decimals, to);
        } else if (piece.item == 'i') {
            to += RenderInt(value->i, to);
        } else if (piece.item == 's') {
            output.used = to - output.buffer;
            PutBytes(output, value->s->text, value->s->length);
            to = output.buffer + output.used;
        }
        ++value;
    }
    output.used = to - output.buffer;
}
