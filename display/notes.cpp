// SPDX-License-Identifier: GPL-3.0-or-later
// Notes, warnings and timed notes in the one pop-up window, and the auto-scrolling of long
// boards. The process has one real-time interval timer (SIGALRM); it drives either the
// scroll tick or the end of a timed note, whichever armed it last. The signal handlers only
// write one byte into a pipe; the GLib main loop reads it and does the GTK work.
#include <fcntl.h>
#include <glib-unix.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <string>

#include "assign/assign.h"
#include "display/display.h"
#include "files/clubfile.h"
#include "support/helmtext.h"
#include "support/intl.h"

unsigned int scrollertime = 62500;
double scrollerincr = 0.56;

// ---- the pop-up ----------------------------------------------------------------------------
static GtkWidget* poplabel = nullptr;     // label of the open note or warning
static GtkWidget* timenotewin = nullptr;  // the window of the running timed note

static void PopupGone(GtkWidget* w, gpointer) {
    if (sdpop == w) sdpop = nullptr;
    if (timenotewin == w) timenotewin = nullptr;
    if (poplabel && gtk_widget_get_toplevel(poplabel) == w) poplabel = nullptr;
}

// Cuts text at `limit` bytes without splitting a character and replaces invalid bytes, so
// the label never gets text GTK would refuse.
static std::string CleanText(const char* text, size_t limit) {
    std::string s(text ? text : "");
    if (s.size() > limit) s.resize(limit);
    const char* end = nullptr;
    if (!g_utf8_validate(s.data(), (gssize)s.size(), &end)) {
        size_t good = (size_t)(end - s.data());
        if (s.size() - good < 4 && s.size() == limit) {
            s.resize(good);  // a character cut by the limit
        } else {
            gchar* valid = g_utf8_make_valid(s.c_str(), (gssize)s.size());
            s = valid;
            g_free(valid);
        }
    }
    return s;
}

GtkWidget* NewPopup() {
    if (sdpop) {
        GtkWidget* old = sdpop;
        sdpop = nullptr;
        gtk_widget_destroy(old);
    }
    sdpop = gtk_window_new(GTK_WINDOW_POPUP);
    PopupBelongs(sdpop);
    g_signal_connect(sdpop, "destroy", G_CALLBACK(PopupGone), nullptr);
    if (!lblfont2 && res && !res->lblfont2.empty())
        lblfont2 = pango_font_description_from_string(res->lblfont2.c_str());
    return sdpop;
}

// The widest a pop-up's text may be: nine tenths of the main window (of the screen while the
// window has no size yet), so that no line runs off the window at any resolution.
static int PopupMaxWidth() {
    int w = sdwin ? gtk_widget_get_allocated_width(sdwin) : 0;
    if (w <= 1) w = reqW > 0 ? reqW : screenwidth;
    if (w <= 1) w = 1024;  // the smallest screen the program is made for
    return std::max(200, w * 9 / 10);
}

// A label whose lines are wider than the window wraps them at word boundaries within that
// width; a text that fits keeps its lines as they are.
static void FitPopupWidth(GtkWidget* label, const std::string& text) {
    PangoLayout* layout = gtk_widget_create_pango_layout(label, text.c_str());
    if (lblfont2) pango_layout_set_font_description(layout, lblfont2);
    int natural = 0;
    pango_layout_get_pixel_size(layout, &natural, nullptr);
    g_object_unref(layout);
    int most = PopupMaxWidth();
    bool wrap = natural > most;
    gtk_label_set_line_wrap(GTK_LABEL(label), wrap);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
    // A wrapping label asks for its whole text on one line unless it is told how many
    // characters a line may have: the window would take the height of that one line.
    int chars = -1;
    if (wrap) {
        PangoFontMetrics* m = pango_context_get_metrics(gtk_widget_get_pango_context(label), lblfont2, nullptr);
        int charw = std::max(1, pango_font_metrics_get_approximate_char_width(m) / PANGO_SCALE);
        pango_font_metrics_unref(m);
        chars = std::max(10, most / charw);
    }
    gtk_label_set_max_width_chars(GTK_LABEL(label), chars);
    gtk_widget_set_size_request(label, wrap ? most : -1, -1);
}

