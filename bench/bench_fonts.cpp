// SPDX-License-Identifier: GPL-3.0-or-later
// Font fitting as a display build does it, for boards of 40, 300 and 1,000 entries on a
// 1920-pixel screen with the bundled resolution file: the squares board (ChooseSqrFont and
// MaxGrid) and the edit display (ChooseEditFont). For comparison, the column search that
// builds a real grid of buttons for every column count it tries.
// Run under an X server: xvfb-run -a bench/bench_fonts
#include <benchmark/benchmark.h>
#include <gtk/gtk.h>

#include <cstdlib>

#include "display/display.h"

static const char* const kName = "Vanderbilt:Huntington";

static void FitSquaresBoard(benchmark::State& state) {
    int n = (int)state.range(0);
    for (auto _ : state) {
        sqrres = nullptr;
        int scroll = 0;
        int cols = ChooseSqrFont(kName, n, &scroll);
        if (scroll || cols > (int)sqrres->maxsqrcolqty) cols = (int)sqrres->maxsqrcolqty;
        if (cols < 1) cols = 1;
        int rows = (n + cols - 1) / cols;
        MaxGrid(res, kName, &cols, &rows, n);
        benchmark::DoNotOptimize(cols);
        state.counters["cols"] = cols;
    }
}
BENCHMARK(FitSquaresBoard)->Arg(40)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

static void FitEditDisplay(benchmark::State& state) {
    int n = (int)state.range(0);
    for (auto _ : state) {
        res = R ? R : rhd;
        int scroll = 0;
        int cols = ChooseEditFont("Vanderbilt", n, &scroll);
        benchmark::DoNotOptimize(cols);
        state.counters["cols"] = cols;
    }
}
BENCHMARK(FitEditDisplay)->Arg(40)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

// The search that builds rows x cols buttons for every column count tried.
static void GridPerTry(benchmark::State& state) {
    int n = (int)state.range(0);
    sqrres = nullptr;
    int scroll = 0;
    int start = ChooseSqrFont(kName, n, &scroll);
    if (scroll || start > (int)sqrres->maxsqrcolqty) start = (int)sqrres->maxsqrcolqty;
    if (start < 1) start = 1;
    std::string sample = std::string(kName) + ":   8";
    for (auto _ : state) {
        int cols = start + 1;
        int width;
        do {
            --cols;
            width = MeasureGridWidth(sqrres->sdfont.c_str(), sample.c_str(), (n + start - 1) / start, cols);
        } while (cols > 1 && width >= (int)sqrres->screenwidth);
        benchmark::DoNotOptimize(cols);
        state.counters["cols"] = cols;
    }
}
BENCHMARK(GridPerTry)->Arg(40)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    setenv("NO_AT_BRIDGE", "1", 0);
    if (!gtk_init_check(&argc, &argv)) {
        fprintf(stderr, "bench_fonts: no display (run under xvfb-run -a)\n");
        return 1;
    }
    reqW = 1920;
    reqH = 1080;
    resfile = "resolution.unix";
    SetupResolutionList();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
