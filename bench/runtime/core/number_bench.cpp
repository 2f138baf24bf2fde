// Number conversions beside the standard library calls they are measured against. Each pair runs
// over the same values, so the ratio of their times is the cost of the runtime's conventions
// (UTF-16 output in the temporary area, the special-value checks, trimming).

#include "runtime/core/number_text.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr float float_values[] = {3.14159f, 100.0f, 0.1f, 42.5f, 1234.567f, -7.25f, 99.99f, 37.8f};
constexpr int64_t integer_values[] = {0, 7, 42, -42, 12345, 9876543210, INT64_MIN, INT64_MAX};
constexpr const char16_t* float_texts[] = {u"3.14",    u"100",   u"0.1000000015", u"42.5",
                                           u"1234.57", u"-7.25", u"99.99",        u"37.8"};
constexpr const char* float_bytes[] = {"3.14",    "100",   "0.1000000015", "42.5",
                                       "1234.57", "-7.25", "99.99",        "37.8"};
constexpr const char16_t* integer_texts[] = {u"0",
                                             u"7",
                                             u"42",
                                             u"-42",
                                             u"12345",
                                             u"9876543210",
                                             u"-9223372036854775808",
                                             u"9223372036854775807"};
constexpr const char* integer_bytes[] = {
    "0", "7", "42", "-42", "12345", "9876543210", "-9223372036854775808", "9223372036854775807"};
constexpr size_t value_mask = 7;

void start_runtime() {
    rt::InitStrings();
    rt::InitLocale();
}

void BM_FloatToText_2Decimals(benchmark::State& state) {
    start_runtime();
    size_t i = 0;
    for (auto _ : state) {
        const rt::TempOffset p = 0;
        benchmark::DoNotOptimize(rt::FloatToText(2, p, float_values[i++ & value_mask]));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FloatToText_2Decimals);

void BM_Baseline_snprintf_2Decimals(benchmark::State& state) {
    start_runtime();
    char buffer[64];
    size_t i = 0;
    for (auto _ : state) {
        const double value = float_values[i++ & value_mask];
        benchmark::DoNotOptimize(std::snprintf(buffer, sizeof buffer, "%.2f", value));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Baseline_snprintf_2Decimals);

void BM_FloatToTextDefault(benchmark::State& state) {
    start_runtime();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(rt::FloatToTextDefault(0, float_values[i++ & value_mask]));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FloatToTextDefault);

void BM_Baseline_snprintf_10Decimals(benchmark::State& state) {
    start_runtime();
    char buffer[64];
    size_t i = 0;
    for (auto _ : state) {
        const double value = float_values[i++ & value_mask];
        benchmark::DoNotOptimize(std::snprintf(buffer, sizeof buffer, "%.10f", value));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Baseline_snprintf_10Decimals);

void BM_IntegerToText(benchmark::State& state) {
    start_runtime();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(rt::IntegerToText(integer_values[i++ & value_mask], 0));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_IntegerToText);

void BM_Baseline_to_chars(benchmark::State& state) {
    start_runtime();
    char buffer[24];
    size_t i = 0;
    for (auto _ : state) {
        const auto result =
            std::to_chars(buffer, buffer + sizeof buffer, integer_values[i++ & value_mask]);
        *result.ptr = 0;
        benchmark::DoNotOptimize(result.ptr);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Baseline_to_chars);

void BM_TextToInteger(benchmark::State& state) {
    start_runtime();
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(rt::TextToInteger(integer_texts[i++ & value_mask]));
}
BENCHMARK(BM_TextToInteger);

void BM_Baseline_from_chars(benchmark::State& state) {
    start_runtime();
    size_t i = 0;
    for (auto _ : state) {
        const char* text = integer_bytes[i++ & value_mask];
        int64_t value = 0;
        std::from_chars(text, text + std::char_traits<char>::length(text), value);
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(BM_Baseline_from_chars);

void BM_TextToFloat(benchmark::State& state) {
    start_runtime();
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(rt::TextToFloat(float_texts[i++ & value_mask]));
}
BENCHMARK(BM_TextToFloat);

void BM_Baseline_atof(benchmark::State& state) {
    start_runtime();
    size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(std::atof(float_bytes[i++ & value_mask]));
}
BENCHMARK(BM_Baseline_atof);

} // namespace
