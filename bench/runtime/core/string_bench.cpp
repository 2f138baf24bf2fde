// ReplaceText on a report-sized text against a plain std::u16string find/replace loop.
#include "runtime/core/string_functions.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// About 1024 units: a report template whose placeholders are filled in.
std::u16string report_template() {
    static const char16_t* const lines[] = {
        u"Device Name: {value}\n",    u"Serial Number: {value}\n",    u"Cycle Count: {value}\n",
        u"Condition: {value}\n",      u"Maximum Capacity: {value}\n", u"Temperature: {value}\n",
        u"Time Remaining: {value}\n", u"Charging: {value}\n",         u"Power Source: {value}\n",
        u"Low Power Mode: {value}\n", u"Health: {value}\n",
    };
    std::u16string text;
    while (text.size() < 1000) {
        for (const char16_t* line : lines)
            text += line;
    }
    return text.substr(0, 1024);
}

const std::u16string text = report_template();
const std::u16string search = u"{value}";
const std::u16string replace = u"[Not Found]";

std::u16string replace_with_u16string(const std::u16string& in, const std::u16string& what,
                                      const std::u16string& with) {
    std::u16string out;
    out.reserve(in.size());
    size_t from = 0;
    for (size_t at = in.find(what); at != std::u16string::npos; at = in.find(what, from)) {
        out.append(in, from, at - from);
        out.append(with);
        from = at + what.size();
    }
    out.append(in, from);
    return out;
}

void BM_ReplaceText_Runtime(benchmark::State& state) {
    rt::InitStrings();
    for (auto _ : state) {
        char16_t* result = rt::ReplaceText(text.c_str(), search.c_str(), replace.c_str(), 0);
        benchmark::DoNotOptimize(result);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * 2));
}
BENCHMARK(BM_ReplaceText_Runtime);

void BM_ReplaceText_StringValue(benchmark::State& state) {
    rt::InitStrings();
    const rt::String source(text), what(search), with(replace);
    for (auto _ : state) {
        rt::String result = rt::ReplaceText(source, what, with);
        benchmark::DoNotOptimize(result.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * 2));
}
BENCHMARK(BM_ReplaceText_StringValue);

void BM_ReplaceText_U16StringLoop(benchmark::State& state) {
    for (auto _ : state) {
        std::u16string result = replace_with_u16string(text, search, replace);
        benchmark::DoNotOptimize(result.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * 2));
}
BENCHMARK(BM_ReplaceText_U16StringLoop);

} // namespace