// Messages raised before the main window is up have no screen to go to yet.
static bool held = false;

void HoldMessages(bool hold) { held = hold; }

// A held message: said on stderr at once and shown with the start-up notice.
static void HeldMessage(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (!text.empty()) ClubFileNotice("%s", text.c_str());
}

// A note or warning that follows another one while it is open takes over its window: only the
// text and colour change. Messages come in a row with no redraw between them (a roll's
// self-check warns once per fault), and a window for each, destroyed by the next, would put
// windows on the screen for an instant that nobody sees and that other programs watching the
// screen find gone when they ask about them.
static void ShowPopup(const char* text, COLOR color, size_t limit = 255) {
    if (held) {
        HeldMessage(CleanText(text, limit));
        return;
    }
    if (sqrcolor[COLOR_note].alpha == 0) GtkInitColors();
    GtkWidget* label = poplabel && sdpop && gtk_widget_get_toplevel(poplabel) == sdpop ? poplabel : nullptr;
    if (label) {
        timenotewin = nullptr;  // a timed note taken over ends here; the caller may time it anew
    } else {
        // The menu steps aside for the note (a card swiped while it is open): on Wayland
        // both are drawn inside the main window, the menu over the note.
        MenuDestroy();
        NewPopup();
        label = gtk_label_new(nullptr);
        gtk_widget_set_halign(label, GTK_ALIGN_CENTER);
        gtk_label_set_justify(GTK_LABEL(label), GTK_JUSTIFY_CENTER);
        GtkWidget* frame = gtk_frame_new(nullptr);
        gtk_container_add(GTK_CONTAINER(frame), label);
        gtk_container_add(GTK_CONTAINER(sdpop), frame);
        poplabel = label;
    }
    std::string shown = CleanText(text, limit);
    gtk_label_set_text(GTK_LABEL(label), shown.c_str());
    if (lblfont2) SetWidgetFont(label, lblfont2);
    FitPopupWidth(label, shown);
    SetWidgetColor(label, &sqrcolor[color]);
    gtk_window_resize(GTK_WINDOW(sdpop), 1, 1);  // as small as the text: a shorter one shrinks it
    // Placed at its new size before it shows: it never flashes up elsewhere.
    if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(sdpop))) gtk_widget_show_all(child);
    PlaceOverParent(sdpop);
    gtk_widget_show(sdpop);
}

std::string PopupText() {
    return poplabel ? gtk_label_get_text(GTK_LABEL(poplabel)) : "";
}

// Formats at most 255 bytes of text and shows it in the pop-up in the given colour.
static void ShowFormatted(COLOR color, const char* fmt, va_list ap) {
    char buf[256];
    vsnprintf(buf, sizeof buf, fmt ? fmt : "", ap);
    ShowPopup(buf, color);
}

void GtkNote(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    ShowFormatted(COLOR_note, fmt, ap);
    va_end(ap);
}

void GtkWarning(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    ShowFormatted(COLOR_warning, fmt, ap);
    va_end(ap);
}

void GtkWarningText(const std::string& text) { ShowPopup(text.c_str(), COLOR_warning, 8192); }

void GtkNoteText(const std::string& text) { ShowPopup(text.c_str(), COLOR_note, 8192); }

bool PopupIsNote() { return sdpop && poplabel && gtk_widget_get_toplevel(poplabel) == sdpop; }

// ---- the interval timer ----------------------------------------------------------------------
enum TimerOwner { TIMER_NONE, TIMER_SCROLL, TIMER_NOTE };
static TimerOwner timerowner = TIMER_NONE;
static volatile sig_atomic_t pipewr = -1;
static int piperd = -1;

