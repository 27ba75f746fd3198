// Building the boards as the operator sees them, on a 1920x1080 window with the bundled
// resolution file: from SwitchDisplay(SQUARES) (a roll, the board, the club file written)
// to a board fully laid out once the main loop has handled what was pending, for 40, 300
// and 1,000 present dancers; the hall view, the present board and the edit display likewise.
// Run under an X server: xvfb-run -a -s "-screen 0 1920x1080x24" bench/bench_boards
#include <benchmark/benchmark.h>

#include "bench_gui.h"

static void Board(benchmark::State& state, EDITMODE mode, bool hall = false) {
    int n = (int)state.range(0);
    BenchRoster(n);
    hallview = hall;
    SwitchDisplay(mode);  // the board before: one of the same kind
    BenchSettle();
    for (auto _ : state) {
        gint64 t0 = g_get_monotonic_time();
        CleanupMainWindow();
        gint64 t1 = g_get_monotonic_time();
        SwitchDisplay(mode);
        gint64 t2 = g_get_monotonic_time();
        BenchSettle();
        if (getenv("PH")) fprintf(stderr, "cleanup %.1f switch %.1f settle %.1f\n", (t1-t0)/1000.0, (t2-t1)/1000.0, (g_get_monotonic_time()-t2)/1000.0);
    }
    state.counters["cells"] = mode == EDIT ? gridbttnqty : hall ? (int)HallViewCells().size() : BoardCellQty();
    state.counters["cols"] = hall ? HallViewNow().cols : boardcolqty;
    if (hall) state.counters["pages"] = HallViewNow().pages;
    CleanupMainWindow();
    BenchSettle();
}

static void SquaresBoard(benchmark::State& state) { Board(state, SQUARES); }

// The first roll of the evening: from the edit display of the same roster to the board.
static void SquaresFromEdit(benchmark::State& state) {
    BenchRoster((int)state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        SwitchDisplay(EDIT);
        BenchSettle();
        state.ResumeTiming();
        SwitchDisplay(SQUARES);
        BenchSettle();
    }
    state.counters["cells"] = BoardCellQty();
    CleanupMainWindow();
    BenchSettle();
}
static void PresentBoard(benchmark::State& state) { Board(state, PRESENT); }
// The hall view instead of the squares board (V pressed before): a roll, the font fitted by
// measuring every entry, the cells laid out.
static void HallView(benchmark::State& state) { Board(state, SQUARES, true); }
static void EditBoard(benchmark::State& state) { Board(state, EDIT); }

BENCHMARK(SquaresBoard)->Arg(40)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SquaresFromEdit)->Arg(40)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(HallView)->Arg(40)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(PresentBoard)->Arg(40)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EditBoard)->Arg(40)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    if (!BenchWindow(&argc, &argv, "bench_boards")) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StopIntervalTimer();
    return 0;
}
