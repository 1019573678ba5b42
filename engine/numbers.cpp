#include "numbers.h"
#include "numbers_internal.h"

#include <cassert>
#include <cfloat>
#include <cstring>

namespace {

// ---------------------------------------------------------------------------------------------
// Fixed-capacity unsigned big integers, least significant 32-bit limb first.

// 80 limbs hold the largest value built here: a 53-bit significand times 5^1074 (2547 bits),
// the full expansion of the smallest doubles in the digit-by-digit rendering.
constexpr int kBigLimbs = 80;

struct BigNum {
    std::uint32_t limb[kBigLimbs];
    int size; // limbs in use; the top one is nonzero, 0 means the value 0
};

void BigSet(BigNum& a, std::uint64_t v) {
    a.size = 0;
    while (v != 0) {
        a.limb[a.size++] = static_cast<std::uint32_t>(v);
        v >>= 32;
    }
}

void BigCopy(BigNum& to, const BigNum& from) {
    to.size = from.size;
    std::memcpy(to.limb, from.limb, sizeof(std::uint32_t) * static_cast<std::size_t>(from.size));
}

void BigMulAdd(BigNum& a, std::uint32_t factor, std::uint32_t addend) {
    std::uint64_t carry = addend;
    for (int i = 0; i < a.size; ++i) {
        std::uint64_t t = static_cast<std::uint64_t>(a.limb[i]) * factor + carry;
        a.limb[i] = static_cast<std::uint32_t>(t);
        carry = t >> 32;
    }
    if (carry != 0) {
        assert(a.size < kBigLimbs);
        a.limb[a.size++] = static_cast<std::uint32_t>(carry);
    }
}

void BigMulPow5(BigNum& a, int k) {
    static const std::uint32_t kPow5[14] = {1,     5,      25,      125,     625,      3125,      15625,
                                            78125, 390625, 1953125, 9765625, 48828125, 244140625, 1220703125};
    for (; k >= 13; k -= 13) {
        BigMulAdd(a, kPow5[13], 0);
    }
    if (k > 0) {
        BigMulAdd(a, kPow5[k], 0);
    }
}

void BigShiftLeft(BigNum& a, int bits) {
    if (a.size == 0) {
        return;
    }
    int words = bits / 32;
    int rest = bits % 32;
    assert(a.size + words + 1 <= kBigLimbs);
    a.limb[a.size + words] = 0;
    for (int i = a.size - 1; i >= 0; --i) {
        std::uint64_t moved = static_cast<std::uint64_t>(a.limb[i]) << rest;
        a.limb[i + words + 1] |= static_cast<std::uint32_t>(moved >> 32);
        a.limb[i + words] = static_cast<std::uint32_t>(moved);
    }
    for (int i = 0; i < words; ++i) {
        a.limb[i] = 0;
    }
    a.size += words + 1;
    while (a.size > 0 && a.limb[a.size - 1] == 0) {
        --a.size;
    }
}

// Divides a by the constant D in place and returns the remainder. A constant divisor lets the
// compiler replace the 64-bit division by a multiplication.
template <std::uint32_t D> std::uint32_t BigDivBy(BigNum& a) {
    std::uint64_t rem = 0;
    for (int i = a.size - 1; i >= 0; --i) {
        std::uint64_t cur = (rem << 32) | a.limb[i];
        a.limb[i] = static_cast<std::uint32_t>(cur / D);
        rem = cur % D;
    }
    while (a.size > 0 && a.limb[a.size - 1] == 0) {
        --a.size;
    }
    return static_cast<std::uint32_t>(rem);
}

int BigCompare(const BigNum& a, const BigNum& b) {
    if (a.size != b.size) {
        return a.size < b.size ? -1 : 1;
    }
    for (int i = a.size - 1; i >= 0; --i) {
        if (a.limb[i] != b.limb[i]) {
            return a.limb[i] < b.limb[i] ? -1 : 1;
        }
    }
    return 0;
}

int BitLength(std::uint64_t v) {
    int n = 0;
    for (int step = 32; step > 0; step /= 2) {
        if (v >> step != 0) {
            v >>= step;
            n += step;
        }
    }
    return n + static_cast<int>(v);
}

int BigBitLength(const BigNum& a) {
    return a.size == 0 ? 0 : (a.size - 1) * 32 + BitLength(a.limb[a.size - 1]);
}

const std::uint64_t kPow10[20] = {1ull,
                                  10ull,
                                  100ull,
                                  1000ull,
                                  10000ull,
                                  100000ull,
                                  1000000ull,
                                  10000000ull,
                                  100000000ull,
                                  1000000000ull,
                                  10000000000ull,
                                  100000000000ull,
                                  1000000000000ull,
                                  10000000000000ull,
                                  100000000000000ull,
                                  1000000000000000ull,
                                  10000000000000000ull,
                                  100000000000000000ull,
                                  1000000000000000000ull,
                                  10000000000000000000ull};

// v / 10^n for n from 0 to 17, by constant divisors.
std::uint64_t DivPow10(std::uint64_t v, int n) {
    switch (n) {
    case 0:
        return v;
    case 1:
        return v / 10;
    case 2:
        return v / 100;
    case 3:
        return v / 1000;
    case 4:
        return v / 10000;
    case 5:
        return v / 100000;
    case 6:
        return v / 1000000;
    case 7:
        return v / 10000000;
    case 8:
        return v / 100000000;
    case 9:
        return v / 1000000000;
    case 10:
        return v / 10000000000ull;
    case 11:
        return v / 100000000000ull;
    case 12:
        return v / 1000000000000ull;
    case 13:
        return v / 10000000000000ull;
    case 14:
        return v / 100000000000000ull;
    case 15:
        return v / 1000000000000000ull;
    case 16:
        return v / 10000000000000000ull;
    default:
        return v / 100000000000000000ull;
    }
}

// Powers of ten up to 10^10 are exact singles.
const float kPow10Single[11] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// True where single-precision operations are carried out in single precision, not in a wider
// format that would round twice (as the x87 unit does).
constexpr bool kSingleOperationsRoundOnce = FLT_EVAL_METHOD == 0;

// Powers of ten up to 10^22 are exact doubles.
const double kPow10Double[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The value of a digit, or a number above 9 for any other byte.
unsigned DigitValue(char c) {
    return static_cast<unsigned>(static_cast<unsigned char>(c)) - '0';
}

// ---------------------------------------------------------------------------------------------
// Eight bytes at a time. A word holds eight bytes of text with the first byte in its lowest
// eight bits, whatever the machine's byte order.

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr bool kBigEndian = true;
#else
constexpr bool kBigEndian = false;
#endif

std::uint64_t SwapBytes(std::uint64_t word) {
    std::uint64_t swapped = 0;
    for (int i = 0; i < 8; ++i) {
        swapped = swapped << 8 | (word >> (8 * i) & 0xFF);
    }
    return swapped;
}

std::uint64_t LoadWord(const char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return kBigEndian ? SwapBytes(word) : word;
}

void StoreWord(char* p, std::uint64_t word) {
    word = kBigEndian ? SwapBytes(word) : word;
    std::memcpy(p, &word, sizeof word);
}

// The index of the lowest set bit of a nonzero word.
int LowestSetBit(std::uint64_t word) {
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_ctzll(word);
#else
    int n = 0;
    while ((word & 1) == 0) {
        word >>= 1;
        ++n;
    }
    return n;
#endif
}

constexpr std::uint64_t kEachByte = 0x0101010101010101ull;

// The value of the first n (1 to 8) bytes of the word, all digits.
std::uint64_t DigitsValue(std::uint64_t word, int n) {
    // Moved to the top, the digits have zeros before them; each step joins neighbours in pairs.
    std::uint64_t v = (word << (64 - 8 * n)) & (0x0F * kEachByte);
    v = (v * (10 * 256 + 1)) >> 8 & 0x00FF00FF00FF00FFull;
    v = (v * (100 * 65536 + 1)) >> 16 & 0x0000FFFF0000FFFFull;
    return (v * (10000 * (1ull << 32) + 1)) >> 32;
}

// The eight digits of v (below 10^8), leading zeros included, as digit values 0 to 9 (not yet
// text). Each step splits every part in two by a multiplication that divides exactly for the
// part's range: by 10^4, then by 100 (x * 5243 >> 19 for x below 43699), then by 10
// (x * 103 >> 10 for x below 179).
std::uint64_t EightDigitValues(std::uint32_t v) {
    std::uint64_t parts = (v / 10000) | static_cast<std::uint64_t>(v % 10000) << 32;
    std::uint64_t high = (parts * 5243 >> 19) & 0x0000007F0000007Full;
    parts = high | (parts - 100 * high) << 16;
    high = (parts * 103 >> 10) & 0x000F000F000F000Full;
    return high | (parts - 10 * high) << 8;
}

// ---------------------------------------------------------------------------------------------
// Number text to single precision.
//
// A text is reduced to at most kKeptDigits significant digits and a power of ten. Nonzero digits
// beyond those are remembered as one extra trailing digit 1: every halfway point between two
// singles has at most 113 significant digits and none of them lies strictly between the kept
// digits and the kept digits plus one unit of their last place, so that stand-in compares with
// each halfway point exactly as the full text does.

constexpr int kKeptDigits = 120;
constexpr std::int64_t kExponentCap = 1000000000000000; // beyond any reachable magnitude
constexpr std::uint32_t kMaxFiniteBits = 0x7F7FFFFF;

struct DecimalText {
    std::uint8_t digit[kKeptDigits + 1]; // significant digits, no leading or trailing zeros
    int count;                           // 0 for a zero
    std::int64_t exp10;                  // value = digits * 10^exp10
    bool negative;
};

std::size_t ParseFloatText(const char* text, const char* end, DecimalText* d) {
    const char* p = text;
    d->negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        d->negative = *p == '-';
        ++p;
    }
    bool sawDigit = false;
    bool droppedNonzero = false;
    int count = 0;
    std::int64_t exp10 = 0;
    auto take = [&](int digit, bool afterPoint) {
        sawDigit = true;
        if (digit == 0 && count == 0) {
            exp10 -= afterPoint ? 1 : 0;
        } else if (count < kKeptDigits) {
            d->digit[count++] = static_cast<std::uint8_t>(digit);
            exp10 -= afterPoint ? 1 : 0;
        } else {
            droppedNonzero = droppedNonzero || digit != 0;
            exp10 += afterPoint ? 0 : 1;
        }
    };
    for (; p < end && IsDigit(*p); ++p) {
        take(*p - '0', false);
    }
    if (p < end && *p == '.') {
        for (++p; p < end && IsDigit(*p); ++p) {
            take(*p - '0', true);
        }
    }
    if (!sawDigit) {
        return 0;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negativeExponent = false;
        if (p < end && (*p == '+' || *p == '-')) {
            negativeExponent = *p == '-';
            ++p;
        }
        std::int64_t e = 0;
        for (; p < end && IsDigit(*p); ++p) {
            if (e < kExponentCap) {
                e = e * 10 + (*p - '0');
            }
        }
        exp10 += negativeExponent ? -e : e;
    }
    if (droppedNonzero) {
        d->digit[count++] = 1;
        --exp10;
    }
    while (count > 0 && d->digit[count - 1] == 0) {
        --count;
        ++exp10;
    }
    d->count = count;
    d->exp10 = exp10;
    return static_cast<std::size_t>(p - text);
}

// Zero, and magnitudes of at least 10^39 (beyond the largest single plus half a unit) or below
// 10^-46 (below half the smallest subnormal), need no closer look. Every other text has a power
// of ten between -167 and 38, which bounds the big integers below to 684 bits.
bool SettleByRange(const DecimalText& d, std::uint32_t* bits) {
    if (d.count == 0 || d.count + d.exp10 <= -46) {
        *bits = 0;
        return true;
    }
    if (d.count + d.exp10 >= 40) {
        *bits = kMaxFiniteBits;
        return true;
    }
    return false;
}

// Rounds a positive normal double to the nearest single's bit pattern, ties to even, clamped to
// the largest finite single. *nearHalf tells whether x lies within 8 units of its last place of
// a halfway point between two singles.
std::uint32_t RoundToSingleBits(double x, bool* nearHalf) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    int e = static_cast<int>(bits >> 52) - 1023;
    *nearHalf = false;
    if (e > 127) {
        return kMaxFiniteBits;
    }
    if (e < -150) {
        return 0;
    }
    std::uint64_t significand = (bits & ((1ull << 52) - 1)) | (1ull << 52);
    int drop = e >= -126 ? 29 : 29 + (-126 - e);
    std::uint64_t kept = significand >> drop;
    std::uint64_t rest = significand & ((1ull << drop) - 1);
    std::uint64_t half = 1ull << (drop - 1);
    *nearHalf = (rest > half ? rest - half : half - rest) <= 8;
    if (rest > half || (rest == half && (kept & 1) != 0)) {
        ++kept;
    }
    std::uint64_t out = e >= -126 ? (static_cast<std::uint64_t>(e + 126) << 23) + kept : kept;
    return out > kMaxFiniteBits ? kMaxFiniteBits : static_cast<std::uint32_t>(out);
}

