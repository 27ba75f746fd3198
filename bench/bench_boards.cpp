// Building the boards as the operator sees them, on a 1920x1080 window with the bundled
// resolution file: from SwitchDisplay(SQUARES) (a roll, the board, the club file written)
// to a board fully laid out once the main loop has handled what was pending, for 40, 300
// and 1,000 present dancers; the hall view, the present board and the edit display likewise.
// Run under an X server: xvfb-run -a -s "-screen 0 1920x1080x24" bench/bench_boards
#include <benchmark/benchmark.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "display/boards.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/rndm.h"

// The roster: n present dancers, couples of distinct last names (and one single when odd).
static void Roster(int n) {
    ResetEvening();
    outputfilename = "/tmp/bench_boards.dorvel";
    for (int i = 0; i + 1 < n; i += 2) {
        SqrDancer* a = NewSqrDancerAlloc(nullptr);
        SqrDancer* b = NewSqrDancerAlloc(a);
        a->sex = M;
        b->sex = F;
        std::string last = strprintf("Surname%04d", i / 2);
        a->firstname = "Al";
        b->firstname = "Bea";
        a->lastname = b->lastname = last;
        a->firstlast = "Al " + last;
        b->firstlast = "Bea " + last;
        a->dances = b->dances = 0;
        NameTrieInsert(a);
        NameTrieInsert(b);
    }
    if (n % 2) {
        SqrDancer* s = NewSqrDancerAlloc(nullptr);
        s->sex = E;
        s->firstname = "Sam";
        s->lastname = "Single";
        s->firstlast = "Sam Single";
        s->dances = 0;
        NameTrieInsert(s);
    }
    SetupDispNames();
    SortByName();
    int64_t a = 1, b = 2, c = 3;
    init_rndm(&a, &b, &c);
}

// The main loop runs until nothing is pending and the window's contents have their sizes.
static void Settle() {
    for (int i = 0; i < 1000; ++i) {
        while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(sdwin));
        if (!child) return;
        GtkWidget* probe = child;
        if (BoardCellQty() > 0) probe = BoardCell(BoardCellQty() - 1);
        else if (gridbttn && gridbttnqty > 0) probe = gridbttn[gridbttnqty - 1];
        GtkAllocation a;
        gtk_widget_get_allocation(probe, &a);
        if (gtk_widget_get_mapped(probe) && a.width > 1) return;
        gtk_main_iteration_do(TRUE);  // wait for the frame that lays the window out
    }
}

static void Board(benchmark::State& state, EDITMODE mode, bool hall = false) {
    int n = (int)state.range(0);
    Roster(n);
    hallview = hall;
    SwitchDisplay(mode);  // the board before: one of the same kind
    Settle();
    for (auto _ : state) {
        gint64 t0 = g_get_monotonic_time();
        CleanupMainWindow();
        gint64 t1 = g_get_monotonic_time();
        SwitchDisplay(mode);
        gint64 t2 = g_get_monotonic_time();
        Settle();
        if (getenv("PH")) fprintf(stderr, "cleanup %.1f switch %.1f settle %.1f\n", (t1-t0)/1000.0, (t2-t1)/1000.0, (g_get_monotonic_time()-t2)/1000.0);
    }
    state.counters["cells"] = mode == EDIT ? gridbttnqty : hall ? (int)HallViewCells().size() : BoardCellQty();
    state.counters["cols"] = hall ? HallViewNow().cols : boardcolqty;
    if (hall) state.counters["pages"] = HallViewNow().pages;
    CleanupMainWindow();
    Settle();
}

static void SquaresBoard(benchmark::State& state) { Board(state, SQUARES); }

// The first roll of the evening: from the edit display of the same roster to the board.
static void SquaresFromEdit(benchmark::State& state) {
    Roster((int)state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        SwitchDisplay(EDIT);
        Settle();
        state.ResumeTiming();
        SwitchDisplay(SQUARES);
        Settle();
    }
    state.counters["cells"] = BoardCellQty();
    CleanupMainWindow();
    Settle();
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
    setenv("NO_AT_BRIDGE", "1", 0);
    if (!gtk_init_check(&argc, &argv)) {
        fprintf(stderr, "bench_boards: no display (run under xvfb-run -a)\n");
        return 1;
    }
    // The bundled resolution file, found through the search path of the program.
    std::string src = __FILE__;
    src = src.substr(0, src.rfind('/')) + "/../data";
    setenv("DORVELS", src.c_str(), 0);
    // A roll writes the club file and names it in "lastdance.dorvels" in the working folder:
    // work in the temporary folder, not in the tree the benchmark was started from.
    if (chdir(g_get_tmp_dir()) != 0) perror("bench_boards: chdir");
    reqW = 1920;
    reqH = 1080;
    resfile = "resolution.unix";
    SetupResolutionList();
    GtkInitColors();
    sdwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(sdwin), 1920, 1080);
    gtk_widget_show_all(sdwin);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StopIntervalTimer();
    return 0;
}
