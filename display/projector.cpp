// SPDX-License-Identifier: GPL-3.0-or-later
// The projector window: the hall view of the current tip in a top-level window of its own,
// for the hall's projector or TV, while the operator keeps the main window. It is rebuilt
// only when what it should show changes (a roll, u, a font step, the club's name before the
// first tip), and fitted again when its size changes.
#include "display/projector.h"

#include <algorithm>
#include <cmath>

#include "display/boards.h"
#include "history/history.h"
#include "support/helmtext.h"
#include "support/intl.h"

namespace {

GtkWidget* projwin = nullptr;
HallView view;
bool full = false;   // full-screen asked for (or reported by the window manager)
guint pageid = 0;    // the timeout that turns to the next page

// What the window shows: a tip's board texts, or (no tip yet) the club's name.
struct Content {
    bool tip = false;
    int tipno = 0;
    bool history = false;  // an earlier tip, shown from the history
    std::vector<std::string> texts;
    std::string club;
    int fontchg = 0;
    bool operator==(const Content&) const = default;
};
Content shown;

// The tip the hall should see: always the newest, the one they dance now. Paging back
// through the history (h, H) is the operator's, on the main window only.
Content Wanted() {
    Content c;
    c.fontchg = hallfontchg;
    History* h = histtl;
    if (h && h->sqrlist) {
        c.tip = true;
        c.tipno = h->tipcnt;
        c.history = HistoryEarlier(h);
        for (int i = 0; i < 2 * h->totdancers; ++i)
            if (h->sqrlist[i]) c.texts.push_back(h->sqrlist[i]);
    } else if (clubname != "None" && clubname != "none") {
        c.club = clubname;
    }
    return c;
}

// The window's size: what it has, or what it asked for before it has any.
void WindowSize(int* w, int* h) {
    *w = gtk_widget_get_allocated_width(projwin);
    *h = gtk_widget_get_allocated_height(projwin);
    if (*w <= 1 || *h <= 1) gtk_window_get_default_size(GTK_WINDOW(projwin), w, h);
    if (*w <= 1 || *h <= 1) {
        *w = 960;
        *h = 540;
    }
}

// A page stays as long as on the main window's hall view: 150 steps of the boards' scroller
// at its speed (f and F change it).
guint DwellMs() {
    double ms = 150 / std::max(scrollerincr, 0.01) * scrollertime / 1000.0;
    return (guint)std::clamp(ms, 1000.0, 600000.0);
}

gboolean TurnPage(gpointer) {
    pageid = 0;
    if (view.NextPage()) pageid = g_timeout_add(DwellMs(), TurnPage, nullptr);
    return G_SOURCE_REMOVE;
}

void StopPaging() {
    if (pageid) g_source_remove(pageid);
    pageid = 0;
}

void Build() {
    Content c = Wanted();
    edbg("(Projector) Build tip=%d history=%d entries=%d", c.tipno, (int)c.history, (int)c.texts.size());
    StopPaging();
    if (GtkWidget* old = gtk_bin_get_child(GTK_BIN(projwin))) gtk_widget_destroy(old);
    int w, h;
    WindowSize(&w, &h);
    GtkWidget* top;
    if (c.tip) {
        std::vector<HallEntry> entries;
        for (const std::string& t : c.texts) entries.push_back(HallEntryOfText(t));
        top = view.Build(projwin, w, h, entries, c.tipno, c.history);
    } else {
        top = view.BuildWaiting(projwin, w, h, c.club);
    }
    gtk_container_add(GTK_CONTAINER(projwin), top);
    gtk_widget_show_all(top);
    view.ShowPage(0);
    if (view.facts.pages > 1) pageid = g_timeout_add(DwellMs(), TurnPage, nullptr);
    shown = c;
    rdbg("(Projector) Build");
}

void Refit() {
    if (projwin) Build();
}

void ToggleFull() {
    if (full)
        gtk_window_unfullscreen(GTK_WINDOW(projwin));
    else
        gtk_window_fullscreen(GTK_WINDOW(projwin));
    full = !full;
}

// F11 toggles full-screen, Escape only leaves it. Every other key is the main window's: a
// card swiped while this window has the focus still arrives there.
gboolean Key(GtkWidget*, GdkEventKey* event, gpointer) {
    if (event->keyval == GDK_KEY_F11) {
        ToggleFull();
        return TRUE;
    }
    if (event->keyval == GDK_KEY_Escape) {
        if (full) ToggleFull();
        return TRUE;
    }
    gboolean done = FALSE;
    if (sdwin) g_signal_emit_by_name(sdwin, "key-press-event", event, &done);
    return TRUE;
}

gboolean Press(GtkWidget*, GdkEventButton* event, gpointer) {
    if (event->type == GDK_2BUTTON_PRESS && event->button == 1) ToggleFull();
    return TRUE;
}

gboolean StateChanged(GtkWidget*, GdkEventWindowState* event, gpointer) {
    if (event->changed_mask & GDK_WINDOW_STATE_FULLSCREEN)
        full = (event->new_window_state & GDK_WINDOW_STATE_FULLSCREEN) != 0;
    return FALSE;
}

// Closed by the operator (the window manager's close): the setting goes off; the evening
// goes on.
gboolean Deleted(GtkWidget*, GdkEvent*, gpointer) {
    projector = 0;
    ProjectorClose();
    return TRUE;
}

void Gone(GtkWidget* w, gpointer) {
    if (projwin != w) return;
    projwin = nullptr;
    StopPaging();
    shown = Content{};
    full = false;
}

// With more than one monitor: full-screen on one the main window is not on. With one, a
// normal window of half the monitor, to be dragged to a screen joined later.
void Place() {
    GdkDisplay* display = gtk_widget_get_display(sdwin);
    GdkWindow* mainwin = gtk_widget_get_window(sdwin);
    GdkMonitor* mainmon = mainwin ? gdk_display_get_monitor_at_window(display, mainwin)
                                  : gdk_display_get_primary_monitor(display);
    int n = gdk_display_get_n_monitors(display);
    for (int i = 0; i < n; ++i) {
        GdkMonitor* m = gdk_display_get_monitor(display, i);
        if (!m || m == mainmon) continue;
        GdkRectangle g;
        gdk_monitor_get_geometry(m, &g);
        gtk_window_move(GTK_WINDOW(projwin), g.x, g.y);
        gtk_window_set_default_size(GTK_WINDOW(projwin), g.width, g.height);
        gtk_window_fullscreen_on_monitor(GTK_WINDOW(projwin), gtk_widget_get_screen(sdwin), i);
        full = true;
        DPRINTF(1, "(Projector) full-screen on monitor %d of %d at %d,%d %dx%d\n", i, n, g.x, g.y, g.width, g.height);
        return;
    }
    GdkRectangle g = {0, 0, 1920, 1080};
    if (mainmon) gdk_monitor_get_workarea(mainmon, &g);
    gtk_window_set_default_size(GTK_WINDOW(projwin), std::max(640, g.width / 2), std::max(360, g.height / 2));
    // A window that does not take the focus is put under the focused one by some window
    // managers: under the maximised main window nobody would find it to drag it away.
    gtk_window_set_keep_above(GTK_WINDOW(projwin), TRUE);
}

void Open() {
    projwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(projwin), _("Dorvels projector"));
    gtk_window_set_role(GTK_WINDOW(projwin), "projector");
    // The main window keeps the keys: card swipes land there.
    gtk_window_set_focus_on_map(GTK_WINDOW(projwin), FALSE);
    gtk_widget_add_events(projwin, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(projwin, "key-press-event", G_CALLBACK(Key), nullptr);
    g_signal_connect(projwin, "button-press-event", G_CALLBACK(Press), nullptr);
    g_signal_connect(projwin, "window-state-event", G_CALLBACK(StateChanged), nullptr);
    g_signal_connect(projwin, "delete-event", G_CALLBACK(Deleted), nullptr);
    g_signal_connect(projwin, "destroy", G_CALLBACK(Gone), nullptr);
    full = false;
    Place();
    view.refit = Refit;
    Build();
    gtk_widget_show_all(projwin);
}

void CollectTexts(GtkWidget* w, gpointer data) {
    auto* out = static_cast<std::vector<std::string>*>(data);
    if (GTK_IS_LABEL(w)) out->push_back(gtk_label_get_text(GTK_LABEL(w)));
    if (GTK_IS_CONTAINER(w)) gtk_container_forall(GTK_CONTAINER(w), CollectTexts, data);
}

}  // namespace