// Digits from 1 to 2^53 - 1 with a power of ten from -37 to 22: the double x below comes from
// exact operands through at most two divisions, so whatever precision the FPU rounds to (53 or
// 64 bits, once or twice per operation) x is within 2^-51 of the exact value relative, fewer
// than 5 units of x's last place. The magnitude stays between 10^-37 and 2^53 * 10^22, inside
// the normal singles, so unless x is within 8 units of a halfway point it rounds to the same
// single as the exact value.
bool FastSingleBits(std::uint64_t digits, std::int64_t exp10, std::uint32_t* bits) {
    if (digits >= (1ull << 53) || exp10 < -37 || exp10 > 22) {
        return false;
    }
    int e = static_cast<int>(exp10);
    double x = static_cast<double>(static_cast<std::int64_t>(digits));
    if (e >= 0) {
        x = x * kPow10Double[e];
    } else if (e >= -22) {
        x = x / kPow10Double[-e];
    } else {
        x = x / kPow10Double[22];
        x = x / kPow10Double[-e - 22];
    }
    bool nearHalf;
    std::uint32_t found = RoundToSingleBits(x, &nearHalf);
    if (nearHalf) {
        return false;
    }
    *bits = found;
    return true;
}

bool FastSingleBits(const DecimalText& d, std::uint32_t* bits) {
    if (d.count > 16) {
        return false;
    }
    std::uint64_t digits = 0;
    for (int i = 0; i < d.count; ++i) {
        digits = digits * 10 + d.digit[i];
    }
    return FastSingleBits(digits, d.exp10, bits);
}

