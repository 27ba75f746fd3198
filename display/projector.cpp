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
GdkMonitor* onmon = nullptr;  // the monitor the window was put on full-screen (compared, never used)
bool placed = false;          // Place ran for the window
bool giveback = false;        // the main window takes the focus back once (Wayland gives it to a new window)
gulong monitorsid = 0;        // "monitors-changed" of the screen
gulong mainmovedid = 0;       // "configure-event" of the main window
GtkWidget* movedwin = nullptr;  // the main window that handler is on, while it lives
guint recheckid = 0;          // a look again where the main window is, once it is placed

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

// The size the window was just sent to take: the view is built for it at once, so that the
// view made for the size before does not hold the window at that size.
int askedw = 0, askedh = 0;

// The window's size: what it has, or what it asked for before it has any.
void WindowSize(int* w, int* h) {
    if (askedw > 0 && askedh > 0) {
        *w = askedw;
        *h = askedh;
        askedw = askedh = 0;
        return;
    }
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
    GtkWidget* old = gtk_bin_get_child(GTK_BIN(projwin));
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
    // A view of the same layout took the new texts in place and stays where it is.
    if (!old || !gtk_widget_is_ancestor(top, old)) {
        if (old) gtk_widget_destroy(old);
        // The view sits in a scrolled window without bars, which asks the window for no size of
        // its own: a view made for a larger monitor never holds the window at that size when it
        // is sent to a smaller one (the view is made again for the size it gets).
        GtkWidget* sw = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(sw), GTK_POLICY_EXTERNAL, GTK_POLICY_EXTERNAL);
        gtk_container_add(GTK_CONTAINER(sw), top);
        gtk_container_add(GTK_CONTAINER(projwin), sw);
        gtk_widget_show_all(sw);
    }
    view.ShowPage(0);
    if (view.facts.pages > 1) pageid = g_timeout_add(DwellMs(), TurnPage, nullptr);
    shown = c;
    rdbg("(Projector) Build");
}

