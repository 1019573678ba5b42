// numbers_bench: the cost of one number scan or render, on the kinds of number a map holds.
#include "numbers.h"
#include "numbers_internal.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Number texts as editors write them, each followed by a space as in a face line.
const char* const kMapTexts[] = {"1552",         "-3904",         "2758.125",     "0",
                                 "-1",           "0.707107",      "-2.22045e-16", "12.5",
                                 "0.4999999404", "127.9999923706"};

// Values of face fields (singles) and of colour fields (products of doubles).
const double kFaceValues[] = {1552.0,    -3904.0, 2758.125,      0.0,  -1.0,
                              0.707107f, 12.5,    0.4999999404f, 90.0, -37.25};
const double kColourValues[] = {0.0039215688593685626983642578125 * 255,
                                0.0039215688593685626983642578125 * 128,
                                0.0039215688593685626983642578125 * 7};

// Each text is followed by NUL bytes, as ScanFloatTextPadded needs; they lie past the end given.
template <std::size_t (*Scan)(const char*, const char*, float*)> void BM_Scan(benchmark::State& state) {
    std::vector<std::string> texts;
    for (const char* t : kMapTexts)
        texts.push_back(std::string(t) + " " + std::string(kScanPadding, '\0'));
    float value = 0;
    for (auto _ : state) {
        for (const std::string& t : texts) {
            benchmark::DoNotOptimize(Scan(t.data(), t.data() + t.size() - kScanPadding, &value));
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(texts.size()));
}

template <std::size_t (*Render)(double, int, char*)>
void BM_Render(benchmark::State& state, const double* values, std::size_t count, int decimals) {
    char out[kMaxFixedText];
    for (auto _ : state) {
        for (std::size_t i = 0; i < count; ++i) {
            benchmark::DoNotOptimize(Render(values[i], decimals, out));
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count));
}

void BM_RenderFace(benchmark::State& state) {
    BM_Render<RenderFixed>(state, kFaceValues, std::size(kFaceValues), static_cast<int>(state.range(0)));
}
void BM_RenderFaceReference(benchmark::State& state) {
    BM_Render<numbers_internal::RenderFixedReference>(state, kFaceValues, std::size(kFaceValues),
                                                      static_cast<int>(state.range(0)));
}
// The same values through the table of recent texts, as lines are written: after the first
// round every value is found there.
void BM_RenderFaceRecent(benchmark::State& state) {
    static RecentTexts recent;
    ClearRecentTexts(recent);
    char out[kMaxFixedText];
    int decimals = static_cast<int>(state.range(0));
    for (auto _ : state) {
        for (double v : kFaceValues) {
            benchmark::DoNotOptimize(RenderFixedRecent(recent, v, decimals, out));
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(std::size(kFaceValues)));
}
void BM_RenderColour(benchmark::State& state) {
    BM_Render<RenderFixed>(state, kColourValues, std::size(kColourValues), 6);
}

} // namespace

BENCHMARK_TEMPLATE(BM_Scan, ScanFloatText);
BENCHMARK_TEMPLATE(BM_Scan, ScanFloatTextPadded);
BENCHMARK_TEMPLATE(BM_Scan, numbers_internal::ScanFloatTextReference);
BENCHMARK(BM_RenderFace)->Arg(0)->Arg(1)->Arg(3);
BENCHMARK(BM_RenderFaceRecent)->Arg(1);
BENCHMARK(BM_RenderFaceReference)->Arg(1);
BENCHMARK(BM_RenderColour);
BENCHMARK_MAIN();