float SingleFromBits(std::uint32_t magnitude, bool negative) {
    std::uint32_t bits = magnitude | (negative ? 0x80000000u : 0u);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// The common map number: a sign, at most 18 digits with or without a point, and an exponent of
// at most 4 digits. An integer up to 2^24 converts exactly; the rest goes through
// FastSingleBits. Returns false, having stored nothing, for every other text.
bool ScanShortDecimal(const char* text, const char* end, std::size_t* used, float* value) {
    const char* p = text;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // Twenty digits or more may wrap the accumulator; from 19 on a text takes the general path.
    const char* start = p;
    std::uint64_t digits = 0;
    unsigned digit;
    for (; p < end && (digit = DigitValue(*p)) <= 9; ++p) {
        digits = digits * 10 + digit;
    }
    std::ptrdiff_t count = p - start;
    std::ptrdiff_t fractionDigits = 0;
    if (p < end && *p == '.') {
        const char* fraction = ++p;
        for (; p < end && (digit = DigitValue(*p)) <= 9; ++p) {
            digits = digits * 10 + digit;
        }
        fractionDigits = p - fraction;
        count += fractionDigits;
    }
    if (count == 0 || count >= 19) {
        return false;
    }
    int exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negativeExponent = false;
        if (p < end && (*p == '+' || *p == '-')) {
            negativeExponent = *p == '-';
            ++p;
        }
        for (int n = 0; p < end && IsDigit(*p); ++p, ++n) {
            if (n == 4) {
                return false;
            }
            exponent = exponent * 10 + (*p - '0');
        }
        exponent = negativeExponent ? -exponent : exponent;
    }
    std::uint32_t bits;
    int exp10 = exponent - static_cast<int>(fractionDigits);
    if (digits == 0) {
        bits = 0;
    } else if (exp10 == 0 && digits <= (1u << 24)) {
        float exact = static_cast<float>(static_cast<std::int32_t>(digits));
        std::memcpy(&bits, &exact, sizeof bits);
    } else if (kSingleOperationsRoundOnce && digits <= (1u << 24) && exp10 >= -10 && exp10 <= 10) {
        // Digits and power of ten are both singles exactly (5^10 < 2^24), and one single
        // operation rounds its exact result once: to the nearest single, ties to even.
        float digitsSingle = static_cast<float>(static_cast<std::int32_t>(digits));
        float single = exp10 < 0 ? digitsSingle / kPow10Single[-exp10] : digitsSingle * kPow10Single[exp10];
        std::memcpy(&bits, &single, sizeof bits);
    } else if (!FastSingleBits(digits, exp10, &bits)) {
        return false;
    }
    *value = SingleFromBits(bits, negative);
    *used = static_cast<std::size_t>(p - text);
    return true;
}

