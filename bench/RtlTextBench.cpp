// Runtime-library text containers and streams against the standard library
// doing the same work: sorted string lists, sorting, case-insensitive
// comparison, loading text, and many small memory-stream writes.

#include "platform/rtl/MemoryStream.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/StringUtils.h"

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include <benchmark/benchmark.h>

using namespace rtl;

namespace {

std::vector<String> Words(int count) {
    std::mt19937 random(42);
    std::vector<String> words;
    words.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        String w;
        for (int n = 4 + static_cast<int>(random() % 12); n > 0; --n)
            w.push_back(static_cast<char16_t>((random() % 2 ? u'a' : u'A') + random() % 26));
        words.push_back(std::move(w));
    }
    return words;
}

void SortedListAdd(benchmark::State& state) {
    const auto words = Words(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        TStringList list;
        list.SetSorted(true);
        list.SetDuplicates(dupAccept);
        for (const auto& w : words)
            list.Add(w);
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(SortedListAdd)->Arg(10000)->Arg(100000);

void ReferenceMultisetInsert(benchmark::State& state) {
    const auto words = Words(static_cast<int>(state.range(0)));
    auto less = [](const String& a, const String& b) { return AnsiCompareText(a, b) < 0; };
    for (auto _ : state) {
        std::multiset<String, decltype(less)> set(less);
        for (const auto& w : words)
            set.insert(w);
        benchmark::DoNotOptimize(set.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ReferenceMultisetInsert)->Arg(10000)->Arg(100000);

void ListSort(benchmark::State& state) {
    const auto words = Words(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        TStringList list;
        for (const auto& w : words)
            list.Add(w);
        state.ResumeTiming();
        list.Sort();
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ListSort)->Arg(100000);

void ReferenceStdSort(benchmark::State& state) {
    const auto words = Words(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto copy = words;
        state.ResumeTiming();
        std::sort(copy.begin(), copy.end(),
                  [](const String& a, const String& b) { return AnsiCompareText(a, b) < 0; });
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ReferenceStdSort)->Arg(100000);

// Strings that differ only in case, and at the very end.
void CompareTextCase(benchmark::State& state) {
    const bool ascii = state.range(0) < 2;
    const String a = String(1000, ascii ? u'a' : u'\u00E9') + u"x";
    const String b = String(1000, ascii ? u'A' : u'\u00C9') + u"y";
    for (auto _ : state)
        benchmark::DoNotOptimize(state.range(0) == 0 ? CompareText(a, b) : AnsiCompareText(a, b));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(a.size() * 2));
}
// 0: CompareText on ASCII, 1: AnsiCompareText on ASCII, 2: AnsiCompareText on Latin-1.
BENCHMARK(CompareTextCase)->Arg(0)->Arg(1)->Arg(2);

void LoadUtf16Text(benchmark::State& state) {
    TStringList source;
    for (const auto& w : Words(50000))
        source.Add(w + u"=" + w);
    TMemoryStream stream;
    source.SaveToStream(&stream, TEncoding::Unicode());
    for (auto _ : state) {
        stream.SetPosition(0);
        TStringList list;
        list.LoadFromStream(&stream);
        benchmark::DoNotOptimize(list.Count());
    }
    state.SetBytesProcessed(state.iterations() * stream.Size());
}
BENCHMARK(LoadUtf16Text);

void MemoryStreamSmallWrites(benchmark::State& state) {
    for (auto _ : state) {
        TMemoryStream stream;
        for (int i = 0; i < (1 << 20); ++i)
            stream.WriteBuffer(&i, 1);
        benchmark::DoNotOptimize(stream.Memory());
    }
    state.SetBytesProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(MemoryStreamSmallWrites);

void ReferenceVectorSmallWrites(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<std::uint8_t> bytes;
        for (int i = 0; i < (1 << 20); ++i)
            bytes.push_back(static_cast<std::uint8_t>(i));
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(ReferenceVectorSmallWrites);

} // namespace

BENCHMARK_MAIN();
