#include "numbers.h"
#include "numbers_internal.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ios>
#include <random>
#include <string>
#include <vector>

namespace {

std::uint32_t BitsOf(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

float FloatOf(std::uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

constexpr std::uint32_t kMaxFiniteBits = 0x7F7FFFFF;

struct Scanned {
    std::size_t used;
    std::uint32_t bits;
};

// Every text scanned is also measured without a field, which must take the same bytes, and
// scanned again from a copy followed by NUL bytes, as lines are scanned, which must give the
// same result.
Scanned Scan(const std::string& text) {
    float value = FloatOf(0x7FC01234); // a NaN that no text produces
    std::size_t used = ScanFloatText(text.data(), text.data() + text.size(), &value);
    EXPECT_EQ(ScanFloatText(text.data(), text.data() + text.size(), nullptr), used) << text;
    std::string padded = text + std::string(kScanPadding, '\0');
    const char* end = padded.data() + text.size();
    float paddedValue = FloatOf(0x7FC01234);
    EXPECT_EQ(ScanFloatTextPadded(padded.data(), end, &paddedValue), used) << text;
    EXPECT_EQ(BitsOf(paddedValue), BitsOf(value)) << text;
    EXPECT_EQ(ScanFloatTextPadded(padded.data(), end, nullptr), used) << text;
    return {used, BitsOf(value)};
}

Scanned ScanReference(const std::string& text) {
    float value = FloatOf(0x7FC01234);
    std::size_t used =
        numbers_internal::ScanFloatTextReference(text.data(), text.data() + text.size(), &value);
    return {used, BitsOf(value)};
}

Scanned ScanFrom(const std::string& text, std::uint32_t start) {
    float value = FloatOf(0x7FC01234);
    std::size_t used =
        numbers_internal::ScanFloatTextFrom(text.data(), text.data() + text.size(), start, &value);
    return {used, BitsOf(value)};
}

// Exact decimal text of odd * 2^exp2, by schoolbook digit arithmetic.
std::string ExactDecimalText(std::uint64_t odd, int exp2) {
    std::vector<int> digits; // least significant first
    for (; odd != 0; odd /= 10) {
        digits.push_back(static_cast<int>(odd % 10));
    }
    int factor = exp2 >= 0 ? 2 : 5;
    for (int n = 0; n < std::abs(exp2); ++n) {
        int carry = 0;
        for (int& d : digits) {
            int t = d * factor + carry;
            d = t % 10;
            carry = t / 10;
        }
        for (; carry != 0; carry /= 10) {
            digits.push_back(carry % 10);
        }
    }
    int fraction = exp2 < 0 ? -exp2 : 0;
    while (static_cast<int>(digits.size()) <= fraction) {
        digits.push_back(0);
    }
    std::string text;
    for (int i = static_cast<int>(digits.size()) - 1; i >= 0; --i) {
        text += static_cast<char>('0' + digits[i]);
        if (i == fraction && fraction > 0) {
            text += '.';
        }
    }
    return text;
}

// The exact halfway point between the positive single `below` and the next one up.
std::string HalfwayText(std::uint32_t below) {
    std::uint32_t exponentField = below >> 23;
    std::uint64_t significand = below & 0x7FFFFF;
    int lastPlace = -149;
    if (exponentField != 0) {
        significand |= 0x800000;
        lastPlace = static_cast<int>(exponentField) - 150;
    }
    return ExactDecimalText(2 * significand + 1, lastPlace - 1);
}

// A text a little below the (positive) number text: one unit off the last digit, then a 9.
std::string JustBelow(std::string text) {
    for (int i = static_cast<int>(text.size()) - 1; i >= 0; --i) {
        if (text[i] == '.') {
            continue;
        }
        if (text[i] != '0') {
            --text[i];
            break;
        }
        text[i] = '9';
    }
    return text + (text.find('.') == std::string::npos ? ".9" : "9");
}

std::string JustAbove(const std::string& text) {
    return text + (text.find('.') == std::string::npos ? ".000001" : "000001");
}

// Short decimal texts of the kinds maps hold, and the leading digits of random singles.
std::string RandomNumberText(std::mt19937& rng) {
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::string text;
    if (pick(3) == 0) {
        text += pick(2) == 0 ? "-" : "+";
    }
    if (pick(3) == 0) {
        std::uint32_t bits = static_cast<std::uint32_t>(rng()) % kMaxFiniteBits;
        std::string halfway = HalfwayText(bits);
        std::size_t firstNonzero = halfway.find_first_not_of("0.");
        std::size_t keep = firstNonzero + 6 + static_cast<std::size_t>(pick(12));
        text += halfway.substr(0, keep < halfway.size() ? keep : halfway.size());
        return text;
    }
    int integerDigits = pick(13);
    int fractionDigits = pick(13);
    for (int i = 0; i < integerDigits; ++i) {
        text += static_cast<char>('0' + pick(10));
    }
    if (fractionDigits > 0 || integerDigits == 0) {
        text += '.';
        for (int i = 0; i < fractionDigits || integerDigits + i == 0; ++i) {
            text += static_cast<char>('0' + pick(10));
        }
    }
    if (pick(3) == 0) {
        text += pick(2) == 0 ? "e" : "E-";
        text += std::to_string(pick(50));
    }
    return text;
}

struct FloatCase {
    const char* text;
    float value;
    std::size_t used;
};

TEST(ScanFloatText, ReadsNumberTexts) {
    const float max = FLT_MAX;
    const FloatCase cases[] = {
        {"0.1", 0.100000001490116119384765625f, 3},
        {"12.34", 12.340000152587890625f, 5},
        {"16777216", 16777216.0f, 8},
        {"16777218", 16777218.0f, 8},
        {"33554436", 33554436.0f, 8},
        {"300", 300.0f, 3},
        {"300.0", 300.0f, 5},
        {"3e2", 300.0f, 3},
        {"1e2", 100.0f, 3},
        {"-1.5E-1", -0.1500000059604644775390625f, 7},
        {"+.5", 0.5f, 3},
        {"5.", 5.0f, 2},
        {"-.5e1", -5.0f, 5},
        {"1e", 1.0f, 2},
        {"1e+", 1.0f, 3},
        {"1E-x", 1.0f, 3},
        {"1e+-2", 1.0f, 3},
        {"1.5e+3x", 1500.0f, 6},
        {"1e2.5", 100.0f, 3},
        {".5.", 0.5f, 2},
        {"0x10", 0.0f, 1},
        {"1,5", 1.0f, 1},
        {"12abc", 12.0f, 2},
        {"-128 ", -128.0f, 4},
        {"-6.123233995736766e-17",
         -0.0000000000000000612323426292583927223189821376081454218365252017974853515625f, 22},
        {"0.1000000015", 0.100000001490116119384765625f, 12},
        {"-0", -0.0f, 2},
        {"-0.0", -0.0f, 4},
        {"-0e99", -0.0f, 5},
        {"0.000e-3", 0.0f, 8},
        {"1e0001", 10.0f, 6},
        {"1e00001", 10.0f, 7},
        {"0.0000000000000000000000000000000000001e37", 1.0f, 42},
        {"123456789012345678", 123456790519087104.0f, 18},
        {"1234567890123456789", 1234567939550609408.0f, 19},
        // Ties go to the even neighbour.
        {"16777217", 16777216.0f, 8},
        {"16777219", 16777220.0f, 8},
        {"16777217.0000000000000000000001", 16777218.0f, 31},
        {"16777216.9999999999999999999999", 16777216.0f, 31},
        // Subnormals, and what lies below the smallest of them.
        {"1e-45", 0x1p-149f, 5},
        {"1.4e-45", 0x1p-149f, 7},
        {"7.1e-46", 0x1p-149f, 7},
        {"7e-46", 0.0f, 5},
        {"-7e-46", -0.0f, 6},
        {"0.000000000000000000000000000000000000000000000700649232162408535461864791644958065640130970938257"
         "885878534141944895541342930300743319094181060791015625",
         0.0f, 152},
        {"2.101947696487225606385594374934874196920392912814773657635602425834686624028790902229957282543182"
         "373046875e-45",
         0x1p-148f, 111},
        {"1.1754942e-38", 0x1.fffffcp-127f, 13},
        {"1.17549435e-38", 0x1p-126f, 14},
        {"1.1754942807573642917278829910357665133228589927589904276829631184250030649651730385585324256680905"
         "818939208984375e-38",
         0x1p-126f, 118},
        {"1e-99999999999", 0.0f, 14},
        {"-1e-99999999999", -0.0f, 15},
        // Beyond the largest single the largest single is read, with the sign.
        {"3.4028235677973366e38", max, 21},
        {"340282356779733661637539395458142568448", max, 39},
        {"340282356779733661637539395458142568449", max, 39},
        {"1e39", max, 4},
        {"-1e39", -max, 5},
        {"1e99999999999", max, 13},
        {"-1e+999999999999999999999999", -max, 28},
    };
    for (const FloatCase& c : cases) {
        Scanned got = Scan(c.text);
        EXPECT_EQ(got.used, c.used) << c.text;
        EXPECT_EQ(got.bits, BitsOf(c.value)) << c.text << " read as " << FloatOf(got.bits);
        EXPECT_EQ(ScanReference(c.text).bits, BitsOf(c.value)) << c.text;
    }
}

TEST(ScanFloatText, RejectsTextsWithoutDigits) {
    for (const char* text :
         {"", "inf", "-inf", "nan", ".", "+", "-", "+.", "-.e5", ".e1", "e5", " 1", "+-1", "x1"}) {
        Scanned got = Scan(text);
        EXPECT_EQ(got.used, 0u) << text;
        EXPECT_EQ(got.bits, 0x7FC01234u) << text << ": value was changed";
    }
}

TEST(ScanFloatText, StopsAtTheEndGiven) {
    const char text[] = "12.5e3";
    float value = 0;
    EXPECT_EQ(ScanFloatText(text, text + 4, &value), 4u);
    EXPECT_EQ(value, 12.5f);
    EXPECT_EQ(ScanFloatText(text, text + 5, &value), 5u);
    EXPECT_EQ(value, 12.5f);
}

TEST(ScanFloatText, ReadsVeryLongTexts) {
    std::string thirds = "3." + std::string(5000, '3');
    EXPECT_EQ(Scan(thirds).used, 5002u);
    EXPECT_EQ(Scan(thirds).bits, BitsOf(3.3333332538604736328125f));

    std::string tiny = "0." + std::string(400, '0') + "1";
    EXPECT_EQ(Scan(tiny).used, 403u);
    EXPECT_EQ(Scan(tiny).bits, 0u);
    EXPECT_EQ(Scan(tiny + "e401").bits, BitsOf(1.0f));

    std::string huge = "1" + std::string(4999, '0');
    EXPECT_EQ(Scan(huge).used, 5000u);
    EXPECT_EQ(Scan(huge).bits, kMaxFiniteBits);
    EXPECT_EQ(Scan(huge + "e-4999").bits, BitsOf(1.0f));
    EXPECT_EQ(Scan("0." + std::string(5000, '0') + "3e5001").bits, BitsOf(3.0f));

    // A nonzero digit thousands of places after a halfway point still decides the rounding.
    std::string half = "16777217." + std::string(4990, '0');
    EXPECT_EQ(Scan(half).bits, BitsOf(16777216.0f));
    EXPECT_EQ(Scan(half + "1").bits, BitsOf(16777218.0f));
    EXPECT_EQ(Scan("16777219" + std::string(4990, '0') + "e-4990").bits, BitsOf(16777220.0f));
}

TEST(ScanFloatText, RoundsHalfwayTextsToEven) {
    std::mt19937 rng(7);
    std::vector<std::uint32_t> below = {
        0,          1,          2,          0x7FFFFE,   0x7FFFFF,          0x800000,
        0x3F7FFFFF, 0x3F800000, 0x4B7FFFFF, 0x4B800000, kMaxFiniteBits - 1};
    for (int i = 0; i < 3000; ++i) {
        below.push_back(static_cast<std::uint32_t>(rng()) % kMaxFiniteBits);
    }
    for (std::uint32_t bits : below) {
        std::string half = HalfwayText(bits);
        std::uint32_t even = (bits & 1) == 0 ? bits : bits + 1;
        EXPECT_EQ(Scan(half).bits, even) << half;
        EXPECT_EQ(Scan(JustBelow(half)).bits, bits) << JustBelow(half);
        EXPECT_EQ(Scan(JustAbove(half)).bits, bits + 1) << JustAbove(half);
        EXPECT_EQ(Scan("-" + half).bits, even | 0x80000000u) << half;
    }
}

TEST(ScanFloatText, AgreesWithExactReference) {
    std::mt19937 rng(11);
    for (int i = 0; i < 20000; ++i) {
        std::string text = RandomNumberText(rng);
        Scanned fast = Scan(text);
        Scanned reference = ScanReference(text);
        ASSERT_EQ(fast.used, reference.used) << text;
        ASSERT_EQ(fast.bits, reference.bits) << text;
    }
}

// Texts whose digits are at most 2^24 with a power of ten from -10 to 10 are read by one
// single-precision operation. Among them are values halfway between two singles, which must
// go to the even one: 3355445e1 = 33554450 lies halfway between 33554448 and 33554452.
TEST(ScanFloatText, FewDigitsAndSmallPowersAgreeWithReference) {
    std::mt19937 rng(29);
    for (int i = 0; i < 20000; ++i) {
        std::string digits = std::to_string(rng() % (1u << 24) + 1);
        int exp10 = static_cast<int>(rng() % 21) - 10;
        for (const std::string& text : {digits + "e" + std::to_string(exp10), "-0." + digits,
                                        digits.substr(0, 1) + "." + digits.substr(1)}) {
            ASSERT_EQ(Scan(text).bits, ScanReference(text).bits) << text;
        }
    }
    for (const char* text :
         {"3355445e1", "-3355445e1", "3355447e1", "16777216e-10", "1e10", "1e-10", "0.1"}) {
        EXPECT_EQ(Scan(text).bits, ScanReference(text).bits) << text;
    }
}

TEST(ScanFloatText, ExactWalkFindsTheNearestFromNearbyStarts) {
    std::mt19937 rng(13);
    for (int i = 0; i < 300; ++i) {
        std::string text = RandomNumberText(rng);
        std::uint32_t expected = ScanReference(text).bits;
        std::uint32_t truth = expected & 0x7FFFFFFF;
        for (int offset : {-40, -2, -1, 0, 1, 2, 40}) {
            std::uint32_t start = truth + static_cast<std::uint32_t>(offset);
            if (offset < 0 && truth < static_cast<std::uint32_t>(-offset)) {
                start = 0;
            }
            EXPECT_EQ(ScanFrom(text, start).bits, expected) << text << " from " << start;
        }
    }
}

#ifdef __GLIBC__
// glibc's strtof rounds correctly, ties to even; it gives infinity where ours stops at FLT_MAX.
TEST(ScanFloatText, MatchesHostStrtof) {
    std::mt19937 rng(17);
    for (int i = 0; i < 100000; ++i) {
        std::string text = RandomNumberText(rng);
        float host = std::strtof(text.c_str(), nullptr);
        if (std::isinf(host)) {
            host = std::copysign(FLT_MAX, host);
        }
        ASSERT_EQ(Scan(text).bits, BitsOf(host)) << text;
    }
}
#endif

struct IntCase {
    const char* text;
    std::int32_t value;
    std::size_t used;
};

TEST(ScanIntText, ReadsIntegerTexts) {
    const IntCase cases[] = {
        {"0", 0, 1},
        {"300", 300, 3},
        {"-5", -5, 2},
        {"+7", 7, 2},
        {"0x12c", 300, 5},
        {"0X12C", 300, 5},
        {"-0x10", -16, 5},
        {"0xffffffff", -1, 10},
        {"0x1G", 1, 3},
        {"0300", 192, 4},
        {"010", 8, 3},
        {"00", 0, 2},
        {"08", 0, 1},
        {"09", 0, 1},
        {"0a", 0, 1},
        {"300.5", 300, 3},
        {"4294967297", 1, 10},
        {"4294967296", 0, 10},
        {"2147483647", 2147483647, 10},
        {"2147483648", INT32_MIN, 10},
        {"-2147483648", INT32_MIN, 11},
        {"-4294967295", 1, 11},
        {"99999999999999999999", 1661992959, 20},
        {"12\"", 12, 2},
    };
    for (const IntCase& c : cases) {
        std::int32_t value = 12345;
        const char* end = c.text + std::strlen(c.text);
        EXPECT_EQ(ScanIntText(c.text, end, &value), c.used) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(ScanIntText, RejectsTextsWithoutDigits) {
    for (const char* text : {"", "-", "+", "x", "0x", "0x ", "0X ", "-0x", "+0xg", " 1", "--1", ".5", "a"}) {
        std::int32_t value = 12345;
        EXPECT_EQ(ScanIntText(text, text + std::strlen(text), &value), 0u) << text;
        EXPECT_EQ(value, 12345) << text;
    }
}

std::string Render(double v, int decimals) {
    char out[kMaxFixedText];
    return std::string(out, RenderFixed(v, decimals, out));
}

std::string RenderReference(double v, int decimals) {
    char out[kMaxFixedText];
    return std::string(out, numbers_internal::RenderFixedReference(v, decimals, out));
}

struct FixedCase {
    double value;
    int decimals;
    const char* text;
};

TEST(RenderFixed, WritesRoundedTexts) {
    const FixedCase cases[] = {
        {0.25, 1, "0.3"},
        {0.25, 0, "0"},
        {0.5, 0, "1"},
        {2.5, 0, "3"},
        {-0.5, 0, "-1"},
        {0.0625, 3, "0.063"},
        {0.5, 3, "0.500"},
        {0.05f, 1, "0.1"},
        {0.35f, 1, "0.3"},
        {12.34f, 1, "12.3"},
        {9.96f, 1, "10.0"},
        {-0.0, 1, "0.0"},
        {0.0, 0, "0"},
        {-0.0, 6, "0.000000"},
        {-0.04f, 1, "-0.0"},
        {-0.4f, 0, "-0"},
        {1e20f, 1, "100000002004087730000.0"},
        {FLT_MAX, 0, "340282346638528860000000000000000000000"},
        {1.0000000591389834880828857421875, 6, "1.000000"},
        {0.501960813999176025390625, 6, "0.501961"},
        {0.0039215688593685626983642578125, 6, "0.003922"},
        {64, 1, "64.0"},
        {-128, 0, "-128"},
        {16777216, 3, "16777216.000"},
        {9007199254740993.0, 0, "9007199254740992"},
        {123456789012345678.0, 0, "123456789012345680"},
        {0.1, 9, "0.100000000"},
        {-6.123233995736766e-17, 6, "-0.000000"},
        {1e-300, 9, "0.000000000"},
        {4.9406564584124654e-324, 0, "0"},
        {-4.9406564584124654e-324, 1, "-0.0"},
        {0.0000000005, 9, "0.000000001"},
        {0.00000000049999999999999997, 9, "0.000000000"},
        // The cut to 17 digits turns ...4999999999999999|5 into a half, which then rounds up.
        {1988.55, 1, "1988.6"},
        {0.2175, 3, "0.218"},
        {0.0698545, 6, "0.069855"},
        {99.95, 1, "100.0"},
        {DBL_MAX, 0,
         "179769313486231570000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
         "000000000000"},
    };
    for (const FixedCase& c : cases) {
        EXPECT_EQ(Render(c.value, c.decimals), c.text) << c.value << " with " << c.decimals;
        EXPECT_EQ(RenderReference(c.value, c.decimals), c.text) << c.value << " with " << c.decimals;
    }
}

TEST(RenderFixed, WritesNonFiniteValuesAsDocumented) {
    EXPECT_EQ(Render(std::nan(""), 1), "0.0");
    EXPECT_EQ(Render(-std::nan(""), 0), "0");
    EXPECT_EQ(Render(HUGE_VAL, 3), Render(DBL_MAX, 3));
    EXPECT_EQ(Render(-HUGE_VAL, 0), Render(-DBL_MAX, 0));
}

TEST(RenderFixed, LongestTextFitsTheBuffer) {
    char out[kMaxFixedText];
    EXPECT_EQ(RenderFixed(-DBL_MAX, 9, out), kMaxFixedText);
    EXPECT_EQ(std::string(out + kMaxFixedText - 11, 11), "0.000000000");
}

double DoubleOf(std::uint64_t bits) {
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

void ExpectSameAsReference(double v) {
    for (int decimals = 0; decimals <= 9; ++decimals) {
        EXPECT_EQ(Render(v, decimals), RenderReference(v, decimals))
            << std::hexfloat << v << " with " << decimals;
    }
}

TEST(RenderFixed, AgreesWithDigitByDigitReference) {
    std::mt19937_64 rng(19);
    for (int i = 0; i < 4000; ++i) {
        std::uint64_t bits = rng();
        if (((bits >> 52) & 0x7FF) != 0x7FF) {
            ExpectSameAsReference(DoubleOf(bits));
        }
        std::uint32_t single = static_cast<std::uint32_t>(bits);
        if (((single >> 23) & 0xFF) != 0xFF) {
            ExpectSameAsReference(FloatOf(single));
        }
        // Mostly small magnitudes, where maps live.
        int exponent = 1023 - 40 + static_cast<int>(rng() % 100);
        ExpectSameAsReference(
            DoubleOf((bits & 0x800FFFFFFFFFFFFFull) | (static_cast<std::uint64_t>(exponent) << 52)));
    }
    // Values next to the halves of each place: x.x5 and its neighbours.
    for (int decimals : {0, 1, 3, 6}) {
        double scale = std::pow(10.0, decimals);
        for (int i = 0; i < 3000; ++i) {
            double units = static_cast<double>(rng() % 2000000);
            double half = (2 * units + 1) / (2 * scale);
            for (double v : {half, std::nextafter(half, 0.0), std::nextafter(half, 1e300), -half}) {
                EXPECT_EQ(Render(v, decimals), RenderReference(v, decimals))
                    << std::hexfloat << v << " with " << decimals;
            }
        }
    }
    for (double v : {DBL_MAX, DBL_MIN, DBL_TRUE_MIN, 0x1p53, 0x1p64, 0x1p-40, std::nextafter(0x1p-40, 0.0),
                     9.5367431640625e-7, 1e16, 1e17, 1e18, 1e19, 99999999999999999.0}) {
        ExpectSameAsReference(v);
        ExpectSameAsReference(-v);
    }
}

// Singles widened to double, the values of map fields, take a faster route from 2^-40 to below
// 2^31. Next to the halves of each place, where a rounding slip would show, over the whole
// range and at its ends, that route must write what the reference writes.
TEST(RenderFixed, SinglesNextToHalvesAgreeWithReference) {
    std::mt19937_64 rng(23);
    for (int decimals : {0, 1, 3, 6}) {
        double scale = std::pow(10.0, decimals);
        for (int i = 0; i < 4000; ++i) {
            double units =
                static_cast<double>(rng() % static_cast<std::uint64_t>(std::pow(10.0, rng() % 13)));
            float half = static_cast<float>((2 * units + 1) / (2 * scale));
            for (float v : {half, std::nextafter(half, 0.0f), std::nextafter(half, 1e30f), -half}) {
                EXPECT_EQ(Render(v, decimals), RenderReference(v, decimals))
                    << std::hexfloat << v << " with " << decimals;
            }
        }
    }
    for (int i = 0; i < 4000; ++i) {
        std::uint32_t bits = static_cast<std::uint32_t>(rng());
        int exponent = 127 - 45 + static_cast<int>(rng() % 80);
        ExpectSameAsReference(FloatOf((bits & 0x807FFFFFu) | static_cast<std::uint32_t>(exponent) << 23));
    }
    for (float v : {0x1p31f, std::nextafter(0x1p31f, 0.0f), 0x1p-40f, std::nextafter(0x1p-40f, 0.0f),
                    0x1p-41f, 16777216.0f, 0.05f, 0.35f, 9.96f, 0.0f}) {
        ExpectSameAsReference(v);
        ExpectSameAsReference(-v);
    }
}

// A table of recent texts must never change a byte: not for a value written before with other
// decimals, not for values that share an entry, not for zero with 0 decimals on an empty table
// (an empty entry holds the bits of +0.0), and not for texts too long to be kept.
TEST(RenderFixedRecent, WritesWhatRenderFixedWrites) {
    RecentTexts recent;
    ClearRecentTexts(recent);
    auto expectSame = [&](double v, int decimals) {
        char out[kMaxFixedText];
        std::string got(out, RenderFixedRecent(recent, v, decimals, out));
        ASSERT_EQ(got, Render(v, decimals)) << std::hexfloat << v << " with " << decimals;
    };
    for (double v : {0.0, -0.0, 0.0, 1e300, 1e300, -1e-300})
        for (int decimals : {0, 1, 6, 0})
            expectSame(v, decimals);
    std::mt19937_64 rng(31);
    std::vector<double> few, many;
    for (int i = 0; i < 20; ++i)
        few.push_back(static_cast<float>(static_cast<int>(rng() % 8192) - 4096) / 8.0f);
    for (int i = 0; i < 5000; ++i)
        many.push_back(FloatOf(static_cast<std::uint32_t>(rng() % 0x4F000000u)));
    for (int i = 0; i < 50000; ++i) {
        const std::vector<double>& pool = rng() % 2 == 0 ? few : many;
        expectSame(pool[rng() % pool.size()], static_cast<int>(rng() % 10));
    }
}

TEST(RenderInt, WritesDecimal) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, "0"},   {300, "300"}, {-50, "-50"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"},
        {-1, "-1"},
    };
    for (const auto& c : cases) {
        char out[11];
        EXPECT_EQ(std::string(out, RenderInt(c.first, out)), c.second);
    }
}

} // namespace
