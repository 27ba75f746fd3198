// SPDX-License-Identifier: GPL-3.0-or-later
// Building the boards as the operator sees them, on a 1920x1080 window with the bundled
// resolution file: from SwitchDisplay(SQUARES) (a roll, the board, the club file written)
// to a board fully laid out once the main loop has handled what was pending, for 40, 300
// and 1,000 present dancers; the hall view, the present board and the edit display likewise
// (each built from an empty window); a roll with the projector window open as well; the switches between the edit display, the present
// board and the squares board once each has been shown; a click on a name of the edit
// display until the button is redrawn. The switches to and from an edit display that was
// scrolled through every row before (the operator looking for a name far down) count the
// edit cells alive and the memory of the process. The history display by its keys (from the
// edit display, a step back), and V on the squares board (to the hall view and back).
// Run under an X server: xvfb-run -a -s "-screen 0 1920x1080x24" bench/bench_boards
#include <benchmark/benchmark.h>

#include "bench_gui.h"
#include "commands/keys.h"
#include "display/projector.h"
#include "history/history.h"

static void Board(benchmark::State& state, EDITMODE mode, bool hall = false) {
    int n = (int)state.range(0);
    BenchRoster(n);
    hallview = hall;
    SwitchDisplay(mode);  // the board before: one of the same kind
    BenchSettle();
    for (auto _ : state) {
        CleanupMainWindow();
        SwitchDisplay(mode);
        BenchSettle();
    }
    state.counters["cells"] = mode == EDIT ? gridbttnqty : hall ? (int)HallViewCells().size() : BoardCellQty();
    state.counters["cols"] = hall ? HallViewNow().cols : boardcolqty;
    if (hall) state.counters["pages"] = HallViewNow().pages;
    CleanupMainWindow();
    BenchSettle();
}

static void SquaresBoard(benchmark::State& state) { Board(state, SQUARES); }
static void PresentBoard(benchmark::State& state) { Board(state, PRESENT); }
// The hall view instead of the squares board (V pressed before): a roll, the font fitted by
// measuring every entry, the cells laid out.
static void HallView(benchmark::State& state) { Board(state, SQUARES, true); }
static void EditBoard(benchmark::State& state) { Board(state, EDIT); }

// A roll (the r key) with the projector window open at 1920x1080 beside the squares board:
// the roll, the board, the club file written and the projector's hall view of the new tip,
// until both windows are laid out.
static void RollWithProjector(benchmark::State& state) {
    BenchRoster((int)state.range(0));
    projector = 1;
    SwitchDisplay(SQUARES);
    gtk_window_resize(GTK_WINDOW(ProjectorWindow()), 1920, 1080);
    auto settle = [] {
        BenchSettle();
        GtkWidget* top = gtk_bin_get_child(GTK_BIN(ProjectorWindow()));
        for (int i = 0; i < 1000 && !(gtk_widget_get_mapped(top) && gtk_widget_get_allocated_width(top) > 1); ++i)
            gtk_main_iteration_do(TRUE);
    };
    settle();
    for (auto _ : state) {
        SwitchDisplay(SQUARES);
        settle();
    }
    state.counters["cols"] = ProjectorFacts().cols;
    state.counters["width"] = ProjectorFacts().width;
    projector = 0;
    ProjectorClose();
    CleanupMainWindow();
    BenchSettle();
}

// The edit display shown scrolls a page at a time from its first row to its last, and back.
static void ScrollThroughEdit() {
    GtkWidget* shown = EditScrolled();
    if (!shown) return;
    GtkAdjustment* adj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(shown));
    double page = gtk_adjustment_get_page_size(adj);
    for (double v = 0; v < gtk_adjustment_get_upper(adj); v += page) {
        gtk_adjustment_set_value(adj, v);
        BenchSettle();
    }
    gtk_adjustment_set_value(adj, 0);
    BenchSettle();
}