// The bytes of the word that are not digits, each marked by its top bit. Bytes below '0'
// borrow from the next byte and bytes far above '9' carry into it, but only bytes that are not
// digits do either, so the lowest mark is always right; the marks above it are not used.
std::uint64_t NonDigitBytes(std::uint64_t word) {
    std::uint64_t offset = word - 0x30 * kEachByte;
    return ((offset + 0x76 * kEachByte) | offset) & (0x80 * kEachByte);
}

// Stores a single read from a number text, with the text's sign.
void StoreSingle(float magnitude, bool negative, float* value) {
    std::uint32_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    *value = SingleFromBits(bits, negative);
}

// The common map number: a sign, then at most seven digits with or without a point among them,
// and no exponent. Such a text is read a word at a time, with no branch that depends on how
// many digits it has; a point is taken out of the word, so that the digits on both sides are
// converted as one integer, exact in a single, and one single division by a power of ten,
// itself exact, rounds it once as required. A lone digit, the most common number of all, is
// read on its own. The text must be followed by bytes that may be read, NUL at and after
// `end` (see ScanFloatTextPadded). Returns false, having stored nothing, for every other text.
bool ScanSevenDigits(const char* text, std::size_t* used, float* value) {
    if (!kSingleOperationsRoundOnce) {
        return false;
    }
    const char* p = text;
    bool negative = *p == '-';
    p += *p == '-' || *p == '+' ? 1 : 0;
    unsigned first = DigitValue(p[0]);
    unsigned second = static_cast<unsigned char>(p[1]);
    if (first <= 9 && second - '0' > 9 && second != '.' && (second | 0x20) != 'e') {
        if (value) {
            StoreSingle(static_cast<float>(first), negative, value);
        }
        *used = static_cast<std::size_t>(p + 1 - text);
        return true;
    }
    std::uint64_t word = LoadWord(p);
    std::uint64_t nonDigits = NonDigitBytes(word);
    if (nonDigits == 0) {
        return false;
    }
    int integerDigits = LowestSetBit(nonDigits) / 8;
    int digits = integerDigits;
    int length = integerDigits;
    unsigned next = static_cast<unsigned>(word >> (8 * integerDigits) & 0xFF);
    if (next == '.') {
        std::uint64_t integerBytes = (std::uint64_t{1} << (8 * integerDigits)) - 1;
        word = (word & integerBytes) | (word >> 8 & ~integerBytes);
        digits = LowestSetBit(NonDigitBytes(word)) / 8; // the top byte is now 0: there is a mark
        length = digits + 1;
        next = static_cast<unsigned char>(p[length]);
    }
    if (digits == 0 || next - '0' <= 9 || (next | 0x20) == 'e') {
        return false;
    }
    if (value) {
        float single = static_cast<float>(static_cast<std::int32_t>(DigitsValue(word, digits)));
        if (digits > integerDigits) {
            single /= kPow10Single[digits - integerDigits];
        }
        StoreSingle(single, negative, value);
    }
    *used = static_cast<std::size_t>(p + length - text);
    return true;
}

// A starting point for the exact walk; its accuracy affects only the number of steps.
std::uint32_t ApproximateSingleBits(const DecimalText& d) {
    int used = d.count < 18 ? d.count : 18;
    std::uint64_t top = 0;
    for (int i = 0; i < used; ++i) {
        top = top * 10 + d.digit[i];
    }
    int e = static_cast<int>(d.exp10) + (d.count - used);
    double x = static_cast<double>(static_cast<std::int64_t>(top));
    for (; e > 22; e -= 22) {
        x *= kPow10Double[22];
    }
    for (; e < -22; e += 22) {
        x /= kPow10Double[22];
    }
    x = e >= 0 ? x * kPow10Double[e] : x / kPow10Double[-e];
    bool nearHalf;
    return RoundToSingleBits(x, &nearHalf);
}

// The text's value as digits * 5^max(e,0) against 5^max(-e,0), ready to be compared with
// halfway points m * 2^k after moving the powers of two to one side.
struct ExactDecimal {
    BigNum scaledDigits;
    BigNum pow5;
    int exp10;
};

void MakeExact(const DecimalText& d, ExactDecimal* x) {
    BigSet(x->scaledDigits, 0);
    for (int i = 0; i < d.count;) {
        std::uint32_t chunk = 0;
        int n = 0;
        for (; n < 9 && i < d.count; ++n, ++i) {
            chunk = chunk * 10 + d.digit[i];
        }
        BigMulAdd(x->scaledDigits, static_cast<std::uint32_t>(kPow10[n]), chunk);
    }
    x->exp10 = static_cast<int>(d.exp10);
    BigSet(x->pow5, 1);
    if (x->exp10 > 0) {
        BigMulPow5(x->scaledDigits, x->exp10);
    } else {
        BigMulPow5(x->pow5, -x->exp10);
    }
}

