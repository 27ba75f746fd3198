// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing club files of 100 to 10,000 dancers, every dancer with a card and
// half of them in couples.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/dorvels.h"
#include "core/screen.h"
#include "files/clubfile.h"
#include "registry/registry.h"
#include "support/helmtext.h"


namespace {

// A scratch folder, so that the club and pointer files do not land in the working folder.
struct Scratch {
    std::string dir;
    Scratch() {
        char tmpl[] = "/tmp/dorvels-bench-XXXXXX";
        dir = mkdtemp(tmpl);
        if (chdir(dir.c_str()) != 0) perror("chdir");
    }
    ~Scratch() {
        std::string cmd = "rm -rf '" + dir + "'";
        if (system(cmd.c_str()) != 0) perror("rm");
    }
};
Scratch scratch;

void MakeRoster(int n) {
    ResetEvening();
    clubname = "The Benchmark Squares";
    caller = "Cal Bench";
    outputfilename = "bench.dorvel";
    static const SDPGM levels[] = {Basic, Main, Plus, A1};
    for (int i = 0; i < n; ++i) {
        SqrDancer* sd = NewSqrDancerAlloc(nullptr);
        sd->firstname = strprintf("First%05d", i);
        sd->lastname = strprintf("Family%05d", i / 2);
        sd->firstlast = sd->firstname + " " + sd->lastname;
        sd->sex = i % 2 ? F : M;
        sd->pgm = levels[i % 4];
        sd->priority = i % 7 ? LUCK : MUST;
        sd->dances = i % 5;
        sd->rfid = 1000000000ull + (uint64_t)i * 7919;
        RfidInsert(sd);
        NameTrieInsert(sd);
        // Dancers 0-1, 4-5, 8-9 ... are couples: half of the roster.
        if (i % 4 == 1) {
            sd->partner = sd->prv;
            sd->prv->partner = sd;
        }
    }
    SetupDispNames();
}

void BM_WriteClubFile(benchmark::State& state) {
    MakeRoster((int)state.range(0));
    for (auto _ : state) {
        if (!WriteDorvels(1)) state.SkipWithError("write failed");
    }
    state.SetComplexityN(state.range(0));
    state.counters["bytes"] = (double)ClubFileText(1).size();
    ResetEvening();
}

void BM_FormatClubFile(benchmark::State& state) {
    MakeRoster((int)state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(ClubFileText(1));
    state.SetComplexityN(state.range(0));
    ResetEvening();
}

void BM_ReadClubFile(benchmark::State& state) {
    MakeRoster((int)state.range(0));
    if (!WriteDorvels(1)) state.SkipWithError("write failed");
    for (auto _ : state) {
        state.PauseTiming();
        ResetEvening();
        state.ResumeTiming();
        FILE* fp = fopen("bench.dorvel", "r");
        ReadDorvels(fp);
        fclose(fp);
    }
    state.SetComplexityN(state.range(0));
    if (RosterCount() != state.range(0)) state.SkipWithError("roster incomplete");
    ResetEvening();
}

}  // namespace

BENCHMARK(BM_ReadClubFile)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
BENCHMARK(BM_WriteClubFile)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
BENCHMARK(BM_FormatClubFile)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

BENCHMARK_MAIN();