// Resident memory of the process in MB.
static double RssMB() {
    long pages = 0, resident = 0;
    FILE* f = fopen("/proc/self/statm", "r");
    if (f && fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    if (f) fclose(f);
    return resident * (double)sysconf(_SC_PAGESIZE) / 1e6;
}

// A switch from one display to another, each shown once before (the evening's first build);
// scrolled: the edit display was scrolled through all its rows first.
static void Switch(benchmark::State& state, EDITMODE from, EDITMODE to, bool scrolled = false) {
    BenchRoster((int)state.range(0));
    for (EDITMODE m : {EDIT, PRESENT, SQUARES}) {
        SwitchDisplay(m);
        BenchSettle();
        if (m == EDIT && scrolled) ScrollThroughEdit();
    }
    if (scrolled) {
        state.counters["cells"] = (double)EditCellsMade().size();
        state.counters["rssMB"] = RssMB();
    }
    for (auto _ : state) {
        state.PauseTiming();
        SwitchDisplay(from);
        BenchSettle();
        state.ResumeTiming();
        SwitchDisplay(to);
        BenchSettle();
    }
    CleanupMainWindow();
    BenchSettle();
}

// A switch from one display to another by its key, each shown once before.
static void KeySwitch(benchmark::State& state, char from, char to) {
    BenchRoster((int)state.range(0));
    for (char k : {'e', 'p', 'r', 'r', 'r', 'h'}) {
        KeybrdCmd(k);
        BenchSettle();
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (from != 'H') hist = nullptr;  // h shows the newest tip, as after a roll
        KeybrdCmd(from);
        BenchSettle();
        state.ResumeTiming();
        KeybrdCmd(to);
        BenchSettle();
    }
    CleanupMainWindow();
    BenchSettle();
}

// The history display from the edit display (h: the newest tip), and one step back in the
// history (h on the history display, after H showed the newest tip again).
static void HistoryFromEdit(benchmark::State& state) { KeySwitch(state, 'e', 'h'); }
static void HistoryStep(benchmark::State& state) { KeySwitch(state, 'H', 'h'); }
static void EditFromHistory(benchmark::State& state) { KeySwitch(state, 'h', 'e'); }

// V on the squares board: the hall view of the tip instead of the board, and back (each
// direction timed in turn), nothing rolled.
static void HallViewSwitch(benchmark::State& state) {
    BenchRoster((int)state.range(0));
    hallview = false;
    for (char k : {'e', 'r'}) {
        KeybrdCmd(k);
        BenchSettle();
    }
    for (auto _ : state) {
        KeybrdCmd('V');
        BenchSettle();
    }
    hallview = false;
    CleanupMainWindow();
    BenchSettle();
}

// A whole evening: 30 tips rolled with the projector window open, every display visited
// after each (edit, present, history, hall view), the edit display scrolled through; the
// time is the evening's, the counter the resident memory at its end.
static void WholeEvening(benchmark::State& state) {
    for (auto _ : state) {
        BenchRoster((int)state.range(0));
        projector = 1;
        for (int tip = 0; tip < 30; ++tip)
            for (char k : {'r', 'e', 'p', 'h', 'V', 'c', 'V'}) {
                KeybrdCmd(k);
                BenchSettle();
                if (k == 'e' && tip % 10 == 0) ScrollThroughEdit();
            }
        projector = 0;
        ProjectorClose();
        hallview = false;
    }
    state.counters["rssMB"] = RssMB();
    CleanupMainWindow();
    BenchSettle();
}

// The first roll of the evening: from the edit display of the same roster to the board.
static void SquaresFromEdit(benchmark::State& state) { Switch(state, EDIT, SQUARES); }
static void EditFromSquares(benchmark::State& state) { Switch(state, SQUARES, EDIT); }
static void PresentFromEdit(benchmark::State& state) { Switch(state, EDIT, PRESENT); }
static void EditFromPresent(benchmark::State& state) { Switch(state, PRESENT, EDIT); }
static void SquaresFromPresent(benchmark::State& state) { Switch(state, PRESENT, SQUARES); }
static void PresentFromSquares(benchmark::State& state) { Switch(state, SQUARES, PRESENT); }
static void EditFromSquaresScrolled(benchmark::State& state) { Switch(state, SQUARES, EDIT, true); }
static void SquaresFromEditScrolled(benchmark::State& state) { Switch(state, EDIT, SQUARES, true); }

static gboolean Drawn(GtkWidget*, cairo_t*, gpointer flag) {
    *static_cast<bool*>(flag) = true;
    return FALSE;
}

// A click on a name of the edit display (the dancer's presence toggled), from the press
// until the main loop is idle with the button redrawn. The clicks go to the names at the
// top of the display in turn, a moment apart as the operator's are.
static void EditNameClick(benchmark::State& state) {
    BenchRoster((int)state.range(0));
    SwitchDisplay(EDIT);
    BenchSettle();
    std::vector<SqrDancer*> names;
    for (SqrDancer* sd = sdhd; sd && names.size() < 4; sd = sd->nxt)
        if (sd->availbttn) names.push_back(sd);
    bool drawn = false;
    for (SqrDancer* sd : names) g_signal_connect_after(sd->availbttn, "draw", G_CALLBACK(Drawn), &drawn);
    long i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        g_usleep(20000);
        SqrDancer* sd = names[(size_t)(i++ % (long)names.size())];
        drawn = false;
        state.ResumeTiming();
        BenchClick(sd->availbttn);
        while (!drawn || gtk_events_pending()) gtk_main_iteration_do(!drawn);
    }
    state.counters["cells"] = gridbttnqty;
    CleanupMainWindow();
    BenchSettle();
}

#define BOARD_SIZES Arg(40)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()
#define SWITCH_SIZES Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime()
BENCHMARK(SquaresBoard)->BOARD_SIZES;
BENCHMARK(SquaresFromEdit)->BOARD_SIZES;
BENCHMARK(HallView)->BOARD_SIZES;
BENCHMARK(RollWithProjector)->BOARD_SIZES;
BENCHMARK(PresentBoard)->BOARD_SIZES;
BENCHMARK(EditBoard)->BOARD_SIZES;
BENCHMARK(EditFromSquares)->SWITCH_SIZES;
BENCHMARK(PresentFromEdit)->SWITCH_SIZES;
BENCHMARK(EditFromPresent)->SWITCH_SIZES;
BENCHMARK(SquaresFromPresent)->SWITCH_SIZES;
BENCHMARK(PresentFromSquares)->SWITCH_SIZES;
BENCHMARK(EditFromSquaresScrolled)->SWITCH_SIZES;
BENCHMARK(SquaresFromEditScrolled)->SWITCH_SIZES;
BENCHMARK(HistoryFromEdit)->SWITCH_SIZES;
BENCHMARK(HistoryStep)->SWITCH_SIZES;
BENCHMARK(EditFromHistory)->SWITCH_SIZES;
BENCHMARK(HallViewSwitch)->SWITCH_SIZES;
BENCHMARK(WholeEvening)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(EditNameClick)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    if (!BenchWindow(&argc, &argv, "bench_boards")) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StopIntervalTimer();
    return 0;
}
