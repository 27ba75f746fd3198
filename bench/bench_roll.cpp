// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one roll for 100, 300, 1,000 and 10,000 present dancers, half of them singles: as
// dealt (BM_RollSquares) and with mixing (BM_RollSquaresMix), which places the pairs against
// the meetings of 11 tips in the history, as at the last tip of a 12-tip evening.
#include <benchmark/benchmark.h>

#include <string>

#include "assign/assign.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/rndm.h"


static void Build(int n) {
    ResetEvening();
    int made = 0, i = 0;
    const SDSEX roles[] = {M, F, MF, FM, E, M, F};
    while (made < n / 2) {  // couples
        SqrDancer* a = NewSqrDancerAlloc(nullptr);
        a->firstname = std::string("a").append(std::to_string(i));
        a->lastname = std::string("C").append(std::to_string(i));
        a->firstlast = a->firstname + " " + a->lastname;
        SqrDancer* b = NewSqrDancerAlloc(a);
        b->firstname = std::string("b").append(std::to_string(i));
        b->lastname = a->lastname;
        b->firstlast = b->firstname + " " + b->lastname;
        made += 2;
        ++i;
    }
    while (made < n) {  // singles of every role
        SqrDancer* s = NewSqrDancerAlloc(nullptr);
        s->sex = roles[made % 7];
        s->firstname = std::string("s").append(std::to_string(made));
        s->lastname = std::string("S").append(std::to_string(made % 97));
        s->firstlast = s->firstname + " " + s->lastname;
        ++made;
    }
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 0;
}

static void BM_RollSquares(benchmark::State& state) {
    Build(static_cast<int>(state.range(0)));
    set_rndm(1, 2, 3);
    for (auto _ : state) {
        Square* s = RollSquares();
        benchmark::DoNotOptimize(s);
        state.PauseTiming();
        OutDancersAfterRoll();  // the next roll has sit-outs to put first, as in an evening
        state.ResumeTiming();
    }
    state.counters["squares"] = totsquare;
    ResetEvening();
}
BENCHMARK(BM_RollSquares)->Arg(100)->Arg(300)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

static void BM_RollSquaresMix(benchmark::State& state) {
    Build(static_cast<int>(state.range(0)));
    set_rndm(1, 2, 3);
    mixflag = 1;
    editmode = SQUARES;
    for (tipcnt = 1; tipcnt <= 11; ++tipcnt) {  // the evening so far
        RollSquares();
        OutDancersAfterRoll();
        HistorySave(nullptr, 0);
    }
    for (auto _ : state) {  // the twelfth tip, rolled again and again against the same history
        Square* s = RollSquares();
        benchmark::DoNotOptimize(s);
        state.PauseTiming();
        OutDancersAfterRoll();
        state.ResumeTiming();
    }
    state.counters["squares"] = totsquare;
    ResetEvening();
}
BENCHMARK(BM_RollSquaresMix)->Arg(100)->Arg(300)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