static void AlarmSignal(int) {
    int saved = errno;
    char c = 'A';
    if (pipewr >= 0) (void)!write(pipewr, &c, 1);
    errno = saved;
}

static void NoteSignal(int) {
    int saved = errno;
    char c = 'N';
    if (pipewr >= 0) (void)!write(pipewr, &c, 1);
    errno = saved;
}

// Main loop side: empties the pipe and runs the expiry of whoever owns the timer. Several
// ticks that piled up while the loop was busy make one step.
static gboolean TimerPipeReady(gint fd, GIOCondition, gpointer) {
    char buf[64];
    bool alarm = false, note = false;
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        for (ssize_t i = 0; i < n; ++i) (buf[i] == 'N' ? note : alarm) = true;
    TimerOwner owner = timerowner;
    if (note && owner == TIMER_NOTE) TimerNoteUnix(SIGALRM);
    else if (alarm && owner == TIMER_SCROLL) TimerAlarmUnix(SIGALRM);
    return G_SOURCE_CONTINUE;
}

static void EnsureTimerPipe() {
    if (piperd >= 0) return;
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return;
    piperd = fds[0];
    pipewr = fds[1];
    g_unix_fd_add(piperd, G_IO_IN, TimerPipeReady, nullptr);
}

// Drops expiries still waiting in the pipe: they belong to an arming that was replaced.
static void DrainTimerPipe() {
    char buf[64];
    if (piperd >= 0)
        while (read(piperd, buf, sizeof buf) > 0) {
        }
}

static void ArmTimer(void (*handler)(int), long sec, long usec, bool repeat) {
    EnsureTimerPipe();
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    // Restart interrupted system calls: a tick must never make a file write fail half-way.
    sa.sa_flags = SA_RESTART;
    sigaction(SIGALRM, &sa, nullptr);
    struct itimerval it;
    memset(&it, 0, sizeof it);
    it.it_value.tv_sec = sec;
    it.it_value.tv_usec = usec;
    if (repeat) it.it_interval = it.it_value;
    setitimer(ITIMER_REAL, &it, nullptr);
    DrainTimerPipe();
}

void StopIntervalTimer() {
    struct itimerval it;
    memset(&it, 0, sizeof it);
    setitimer(ITIMER_REAL, &it, nullptr);
    DrainTimerPipe();
    timerowner = TIMER_NONE;
}

// ---- timed notes ---------------------------------------------------------------------------
// The last timed-note text, shown again by a call without a format.
static char notebuf[256] = "";

void ResetTimeNote() { notebuf[0] = 0; }

void GtkTimeNote(int seconds, const char* fmt, ...) {
    if (fmt) {
        va_list ap;
        va_start(ap, fmt);
        vsnprintf(notebuf, sizeof notebuf, fmt, ap);
        va_end(ap);
    }
    ShowPopup(notebuf[0] ? notebuf : _("no message yet"), COLOR_note);
    if (held) return;
    timenotewin = sdpop;
    ArmTimer(NoteSignal, seconds > 0 ? seconds : 1, 0, false);
    timerowner = TIMER_NOTE;
}

void TimerNoteUnix(int) {
    timerowner = TIMER_NONE;
    // Only the timed note closes: a warning or dialog that replaced it stays.
    if (sdpop && sdpop == timenotewin) {
        GtkWidget* w = sdpop;
        sdpop = nullptr;
        gtk_widget_destroy(w);
    }
    timenotewin = nullptr;
    if (sqrslider) SqrDisplayAutoScroller();
}

// ---- auto-scrolling ------------------------------------------------------------------------
static double incr = 1.0;
static double lastvalue = -100000.0;
static int countdown = 0;

void ResetAutoScroller() {
    incr = 1.0;
    lastvalue = -100000.0;
    countdown = 0;
}