// Sign of (value - halfway point between the single `below` and the next one up).
int CompareWithHalfway(const ExactDecimal& x, std::uint32_t below) {
    std::uint32_t exponentField = below >> 23;
    std::uint32_t fraction = below & 0x7FFFFF;
    std::uint32_t significand = exponentField == 0 ? fraction : fraction | 0x800000;
    int lastPlace = exponentField == 0 ? -149 : static_cast<int>(exponentField) - 150;
    BigNum lhs;
    BigNum rhs;
    BigCopy(lhs, x.scaledDigits);
    BigCopy(rhs, x.pow5);
    BigMulAdd(rhs, 2 * significand + 1, 0);
    int shift = x.exp10 - (lastPlace - 1);
    if (shift > 0) {
        BigShiftLeft(lhs, shift);
    } else {
        BigShiftLeft(rhs, -shift);
    }
    return BigCompare(lhs, rhs);
}

// Whether the value rounds to the single `bits` or a smaller one. Above the largest finite
// single everything reads as that single, so it is the last candidate.
bool RoundsToAtMost(const ExactDecimal& x, std::uint32_t bits) {
    if (bits >= kMaxFiniteBits) {
        return true;
    }
    int cmp = CompareWithHalfway(x, bits);
    return cmp < 0 || (cmp == 0 && (bits & 1) == 0);
}

std::uint32_t WalkToNearest(const ExactDecimal& x, std::uint32_t start) {
    std::uint32_t bits = start < kMaxFiniteBits ? start : kMaxFiniteBits;
    if (!RoundsToAtMost(x, bits)) {
        do {
            ++bits;
        } while (!RoundsToAtMost(x, bits));
        return bits;
    }
    while (bits > 0 && RoundsToAtMost(x, bits - 1)) {
        --bits;
    }
    return bits;
}

std::uint32_t BisectNearest(const ExactDecimal& x) {
    std::uint32_t low = 0;
    std::uint32_t high = kMaxFiniteBits;
    while (low < high) {
        std::uint32_t mid = low + (high - low) / 2;
        if (RoundsToAtMost(x, mid)) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    return low;
}

// ---------------------------------------------------------------------------------------------
// Fixed rendering.

struct Double {
    bool negative;
    bool zero;
    std::uint64_t significand; // odd unless zero
    int exp2;                  // |v| = significand * 2^exp2
};

// NaN is written as zero and an infinity as the largest finite double with its sign; neither
// can come from a map, whose numbers are all finite.
Double Decompose(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    Double d;
    d.negative = (bits >> 63) != 0;
    int exponentField = static_cast<int>(bits >> 52) & 0x7FF;
    std::uint64_t fraction = bits & ((1ull << 52) - 1);
    if (exponentField == 0x7FF) {
        if (fraction != 0) {
            d.negative = false;
            d.zero = true;
            return d;
        }
        exponentField = 0x7FE;
        fraction = (1ull << 52) - 1;
    }
    d.zero = exponentField == 0 && fraction == 0;
    if (d.zero) {
        d.negative = false;
        return d;
    }
    d.significand = exponentField == 0 ? fraction : fraction | (1ull << 52);
    d.exp2 = exponentField == 0 ? -1074 : exponentField - 1075;
    for (int step = 32; step > 0; step /= 2) {
        if ((d.significand & ((1ull << step) - 1)) == 0) {
            d.significand >>= step;
            d.exp2 += step;
        }
    }
    return d;
}

// Writes units * 10^zeros / 10^decimals.
std::size_t WriteScaled(bool negative, std::uint64_t units, int zeros, int decimals, char* out) {
    char reversed[20];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + units % 10);
        units /= 10;
    } while (units != 0);
    auto digitAt = [&](int i) { return i < n ? reversed[n - 1 - i] : '0'; };
    int total = n + zeros;
    int integerDigits = total - decimals;
    char* o = out;
    if (negative) {
        *o++ = '-';
    }
    int i = 0;
    if (integerDigits <= 0) {
        *o++ = '0';
    }
    for (; i < integerDigits; ++i) {
        *o++ = digitAt(i);
    }
    if (decimals > 0) {
        *o++ = '.';
        for (int k = integerDigits; k < 0; ++k) {
            *o++ = '0';
        }
        for (; i < total; ++i) {
            *o++ = digitAt(i);
        }
    }
    return static_cast<std::size_t>(o - out);
}

// From the leading digits of |v| (at most 18, cut off, with |v| ~ leading * 10^exp10): the cut
// to 17 significant digits and the rounding to `decimals` places, both half up.
std::size_t FinishFixed(bool negative, std::uint64_t leading, int exp10, int decimals, char* out) {
    std::uint64_t cut = leading;
    int cutExp = exp10;
    if (leading >= kPow10[17]) {
        cut = leading / 10 + (leading % 10 >= 5 ? 1 : 0);
        ++cutExp;
    }
    int shift = cutExp + decimals;
    if (shift >= 0) {
        return WriteScaled(negative, cut, shift, decimals, out);
    }
    std::uint64_t units = 0;
    if (-shift <= 18) {
        std::uint64_t kept = DivPow10(cut, -shift - 1);
        units = kept / 10 + (kept % 10 >= 5 ? 1 : 0);
    }
    return WriteScaled(negative, units, 0, decimals, out);
}