void ProjectorToggle() {
    projector = projwin ? 0 : 1;
    ProjectorFollow();
}

void ProjectorFollow() {
    if (!projector) {
        ProjectorClose();
        return;
    }
    if (!sdwin) return;  // no main window (yet): nothing to show beside it
    if (!projwin)
        Open();
    else if (!(Wanted() == shown))
        Build();
}

void ProjectorFontStep(int chg) {
    if (!projwin || !shown.tip) return;
    int step = chg > 0 ? 1 : -1;
    int before = view.facts.fontpx;
    hallfontchg += step;
    Build();
    // A step that changes nothing is beyond the smallest or the largest size.
    if (view.facts.fontpx == before) {
        hallfontchg -= step;
        Build();
    }
}

void ProjectorClose() {
    GtkWidget* w = projwin;
    if (!w) return;
    Gone(w, nullptr);
    gtk_widget_destroy(w);
}

GtkWidget* ProjectorWindow() { return projwin; }

std::vector<std::string> ProjectorTexts() {
    std::vector<std::string> out;
    if (projwin) CollectTexts(projwin, &out);
    return out;
}

HallViewFacts ProjectorFacts() { return projwin && shown.tip ? view.facts : HallViewFacts{}; }

bool ProjectorFullscreen() { return projwin && full; }