// Built again only for another size: the waiting view is centred in the window and smaller
// than it, and taking that for a new size rebuilt it without end.
void Refit() {
    if (!projwin) return;
    int w, h;
    WindowSize(&w, &h);
    if (std::abs(w - view.facts.width) <= 2 && std::abs(h - view.facts.height) <= 2) return;
    Build();
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

void Disconnect() {
    if (monitorsid) g_signal_handler_disconnect(gdk_screen_get_default(), monitorsid);
    if (mainmovedid && movedwin) {
        g_signal_handler_disconnect(movedwin, mainmovedid);
        g_object_remove_weak_pointer(G_OBJECT(movedwin), (gpointer*)&movedwin);
    }
    movedwin = nullptr;
    if (recheckid) g_source_remove(recheckid);
    monitorsid = mainmovedid = recheckid = 0;
}

void Gone(GtkWidget* w, gpointer) {
    if (projwin != w) return;
    projwin = nullptr;
    StopPaging();
    Disconnect();
    shown = Content{};
    full = false;
    placed = false;
    onmon = nullptr;
}

// A monitor the main window is not on (the first such), or null with one monitor.
GdkMonitor* HallMonitor(int* index) {
    GdkDisplay* display = gtk_widget_get_display(sdwin);
    GdkMonitor* mainmon = MainMonitor();
    int n = gdk_display_get_n_monitors(display);
    for (int i = 0; i < n; ++i) {
        GdkMonitor* m = gdk_display_get_monitor(display, i);
        if (!m || m == mainmon) continue;
        *index = i;
        return m;
    }
    return nullptr;
}

// With more than one monitor: full-screen on one the main window is not on. With one, a
// normal window of half the monitor in its lower right corner, to be dragged elsewhere; it
// goes full-screen as soon as a second monitor is there. Nothing is done while the window
// stands where it should (again=false), so that the operator's F11 or double click holds.
void Place(bool again) {
    if (!projwin || !sdwin) return;
    int index = -1;
    GdkMonitor* target = HallMonitor(&index);
    if (placed && !again && target == onmon) return;
    GtkWindow* win = GTK_WINDOW(projwin);
    bool mapped = gtk_widget_get_mapped(projwin);
    // A window manager that makes a window full-screen where it stands (openbox) first lets
    // go of the old place, then takes the window where it is sent.
    if (mapped && full) gtk_window_unfullscreen(win);
    GdkRectangle g;
    if (target) {
        gdk_monitor_get_geometry(target, &g);
        gtk_window_set_keep_above(win, FALSE);
        gtk_window_move(win, g.x, g.y);
        if (mapped) {
            gtk_window_resize(win, g.width, g.height);
            askedw = g.width;
            askedh = g.height;
        } else
            gtk_window_set_default_size(win, g.width, g.height);
        gtk_window_fullscreen_on_monitor(win, gtk_widget_get_screen(projwin), index);
        full = true;
        DPRINTF(1, "(Projector) full-screen on monitor %d at %d,%d %dx%d\n", index, g.x, g.y, g.width, g.height);
    } else {
        g = {0, 0, 1920, 1080};
        if (GdkMonitor* m = MainMonitor()) gdk_monitor_get_workarea(m, &g);
        int w = std::max(640, g.width / 2), h = std::max(360, g.height / 2);
        if (mapped) {
            gtk_window_resize(win, w, h);
            askedw = w;
            askedh = h;
        } else
            gtk_window_set_default_size(win, w, h);
        gtk_window_move(win, g.x + std::max(0, g.width - w), g.y + std::max(0, g.height - h));
        // A window that does not take the focus is put under the focused one by some window
        // managers: under the maximised main window nobody would find it to drag it away.
        gtk_window_set_keep_above(win, TRUE);
        full = false;
        DPRINTF(1, "(Projector) one monitor: a window of %dx%d\n", w, h);
    }
    onmon = target;
    placed = true;
    if (askedw > 0 && gtk_bin_get_child(GTK_BIN(projwin))) Build();
}

// Monitors plugged in, unplugged or moved: the main window goes back to the primary monitor
// (a window manager may leave it where the new monitor now stands), the projector where it
// belongs now.
void MonitorsChanged(GdkScreen*, gpointer) {
    MainToPrimary();
    Place(true);
}

// The main window moved (dragged to the other monitor, or placed at last by the window
// manager): the projector leaves its monitor when it is the main window's now.
gboolean MainMoved(GtkWidget*, GdkEvent*, gpointer) {
    Place(false);
    return FALSE;
}

gboolean Recheck(gpointer) {
    recheckid = 0;
    giveback = false;  // from now on a focus the projector gets is the operator's click
    Place(false);
    return G_SOURCE_REMOVE;
}

// Some compositors (Wayland) give every new window the keyboard focus: the main window takes
// it back, so that cards keep landing there and Escape at the laptop leaves the projector be.
void ActiveChanged(GObject*, GParamSpec*, gpointer) {
    if (!projwin || !giveback || !gtk_window_is_active(GTK_WINDOW(projwin))) return;
    giveback = false;
    if (sdwin) gtk_window_present(GTK_WINDOW(sdwin));
}

gboolean Mapped(GtkWidget*, GdkEvent*, gpointer) {
    // Where the main window is becomes known once the window manager has placed it (on
    // Wayland, once it is shown on a monitor): looked at again a moment later.
    if (!recheckid) recheckid = g_timeout_add(700, Recheck, nullptr);
    return FALSE;
}

void Open() {
    projwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(projwin), _("Dorvels projector"));
    gtk_window_set_role(GTK_WINDOW(projwin), "projector");
    // The main window keeps the keys: card swipes land there.
    gtk_window_set_focus_on_map(GTK_WINDOW(projwin), FALSE);
    KeepColorsUnfocused(projwin);
    gtk_widget_add_events(projwin, GDK_BUTTON_PRESS_MASK | GDK_KEY_PRESS_MASK);
    g_signal_connect(projwin, "key-press-event", G_CALLBACK(Key), nullptr);
    g_signal_connect(projwin, "button-press-event", G_CALLBACK(Press), nullptr);
    g_signal_connect(projwin, "window-state-event", G_CALLBACK(StateChanged), nullptr);
    g_signal_connect(projwin, "delete-event", G_CALLBACK(Deleted), nullptr);
    g_signal_connect(projwin, "destroy", G_CALLBACK(Gone), nullptr);
    g_signal_connect(projwin, "notify::is-active", G_CALLBACK(ActiveChanged), nullptr);
    g_signal_connect(projwin, "map-event", G_CALLBACK(Mapped), nullptr);
    monitorsid = g_signal_connect(gdk_screen_get_default(), "monitors-changed", G_CALLBACK(MonitorsChanged), nullptr);
    movedwin = sdwin;
    g_object_add_weak_pointer(G_OBJECT(movedwin), (gpointer*)&movedwin);
    mainmovedid = g_signal_connect(sdwin, "configure-event", G_CALLBACK(MainMoved), nullptr);
    full = false;
    placed = false;
    giveback = true;
    Place(false);
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

GtkWidget* ProjectorTipLabel() { return projwin ? view.tiplabel : nullptr; }

bool ProjectorFullscreen() { return projwin && full; }