void KeepLeading18(std::uint64_t* value, int* exp10) {
    while (*value >= kPow10[18]) {
        *value /= 10;
        ++*exp10;
    }
}

// The first 18 significant digits of a, cut off; a is consumed.
std::uint64_t BigLeading18(BigNum& a, int* exp10) {
    int atLeastDigits = ((BigBitLength(a) - 1) * 1233 >> 12) + 1; // 1233 / 4096 < log10(2)
    int drop = atLeastDigits - 18;
    for (; drop >= 9; drop -= 9) {
        BigDivBy<1000000000>(a);
        *exp10 += 9;
    }
    for (; drop > 0; --drop) {
        BigDivBy<10>(a);
        ++*exp10;
    }
    while (a.size > 2) {
        BigDivBy<10>(a);
        ++*exp10;
    }
    std::uint64_t value = a.size == 0 ? 0 : a.limb[0];
    if (a.size == 2) {
        value |= static_cast<std::uint64_t>(a.limb[1]) << 32;
    }
    KeepLeading18(&value, exp10);
    return value;
}

// "00" to "99": two digits per division.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes units / 10^places, units below 10^16 and places at most 6: "-" when negative, the
// integer digits ("0" when there are none) and, when places > 0, "." and `places` decimals.
// The integer digits and the decimals are each moved in one fixed-size copy, so bytes after the
// text in `out`, which holds kMaxFixedText bytes, may be overwritten.
std::size_t WriteUnits(bool negative, std::uint64_t units, int places, char* out) {
    char* o = out;
    *o = '-';
    o += negative ? 1 : 0;
    if (units < 100000000) {
        // Eight digits in one word, the first in its lowest byte. The text needs the digits
        // after the leading zeros, and at least places + 1 of them.
        std::uint64_t values = EightDigitValues(static_cast<std::uint32_t>(units));
        int digits = 8 - LowestSetBit(values | 1ull << 56) / 8;
        if (digits < places + 1) {
            digits = places + 1;
        }
        std::uint64_t text = values + 0x30 * kEachByte;
        StoreWord(o, text >> (8 * (8 - digits)));
        o += digits - places;
        if (places > 0) {
            *o = '.';
            StoreWord(o + 1, text >> (8 * (8 - places)));
            o += places + 1;
        }
        return static_cast<std::size_t>(o - out);
    }
    // The digits end at byte 24 of 40, so that 16 bytes can be read from the first of them.
    char digits[40] = {};
    char* const last = digits + 24;
    char* first = last;
    for (; units >= 100; units /= 100) {
        first -= 2;
        std::memcpy(first, kDigitPairs + 2 * (units % 100), 2);
    }
    if (units >= 10) {
        first -= 2;
        std::memcpy(first, kDigitPairs + 2 * units, 2);
    } else {
        *--first = static_cast<char>('0' + units);
    }
    while (last - first <= places) {
        *--first = '0';
    }
    std::ptrdiff_t integerDigits = last - first - places;
    std::memcpy(o, first, 16);
    o += integerDigits;
    if (places > 0) {
        *o++ = '.';
        std::memcpy(o, first + integerDigits, 8);
        o += places;
    }
    return static_cast<std::size_t>(o - out);
}

// The fast path for what maps hold: a single widened to double (its low 29 fraction bits are
// zero) of magnitude from 2^-40 to below 2^31, written with at most 6 decimals. With v =
// s * 2^(e-23) for a 24-bit s, v * 10^places is exactly (s * 10^places) / 2^(23-e), and
// s * 10^places < 2^44, so the quotient and the remainder that decides the rounding are exact
// 64-bit integers. The cut to 17 significant digits moves v by less than half a unit of its
// 17th digit, below 2^e * 10^-16, which in units of that remainder is below 2^23 * 10^-10 < 1:
// a v not on a halfway point is at least one unit away and stays on its side, and a v on one
// has at most 17 significant digits (its rounded value is below 2^31 * 10^6 < 10^16), so the
// cut leaves it alone. Zero of either sign is written here too. Returns false, having written
// nothing, for every other value.
bool RenderSingleFixed(double v, int places, char* out, std::size_t* written) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    if (places > 6) {
        return false;
    }
    if ((bits << 1) == 0) {
        // Either zero, written without a sign: the first 1 or places + 2 bytes of this text.
        std::memcpy(out, "0.000000", 8);
        *written = places > 0 ? static_cast<std::size_t>(places) + 2 : 1;
        return true;
    }
    int exponentField = static_cast<int>(bits >> 52) & 0x7FF;
    int e = exponentField - 1023;
    if (e < -40 || e > 30 || (bits & ((1ull << 29) - 1)) != 0) {
        return false;
    }
    std::uint64_t significand = ((bits >> 29) & 0x7FFFFF) | (1ull << 23);
    std::uint64_t scaled = significand * kPow10[places];
    int shift = 23 - e;
    std::uint64_t units;
    if (shift <= 0) {
        units = scaled << -shift;
    } else {
        units = scaled >> shift;
        std::uint64_t rest = scaled & ((1ull << shift) - 1);
        if (rest >= 1ull << (shift - 1)) {
            ++units;
        }
    }
    *written = WriteUnits((bits >> 63) != 0, units, places, out);
    return true;
}

const char* SkipDigits(const char* p, const char* end) {
    while (p < end && IsDigit(*p)) {
        ++p;
    }
    return p;
}

