// SPDX-License-Identifier: MIT
// StoredTextBench.cpp: putting a window identity in its stored form (valid UTF-8, bounded), as
// every recovery write and every comparison with a file does: a plain title, a title with
// bytes that are not UTF-8, and a 4 MiB title.
#include "Arvelo/State/StoredText.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void identity(benchmark::State& state, const std::string& title) {
    const std::string text = "org.example.Editor|" + title;
    for (auto _ : state) benchmark::DoNotOptimize(arvelo::storedIdentity(text));
}

void BM_StoredIdentityPlain(benchmark::State& state) { identity(state, "notes.txt — Editor"); }
void BM_StoredIdentityNotUTF8(benchmark::State& state) { identity(state, "caf\xE9 \xFF menu \xC3"); }
void BM_StoredIdentityHuge(benchmark::State& state) { identity(state, std::string(4u << 20, 'x')); }

}  // namespace

BENCHMARK(BM_StoredIdentityPlain);
BENCHMARK(BM_StoredIdentityNotUTF8);
BENCHMARK(BM_StoredIdentityHuge);