double AutoScrollStep(double v, double s, double e) {
    if (incr > 0) incr = (e - s) * scrollerincr / 150;
    else if (incr < 0) incr = -scrollerincr * (e - s) / 150;
    else incr = 1.0;
    if (v == lastvalue && incr != 0) {
        // The bar did not move: it is at an end. Pause, then turn round.
        lastvalue = v;
        if (countdown == 0) {
            countdown = 6;
        } else if (--countdown == 0) {
            incr = -incr;
            v += incr;
        }
    } else {
        lastvalue = v;
        v += incr;
    }
    return v;
}

void SqrDisplayAutoScroller() {
    if (!sqrslider) return;
    // Keep the value inside the range the bar can take.
    GtkAdjustment* adj = gtk_range_get_adjustment(GTK_RANGE(sqrslider));
    double v = gtk_adjustment_get_value(adj);
    double lo = gtk_adjustment_get_lower(adj);
    double hi = gtk_adjustment_get_upper(adj) - gtk_adjustment_get_page_size(adj);
    if (hi < lo) hi = lo;
    if (v < lo) gtk_range_set_value(GTK_RANGE(sqrslider), lo);
    else if (v > hi) gtk_range_set_value(GTK_RANGE(sqrslider), hi);
    unsigned int t = scrollertime < 1000 ? 1000 : scrollertime;
    ArmTimer(AlarmSignal, (long)(t / 1000000), (long)(t % 1000000), true);
    timerowner = TIMER_SCROLL;
}

void TimerAlarmUnix(int) {
    if (!sdwin || !sqrslider || (editmode != SQUARES && editmode != PRESENT)) {
        StopIntervalTimer();
        return;
    }
    if (HallViewTick()) return;
    GtkRange* r = GTK_RANGE(sqrslider);
    int s = 0, e = 0;
    gtk_range_get_slider_range(r, &s, &e);
    double v = AutoScrollStep(gtk_range_get_value(r), s, e);
    gtk_range_set_value(r, v);
    gtk_widget_show(sdwin);
}

void AutoScrollSpeed(int chg) {
    // Steps beyond the range are passed over: the speed stays finite and above nil.
    for (; chg > 0 && scrollerincrchg < MAXSCROLLERINCRCHG; --chg) {
        scrollerincr *= 1.189;
        ++scrollerincrchg;
    }
    for (; chg < 0 && scrollerincrchg > -MAXSCROLLERINCRCHG; ++chg) {
        scrollerincr /= 1.189;
        --scrollerincrchg;
    }
}

void SetScrollerBase(int height) {
    double h = height;
    scrollertime = (unsigned int)(((h - 1280) / 1280) * 62500 + 62500);
    scrollerincr = ((h - 1280) / 1280) * (0.56 - 0.0625) + 0.56;
}

// ---- head count ----------------------------------------------------------------------------
// Closes the open pop-up as the note keys do; false when none was open.
static bool CloseNoteKey() {
    if (!sdpop) return false;
    GtkWidget* w = sdpop;
    sdpop = nullptr;
    gtk_widget_destroy(w);
    Iflag = 0;
    Eflag = 0;
    sdtoggled = nullptr;
    return true;
}

// Shown whole: with long names and the season line it is longer than a formatted note.
void FairnessNote() {
    if (!CloseNoteKey()) GtkNoteText(FairnessNoteText());
}

void TotDancersNote() {
    if (CloseNoteKey()) return;
    if (editmode != SQUARES && editmode != EDIT && editmode != PRESENT) return;
    int displayed = 0, couples = 0, singles = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!sd->avail || sd->pgm < pgmfloor) continue;
        if (editmode == SQUARES) {
            const SqrDancer* p = sd->partner ? sd->partner : sd->tmppartner;
            if (sd->display || (p && p->display && p->pgm >= pgmfloor)) ++displayed;
        } else {
            ++displayed;
        }
        if (sd->partner) ++couples;
        else ++singles;
    }
    GtkNote(_("totals: displayed=%d  couples=%d  singles=%d  maxdances=%d"), displayed, couples,
            singles, maxdances);
}