// The length of the number text at `text`, by the same form ParseFloatText reads.
std::size_t FloatTextLength(const char* text, const char* end) {
    const char* p = text;
    if (p < end && (*p == '+' || *p == '-')) {
        ++p;
    }
    const char* digits = p;
    p = SkipDigits(p, end);
    bool sawDigit = p != digits;
    if (p < end && *p == '.') {
        const char* fraction = ++p;
        p = SkipDigits(p, end);
        sawDigit = sawDigit || p != fraction;
    }
    if (!sawDigit) {
        return 0;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && (*p == '+' || *p == '-')) {
            ++p;
        }
        p = SkipDigits(p, end);
    }
    return static_cast<std::size_t>(p - text);
}

int ClampDecimals(int decimals) {
    return decimals < 0 ? 0 : decimals > 9 ? 9 : decimals;
}

} // namespace

std::size_t ScanFloatText(const char* text, const char* end, float* value) {
    if (!value) {
        return FloatTextLength(text, end);
    }
    std::size_t shortUsed;
    if (ScanShortDecimal(text, end, &shortUsed, value)) {
        return shortUsed;
    }
    return numbers_internal::ScanLongFloatText(text, end, value);
}

std::size_t ScanFloatTextPadded(const char* text, const char* end, float* value) {
    std::size_t used;
    if (ScanSevenDigits(text, &used, value)) {
        return used;
    }
    return ScanFloatText(text, end, value);
}

std::size_t numbers_internal::ScanLongFloatText(const char* text, const char* end, float* value) {
    DecimalText d;
    std::size_t used = ParseFloatText(text, end, &d);
    if (used == 0) {
        return 0;
    }
    std::uint32_t bits;
    if (!SettleByRange(d, &bits) && !FastSingleBits(d, &bits)) {
        ExactDecimal x;
        MakeExact(d, &x);
        bits = WalkToNearest(x, ApproximateSingleBits(d));
    }
    *value = SingleFromBits(bits, d.negative);
    return used;
}

