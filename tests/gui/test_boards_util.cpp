// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_boards_util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <set>

#include "display/boards.h"

#include "display/display.h"
#include "support/helmtext.h"
#include "support/rndm.h"

void BoardsPump() {
    for (int i = 0; i < 10000 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

void BoardsSettle() {
    for (int i = 0; i < 200; ++i) {
        BoardsPump();
        GtkWidget* child = sdwin ? gtk_bin_get_child(GTK_BIN(sdwin)) : nullptr;
        if (!child) return;
        GtkAllocation a;
        gtk_widget_get_allocation(child, &a);
        GtkWidget* probe = BoardCellQty() > 0 ? BoardCell(0) : child;
        GtkAllocation b;
        gtk_widget_get_allocation(probe, &b);
        if (a.width > 1 && b.width > 1 && gtk_widget_get_realized(probe)) return;
        g_usleep(10000);
    }
}

void BoardsWindow::Open(int width, int height) {
    Evening::SetUp();
    dir = EnterNewDir("boards", &saved_cwd);
    outputfilename = "club.dorvel";
    ResetResolutions();
    fontsizechg = 0;
    screenwidth = width;
    screenheight = height;
    FILE* fp = fopen(DORVELS_TESTDATA "/resolution.unix", "r");
    ASSERT_NE(fp, nullptr);
    ReadResolutionFile(fp);
    fclose(fp);
    ChooseResolution(width);
    SetSpacing();
    GtkInitColors();
    sdwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(sdwin), width, height);
    sdgrid = nullptr;
    int64_t a = 11, b = 22, c = 33;
    init_rndm(&a, &b, &c);
    gtk_widget_show_all(sdwin);
    BoardsPump();
}

void BoardsWindow::TearDown() {
    StopIntervalTimer();
    if (sdavail) gtk_widget_destroy(sdavail);
    CleanupMainWindow();
    GtkWidget* w = sdwin;
    sdwin = nullptr;
    if (w) gtk_widget_destroy(w);
    BoardsPump();
    LeaveDir(saved_cwd);
    Evening::TearDown();
}

std::pair<int, int> GridPos(GtkWidget* w) {
    if (!w || !sdgrid || gtk_widget_get_parent(w) != sdgrid) return {-1, -1};
    int left = -1, top = -1;
    gtk_container_child_get(GTK_CONTAINER(sdgrid), w, "left-attach", &left, "top-attach", &top, nullptr);
    return {left, top};
}

static std::string StyleColor(GtkWidget* w, const char* prop) {
    if (!w) return "";
    GtkStyleContext* ctx = gtk_widget_get_style_context(w);
    GdkRGBA* c = nullptr;
    gtk_style_context_get(ctx, gtk_style_context_get_state(ctx), prop, &c, nullptr);
    if (!c) return "";
    std::string s = strprintf("#%02x%02x%02x", (int)(c->red * 255 + 0.5), (int)(c->green * 255 + 0.5),
                              (int)(c->blue * 255 + 0.5));
    gdk_rgba_free(c);
    return s;
}

std::string Background(GtkWidget* w) { return StyleColor(w, "background-color"); }
std::string Foreground(GtkWidget* w) { return StyleColor(w, "color"); }

std::vector<std::string> BoardTexts() {
    std::vector<std::string> out;
    for (int i = 0; i < BoardCellQty(); ++i) out.push_back(CellText(BoardCell(i)));
    return out;
}

std::vector<std::string> BoardEntries(const std::vector<std::string>& board) {
    std::vector<std::string> out;
    for (std::string t : board) {
        if (t.empty()) continue;
        t.erase(0, t.find_first_not_of(' '));
        size_t colon = t.rfind(": ");
        std::string tag = t.substr(colon + 2);
        tag.erase(0, tag.find_first_not_of(' '));
        out.push_back(t.substr(0, colon) + ": " + tag);
    }
    return out;
}

bool ClickButton(GtkWidget* b, guint state, int clicks) {
    if (!b || !gtk_widget_get_mapped(b)) return false;
    GdkWindow* w = gtk_button_get_event_window(GTK_BUTTON(b));
    if (!w) return false;
    GtkAllocation a;
    gtk_widget_get_allocation(b, &a);
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    g_object_ref(b);  // the click may rebuild the display
    std::vector<GdkEventType> events = {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE};
    if (clicks == 2)
        events = {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE, GDK_BUTTON_PRESS, GDK_2BUTTON_PRESS, GDK_BUTTON_RELEASE};
    for (GdkEventType type : events) {
        GdkEvent* ev = gdk_event_new(type);
        ev->button.window = GDK_WINDOW(g_object_ref(w));
        ev->button.send_event = TRUE;
        ev->button.time = GDK_CURRENT_TIME;
        ev->button.x = a.width / 2.0;
        ev->button.y = a.height / 2.0;
        ev->button.button = 1;
        ev->button.state = state | (type == GDK_BUTTON_RELEASE ? GDK_BUTTON1_MASK : 0);
        gdk_event_set_device(ev, gdk_seat_get_pointer(seat));
        gtk_main_do_event(ev);
        gdk_event_free(ev);
    }
    g_object_unref(b);
    BoardsPump();
    return true;
}

// The edit display makes a cell when its row comes into view: one out of view is made here,
// and laid out before it is looked at.
static void MakeEditCell(SqrDancer* sd) {
    if (!sd || sd->availbttn) return;
    GtkWidget* f = EditCellMade(sd);
    for (int i = 0; f && i < 200 && gtk_widget_get_allocated_width(f) <= 1; ++i) {
        BoardsPump();
        if (gtk_widget_get_allocated_width(f) <= 1) g_usleep(10000);
    }
}

GtkWidget* EditCellFrame(SqrDancer* sd) {
    MakeEditCell(sd);
    if (!sd || !sd->availbttn) return nullptr;
    GtkWidget* vbox = gtk_widget_get_parent(sd->availbttn);
    return vbox ? gtk_widget_get_parent(vbox) : nullptr;
}

// The buttons of the cell whose name toggle is t, in packing order.
static std::vector<GtkWidget*> CellButtons(GtkWidget* t) {
    std::vector<GtkWidget*> out;
    if (!t) return out;
    out.push_back(t);
    GtkWidget* vbox = gtk_widget_get_parent(t);
    GList* kids = gtk_container_get_children(GTK_CONTAINER(vbox));
    for (GList* l = kids; l; l = l->next) {
        if (!GTK_IS_BOX(l->data)) continue;
        GList* bs = gtk_container_get_children(GTK_CONTAINER(l->data));
        for (GList* b = bs; b; b = b->next) out.push_back(GTK_WIDGET(b->data));
        g_list_free(bs);
    }
    g_list_free(kids);
    return out;
}

std::vector<GtkWidget*> EditCellButtons(SqrDancer* sd) {
    MakeEditCell(sd);
    return CellButtons(sd ? sd->availbttn : nullptr);
}

std::string EditCellFaults() {
    std::set<SqrDancer*> roster;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) roster.insert(sd);
    std::string out;
    std::map<GtkWidget*, SqrDancer*> kept;  // the name toggle of each cell made, and its dancer
    for (auto [sd, t] : EditCellsMade()) {
        kept[t] = sd;
        if (!sd) {
            if (g_signal_handler_find(t, G_SIGNAL_MATCH_FUNC, 0, 0, nullptr, (void*)ToggleAvail, nullptr))
                out += "the cell of a deleted dancer still reaches it\n";
            continue;
        }
        if (!roster.count(sd)) {
            out += "a cell of a dancer who is not on the roster\n";
            continue;
        }
        std::string who = sd->firstlast + ": ";
        if (sd->availbttn != t) out += who + "its button is not its cell's\n";
        if (editmode != EDIT) continue;
        // The display shown is the dancer as it is now.
        std::vector<GtkWidget*> b = CellButtons(t);
        if (b.size() != 7) {
            out += who + "a cell without its seven buttons\n";
            continue;
        }
        std::vector<std::string> want = {sd->dispname.empty() ? sd->firstlast : sd->dispname, "Del",
                                         sd->priority == LUCK ? "Luck" : "Must", "Name", "Prtnr",
                                         strpgm(sd->pgm), strsex(sd->sex)};
        for (size_t k = 0; k < 7; ++k)
            if (CellText(b[k]) != want[k]) out += who + "shows <" + CellText(b[k]) + "> for <" + want[k] + ">\n";
        if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(t)) != (sd->avail == 0)) out += who + "pressed in wrongly\n";
        bool red = sd->avail && sd->pgm < pgmfloor;
        if (Foreground(gtk_bin_get_child(GTK_BIN(b[5]))) != (red ? "#ff0000" : "#000000")) out += who + "level colour\n";
        if (sd->pgmbttn != b[5] || sd->sexbttn != b[6]) out += who + "level or role button not its cell's\n";
    }
    for (SqrDancer* sd : roster)
        if (sd->availbttn && !kept.count(sd->availbttn)) out += sd->firstlast + ": a button of no kept cell\n";
        else if (sd->availbttn && kept[sd->availbttn] != sd) out += sd->firstlast + ": the button of another's cell\n";
    // Every row in view has its cells.
    GtkWidget* shown = EditScrolled();
    if (editmode == EDIT && shown && sdgrid && boardrowqty > 0) {
        GtkAdjustment* adj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(shown));
        double pitch = (gtk_widget_get_allocated_height(sdgrid) + gtk_grid_get_row_spacing(GTK_GRID(sdgrid))) /
                       (double)boardrowqty;
        double v = gtk_adjustment_get_value(adj), page = gtk_adjustment_get_page_size(adj);
        for (SqrDancer* sd : roster) {
            int row = sd->gridposn % boardrowqty;
            if (sd->gridposn >= 0 && (row + 1) * pitch > v + 1 && row * pitch < v + page - 1 && !sd->availbttn)
                out += sd->firstlast + ": in view without a cell\n";
        }
    }
    return out;
}

std::string SqrEntry(int width, const std::string& name, int square) {
    return strprintf("%*s: %3d", width, name.c_str(), square);
}

std::string OutEntry(int width, const std::string& name) {
    return strprintf("%*s: Out", width, name.c_str());
}

GtkWidget* Find(GtkWidget* w, const std::function<bool(GtkWidget*)>& match) {
    if (match(w)) return w;
    GtkWidget* found = nullptr;
    if (GTK_IS_CONTAINER(w)) {
        GList* kids = gtk_container_get_children(GTK_CONTAINER(w));
        for (GList* l = kids; l && !found; l = l->next) found = Find(GTK_WIDGET(l->data), match);
        g_list_free(kids);
    }
    return found;
}