std::size_t ScanIntText(const char* text, const char* end, std::int32_t* value) {
    const char* p = text;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    std::uint32_t magnitude = 0;
    const char* digitsStart;
    if (end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        p += 2;
        digitsStart = p;
        for (; p < end; ++p) {
            char c = *p;
            std::uint32_t digit;
            if (IsDigit(c)) {
                digit = static_cast<std::uint32_t>(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                digit = static_cast<std::uint32_t>(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                digit = static_cast<std::uint32_t>(c - 'A' + 10);
            } else {
                break;
            }
            magnitude = magnitude * 16 + digit;
        }
    } else {
        std::uint32_t base = p < end && *p == '0' ? 8 : 10;
        char last = base == 8 ? '7' : '9';
        digitsStart = p;
        for (; p < end && *p >= '0' && *p <= last; ++p) {
            magnitude = magnitude * base + static_cast<std::uint32_t>(*p - '0');
        }
    }
    if (p == digitsStart) {
        return 0;
    }
    std::uint32_t bits = negative ? 0u - magnitude : magnitude;
    *value = bits <= 0x7FFFFFFFu ? static_cast<std::int32_t>(bits) : -static_cast<std::int32_t>(~bits) - 1;
    return static_cast<std::size_t>(p - text);
}

std::size_t RenderFixed(double v, int decimals, char* out) {
    int places = ClampDecimals(decimals);
    std::size_t written;
    if (RenderSingleFixed(v, places, out, &written)) {
        return written;
    }
    return numbers_internal::RenderOtherFixed(v, places, out);
}

void ClearRecentTexts(RecentTexts& recent) {
    for (RecentTexts::Entry& e : recent.entry) {
        e.decimals = RecentTexts::kNoDecimals;
    }
}

std::size_t RenderFixedRecent(RecentTexts& recent, double v, int decimals, char* out) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    std::uint8_t places = static_cast<std::uint8_t>(ClampDecimals(decimals));
    // Fibonacci hashing: the top bits of the product depend on all bits of the value.
    std::size_t slot =
        static_cast<std::size_t>(((bits ^ places) * 0x9E3779B97F4A7C15ull) >> (64 - RecentTexts::kEntryBits));
    RecentTexts::Entry& e = recent.entry[slot];
    if (e.bits == bits && e.decimals == places) {
        std::memcpy(out, e.text, sizeof e.text);
        return e.length;
    }
    std::size_t length = RenderFixed(v, places, out);
    if (length <= sizeof e.text) {
        e.bits = bits;
        e.decimals = places;
        e.length = static_cast<std::uint8_t>(length);
        std::memcpy(e.text, out, sizeof e.text);
    }
    return length;
}

std::size_t numbers_internal::RenderOtherFixed(double v, int places, char* out) {
    std::uint64_t representation;
    std::memcpy(&representation, &v, sizeof representation);
    int exponentField = static_cast<int>(representation >> 52) & 0x7FF;
    if (exponentField >= 1023 && exponentField < 1075) {
        // 1 <= |v| < 2^52: a whole number of at most 16 digits when no fraction bit is set.
        int fractionBits = 1075 - exponentField;
        std::uint64_t significand = (representation & ((1ull << 52) - 1)) | (1ull << 52);
        if ((significand & ((1ull << fractionBits) - 1)) == 0) {
            bool negative = (representation >> 63) != 0;
            return WriteScaled(negative, significand >> fractionBits, places, places, out);
        }
    }
    Double d = Decompose(v);
    if (d.zero) {
        return WriteScaled(false, 0, 0, places, out);
    }
    // Below 2^-40 even the cut to 17 digits stays under 10^-12, which rounds to zero at 9 places.
    if (d.exp2 + BitLength(d.significand) <= -40) {
        return WriteScaled(d.negative, 0, 0, places, out);
    }
    // The exact digits of |v| are significand * 2^exp2, or significand * 5^k / 10^k with k = -exp2;
    // when the bit lengths of the factors add up to at most 64 they fit one 64-bit integer.
    static const int kPow5Bits[28] = {1,  3,  5,  7,  10, 12, 14, 17, 19, 21, 24, 26, 28, 31,
                                      33, 35, 38, 40, 42, 45, 47, 49, 52, 54, 56, 59, 61, 63};
    int bits = BitLength(d.significand);
    int exp10 = 0;
    std::uint64_t leading;
    if (d.exp2 >= 0 && bits + d.exp2 <= 64) {
        leading = d.significand << d.exp2;
        KeepLeading18(&leading, &exp10);
    } else if (d.exp2 < 0 && -d.exp2 <= 27 && bits + kPow5Bits[-d.exp2] <= 64) {
        leading = d.significand;
        for (int k = 0; k < -d.exp2; ++k) {
            leading *= 5;
        }
        exp10 = d.exp2;
        KeepLeading18(&leading, &exp10);
    } else {
        BigNum exact;
        BigSet(exact, d.significand);
        if (d.exp2 >= 0) {
            BigShiftLeft(exact, d.exp2);
        } else {
            BigMulPow5(exact, -d.exp2);
            exp10 = d.exp2;
        }
        leading = BigLeading18(exact, &exp10);
    }
    return FinishFixed(d.negative, leading, exp10, places, out);
}

std::size_t RenderInt(std::int32_t v, char* out) {
    std::uint32_t magnitude = static_cast<std::uint32_t>(v);
    char* o = out;
    if (v < 0) {
        *o++ = '-';
        magnitude = 0u - magnitude;
    }
    char reversed[10];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (n > 0) {
        *o++ = reversed[--n];
    }
    return static_cast<std::size_t>(o - out);
}

namespace numbers_internal {

std::size_t ScanFloatTextReference(const char* text, const char* end, float* value) {
    DecimalText d;
    std::size_t used = ParseFloatText(text, end, &d);
    if (used == 0) {
        return 0;
    }
    std::uint32_t bits;
    if (!SettleByRange(d, &bits)) {
        ExactDecimal x;
        MakeExact(d, &x);
        bits = BisectNearest(x);
    }
    *value = SingleFromBits(bits, d.negative);
    return used;
}

std::size_t ScanFloatTextFrom(const char* text, const char* end, std::uint32_t startBits, float* value) {
    DecimalText d;
    std::size_t used = ParseFloatText(text, end, &d);
    if (used == 0) {
        return 0;
    }
    std::uint32_t bits;
    if (!SettleByRange(d, &bits)) {
        ExactDecimal x;
        MakeExact(d, &x);
        bits = WalkToNearest(x, startBits);
    }
    *value = SingleFromBits(bits, d.negative);
    return used;
}

namespace {

// Adds one at digits[at], carrying toward the front.
void AddOneAt(char* digits, int at) {
    for (; digits[at] == '9'; --at) {
        digits[at] = '0';
    }
    ++digits[at];
}

} // namespace

std::size_t RenderFixedReference(double v, int decimals, char* out) {
    int places = ClampDecimals(decimals);
    Double d = Decompose(v);
    if (d.zero) {
        return WriteScaled(false, 0, 0, places, out);
    }
    BigNum exact;
    BigSet(exact, d.significand);
    int fractionDigits = 0;
    if (d.exp2 >= 0) {
        BigShiftLeft(exact, d.exp2);
    } else {
        BigMulPow5(exact, -d.exp2);
        fractionDigits = -d.exp2;
    }
    char expansion[800];
    int length = 0;
    while (exact.size > 0) {
        std::uint32_t chunk = BigDivBy<1000000000>(exact);
        for (int k = 0; k < 9; ++k, chunk /= 10) {
            expansion[length++] = static_cast<char>('0' + chunk % 10);
        }
    }
    while (expansion[length - 1] == '0') {
        --length;
    }

    // digits: a guard "0", zeros so that the integer part has a digit, the expansion, and zeros
    // so that there are at least `places` decimals.
    char digits[1200];
    int n = 0;
    digits[n++] = '0';
    for (int k = length; k < fractionDigits + 1; ++k) {
        digits[n++] = '0';
    }
    while (length > 0) {
        digits[n++] = expansion[--length];
    }
    for (int k = fractionDigits; k < places; ++k) {
        digits[n++] = '0';
    }
    int point = n - (fractionDigits > places ? fractionDigits : places);

    int first = 0;
    while (digits[first] == '0') {
        ++first;
    }
    if (first + 17 < n) {
        bool up = digits[first + 17] >= '5';
        for (int k = first + 17; k < n; ++k) {
            digits[k] = '0';
        }
        if (up) {
            AddOneAt(digits, first + 16);
        }
    }
    int lastKept = point + places - 1;
    if (lastKept + 1 < n && digits[lastKept + 1] >= '5') {
        AddOneAt(digits, lastKept);
    }

    char* o = out;
    if (d.negative) {
        *o++ = '-';
    }
    int start = 0;
    while (start < point - 1 && digits[start] == '0') {
        ++start;
    }
    for (int k = start; k < point; ++k) {
        *o++ = digits[k];
    }
    if (places > 0) {
        *o++ = '.';
        for (int k = point; k < point + places; ++k) {
            *o++ = digits[k];
        }
    }
    return static_cast<std::size_t>(o - out);
}

} // namespace numbers_internal
