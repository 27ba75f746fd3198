// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: creation, the one switch between displays, the title, colours,
// spacings, and the small screen services the logic asks for.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "commands/autosave.h"
#include "commands/keys.h"
#include "commands/swipe.h"
#include "core/startup.h"
#include "dialogs/resume.h"
#include "display/display.h"
#include "display/projector.h"
#include "files/clubfile.h"
#include "files/record.h"
#include "files/evening.h"
#include "files/replay.h"
#include "files/attendance.h"
#include "files/season.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif

GtkWidget* sdwin = nullptr;
GtkWidget* sdgrid = nullptr;
GtkWidget* sdpop = nullptr;
GtkWidget* sdnew = nullptr;
GtkWidget** gridlabel = nullptr;
GtkWidget** gridbttn = nullptr;
int gridbttnqty = 0;
GtkWidget* sqrslider = nullptr;
GdkRGBA sqrcolor[COLORQTY];
GdkRGBA redpgmgdk, blkgdk;
int sp1 = 1, sp2 = 2, sp4 = 1, sp5 = 5, sp10 = 10, sp25 = 25;
PangoFontDescription *sdfont = nullptr, *bttnfont1 = nullptr, *bttnfont2 = nullptr,
                     *lblfont2 = nullptr;
int didhandler = 0;
gulong keybrdhandlerid = 0;

// ---- per-widget style -------------------------------------------------------------------
// A widget gets its colour, background or font through a style class: one CSS provider per
// distinct rule, added once for the screen, and the class on the widget. (A provider on
// each widget's own style context keeps a signal connection per widget on the shared
// provider, which makes building and tearing down a display of thousands of buttons slow.)
// The properties are inherited by the label inside a button. A widget keeps one class of
// each kind: a new colour replaces the old one.
static void AddCss(GtkWidget* w, const char* kind, const std::string& css) {
    if (!w) return;
    static std::map<std::string, std::string> classes;  // rule body -> class name
    auto it = classes.find(css);
    if (it == classes.end()) {
        std::string cls = strprintf("dorvels-%s-%zu", kind, classes.size());
        std::string rule = "." + cls + " " + css.substr(css.find('{'));
        GtkCssProvider* p = gtk_css_provider_new();
        gtk_css_provider_load_from_data(p, rule.c_str(), -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(p),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
        it = classes.emplace(css, cls).first;
    }
    GtkStyleContext* ctx = gtk_widget_get_style_context(w);
    std::string prefix = std::string("dorvels-") + kind + "-";
    GList* old = gtk_style_context_list_classes(ctx);
    for (GList* l = old; l; l = l->next) {
        const char* c = static_cast<const char*>(l->data);
        if (strncmp(c, prefix.c_str(), prefix.size()) == 0 && it->second != c)
            gtk_style_context_remove_class(ctx, c);
    }
    g_list_free(old);
    gtk_style_context_add_class(ctx, it->second.c_str());
}

static std::string CssColor(const GdkRGBA* c) {
    return strprintf("rgba(%d,%d,%d,%g)", (int)std::lround(c->red * 255),
                     (int)std::lround(c->green * 255), (int)std::lround(c->blue * 255), c->alpha);
}

void SetWidgetColor(GtkWidget* w, const GdkRGBA* fg) {
    if (w && fg) AddCss(w, "fg", "* { color: " + CssColor(fg) + "; }");
}

void SetWidgetBackground(GtkWidget* w, const GdkRGBA* bg) {
    if (w && bg) AddCss(w, "bg", "* { background-color: " + CssColor(bg) + "; background-image: none; }");
}

// The CSS equivalent of a Pango font description (family list, size, style, weight).
static std::string FontCss(const PangoFontDescription* font) {
    std::string css = "* {";
    PangoFontMask set = pango_font_description_get_set_fields(font);
    if (set & PANGO_FONT_MASK_FAMILY) {
        std::string fams = pango_font_description_get_family(font);
        std::string list;
        size_t pos = 0;
        while (pos <= fams.size()) {
            size_t comma = fams.find(',', pos);
            if (comma == std::string::npos) comma = fams.size();
            std::string f = fams.substr(pos, comma - pos);
            while (!f.empty() && f.front() == ' ') f.erase(0, 1);
            while (!f.empty() && f.back() == ' ') f.pop_back();
            if (!f.empty()) {
                std::string q;
                for (char c : f)
                    if (c != '"' && c != '\\') q += c;
                list += (list.empty() ? "\"" : ", \"") + q + "\"";
            }
            pos = comma + 1;
        }
        if (!list.empty()) css += " font-family: " + list + ";";
    }
    if (set & PANGO_FONT_MASK_SIZE) {
        double size = pango_font_description_get_size(font) / (double)PANGO_SCALE;
        if (size > 0)
            css += strprintf(" font-size: %g%s;", size,
                             pango_font_description_get_size_is_absolute(font) ? "px" : "pt");
    }
    if (set & PANGO_FONT_MASK_STYLE) {
        PangoStyle st = pango_font_description_get_style(font);
        css += st == PANGO_STYLE_ITALIC    ? " font-style: italic;"
               : st == PANGO_STYLE_OBLIQUE ? " font-style: oblique;"
                                           : " font-style: normal;";
    }
    if (set & PANGO_FONT_MASK_WEIGHT) {
        int wt = (int)pango_font_description_get_weight(font);
        wt = std::max(100, std::min(900, (wt + 50) / 100 * 100));
        css += strprintf(" font-weight: %d;", wt);
    }
    return css + " }";
}

void SetWidgetFont(GtkWidget* w, const PangoFontDescription* font) {
    if (w && font) AddCss(w, "font", FontCss(font));
}

// ---- colours and spacings ------------------------------------------------------------------
void GtkInitColors() {
    static const struct { int slot; const char* text; } table[] = {
        {COLOR_squares1, "#fffff0"}, {COLOR_squares2, "#90ee90"}, {COLOR_warning, "#ff0000"},
        {COLOR_note, "#0088ff"},     {COLOR_present, "#70d0ff"},  {COLOR_history, "#ff7f00"},
        {COLOR_rfidsex, "#70d0ff"},
    };
    for (const auto& t : table) gdk_rgba_parse(&sqrcolor[t.slot], t.text);
    gdk_rgba_parse(&redpgmgdk, "#ff0000");
    gdk_rgba_parse(&blkgdk, "#000000");
}

void SelectPgmColor(SqrDancer* sd) {
    if (!sd || !sd->pgmbttn) return;
    bool below = sd->avail && sd->pgm < pgmfloor;
    SetWidgetColor(sd->pgmbttn, below ? &redpgmgdk : &blkgdk);
    // The label inside the button gets the colour as well, whatever the theme says for it.
    if (GTK_IS_BIN(sd->pgmbttn)) {
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(sd->pgmbttn));
        if (child) SetWidgetColor(child, below ? &redpgmgdk : &blkgdk);
    }
}

static int Rounded(double v) {
    int r = (int)(v + 0.5);
    return r > 0 ? r : 1;
}

void SetSpacing() {
    if (!res) return;
    double sf = res->sf;
    sp25 = Rounded(25 * sf);
    sp10 = Rounded(10 * sf);
    sp5 = Rounded(5 * sf);
    sp2 = Rounded(2 * sf);
}

// ---- text width ------------------------------------------------------------------------------
int ShownWidth(const std::string& text) {
    int width = 0;
    const char* p = text.c_str();
    const char* end = p + text.size();
    while (p < end) {
        gunichar c = g_utf8_get_char_validated(p, end - p);
        if (c == (gunichar)-1 || c == (gunichar)-2) {  // a stray byte: one column
            ++width;
            ++p;
            continue;
        }
        width += g_unichar_iszerowidth(c) ? 0 : g_unichar_iswide(c) ? 2 : 1;
        p = g_utf8_next_char(p);
    }
    return width;
}

std::string PadLeft(const std::string& text, int width) {
    int shown = ShownWidth(text);
    return shown < width ? std::string(width - shown, ' ') + text : text;
}

// ---- where windows go ----------------------------------------------------------------------
static bool OnWayland(GdkDisplay* d) {
#ifdef GDK_WINDOWING_WAYLAND
    return GDK_IS_WAYLAND_DISPLAY(d);
#else
    (void)d;
    return false;
#endif
}

GdkMonitor* MainMonitor() {
    if (!sdwin) return nullptr;
    GdkDisplay* d = gtk_widget_get_display(sdwin);
    GdkWindow* w = gtk_widget_get_window(sdwin);
    GdkMonitor* m = w && gtk_widget_get_mapped(sdwin) ? gdk_display_get_monitor_at_window(d, w) : nullptr;
    if (!m) m = gdk_display_get_primary_monitor(d);
    if (!m && gdk_display_get_n_monitors(d) > 0) m = gdk_display_get_monitor(d, 0);
    return m;
}

void MainToPrimary() {
    if (!sdwin || !gtk_widget_get_mapped(sdwin)) return;
    GdkDisplay* d = gtk_widget_get_display(sdwin);
    GdkMonitor* primary = gdk_display_get_primary_monitor(d);
    if (OnWayland(d) || !primary || MainMonitor() == primary) return;
    GdkRectangle g;
    gdk_monitor_get_workarea(primary, &g);
    GtkWindow* w = GTK_WINDOW(sdwin);
    // A maximised window is moved by few window managers: it lets go, moves, and takes the
    // new monitor whole.
    bool maximised = gtk_window_is_maximized(w);
    if (maximised) gtk_window_unmaximize(w);
    gtk_window_move(w, g.x, g.y);
    if (maximised) gtk_window_maximize(w);
}

void PlaceOverParent(GtkWidget* win) {
    if (!win) return;
    GtkWindow* t = gtk_window_get_transient_for(GTK_WINDOW(win));
    GtkWidget* parent = t ? GTK_WIDGET(t) : sdwin;
    GdkWindow* pw = parent && gtk_widget_get_mapped(parent) ? gtk_widget_get_window(parent) : nullptr;
    if (!pw) return;
    // Its size: what it has once shown, else what GTK is going to give it.
    int w = 0, h = 0;
    gtk_window_get_size(GTK_WINDOW(win), &w, &h);
    if (gtk_widget_get_mapped(win)) {
        w = gtk_widget_get_allocated_width(win);
        h = gtk_widget_get_allocated_height(win);
    }
    g_object_set_data(G_OBJECT(win), "dorvels-placed", GINT_TO_POINTER((w << 16) | (h & 0xffff)));
    int W = gtk_widget_get_allocated_width(parent), H = gtk_widget_get_allocated_height(parent);
    int ox = 0, oy = 0;
    gdk_window_get_origin(pw, &ox, &oy);
    GdkRectangle area = {ox, oy, W, H};
    GdkDisplay* d = gtk_widget_get_display(parent);
    // On X the pop-up stays on the parent's monitor. On Wayland each window has coordinates of
    // its own: a pop-up is placed within its parent.
    if (!OnWayland(d))
        if (GdkMonitor* m = gdk_display_get_monitor_at_window(d, pw)) gdk_monitor_get_geometry(m, &area);
    int x = ox + (W - w) / 2, y = oy + (H - h) / 2;
    // At the pointer: where it is over the parent (GTK's own placement at the pointer needs
    // the pointer's place on the screen, which Wayland does not tell).
    int px = -1, py = -1;
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(d));
    if (g_object_get_data(G_OBJECT(win), "dorvels-atpointer") && pointer) {
        gdk_window_get_device_position(pw, pointer, &px, &py, nullptr);
        if (px >= 0 && py >= 0 && px < W && py < H) {
            x = ox + px;
            y = oy + py;
        }
    }
    x = std::max(area.x, std::min(x, area.x + area.width - w));
    y = std::max(area.y, std::min(y, area.y + area.height - h));
    gtk_window_set_position(GTK_WINDOW(win), GTK_WIN_POS_NONE);
    gtk_window_move(GTK_WINDOW(win), x, y);
}

// A pop-up that was centred and then took another size than it asked for (a wrapping text) is
// centred again at that size.
static void PopupResized(GtkWidget* w, GdkRectangle* a, gpointer) {
    int placed = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(w), "dorvels-placed"));
    if (placed && placed != ((a->width << 16) | (a->height & 0xffff))) PlaceOverParent(w);
}

void PopupBelongs(GtkWidget* pop, bool atpointer, GtkWidget* parent) {
    if (!pop) return;
    if (!parent) parent = sdwin;
    if (parent && parent != pop) gtk_window_set_transient_for(GTK_WINDOW(pop), GTK_WINDOW(parent));
    gtk_window_set_position(GTK_WINDOW(pop), GTK_WIN_POS_NONE);
    if (atpointer) g_object_set_data(G_OBJECT(pop), "dorvels-atpointer", pop);
    g_signal_connect(pop, "size-allocate", G_CALLBACK(PopupResized), nullptr);
}

void DialogOverMain(GtkWidget* win) {
    if (!win) return;
    if (!gtk_window_get_transient_for(GTK_WINDOW(win)) && sdwin && sdwin != win)
        gtk_window_set_transient_for(GTK_WINDOW(win), GTK_WINDOW(sdwin));
    gtk_window_set_position(GTK_WINDOW(win), GTK_WIN_POS_CENTER_ON_PARENT);
}

void KeepColorsUnfocused(GtkWidget* w) {
    static GtkCssProvider* provider = nullptr;
    if (!w) return;
    if (!provider) {
        // The theme's colour for text in a focused window, in every state of the window.
        provider = gtk_css_provider_new();
        gtk_css_provider_load_from_data(provider,
                                        ".dorvels-keepcolors:backdrop, .dorvels-keepcolors :backdrop "
                                        "{ color: @theme_fg_color; }",
                                        -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    }
    gtk_style_context_add_class(gtk_widget_get_style_context(w), "dorvels-keepcolors");
}

// ---- title ---------------------------------------------------------------------------------
std::string WinTitle(const char* extra) {
    if (caller.empty()) caller = "none";
    if (clubname.empty()) clubname = "none";
    std::string tip;
    if (hist && editmode == HISTORY)
        tip = strprintf(_(" tip#%d"), hist->tipcnt);
    else if (tipcnt > 0)
        tip = strprintf(_(" tip#%d"), tipcnt);
    const char* prefix = prehistory                        ? _("PREHISTORY : ")
                         : (hist && editmode == HISTORY)   ? _("HISTORY : ")
                         : editmode == PRESENT             ? _("PRESENT : ")
                                                           : "";
    // TRANSLATORS: what follows a club's name ending in s ("The Squares' Square Dance"), and any other.
    const char* poss = clubname.back() == 's' ? C_("possessive after s", "'") : C_("possessive", "'s");
    if (!extra) extra = "";
    // TRANSLATORS: the window title: prefix, club, possessive, title of an open dialog, caller, tip.
    if (pgmfloor == Basic)
        return strprintf(_("%s%s%s Square Dance%s with %s calling%s"), prefix, clubname.c_str(), poss,
                         extra, caller.c_str(), tip.c_str());
    // TRANSLATORS: as before, with the program level after the possessive.
    return strprintf(_("%s%s%s %s Square Dance%s with %s calling%s"), prefix, clubname.c_str(), poss,
                     strpgm(pgmfloor), extra, caller.c_str(), tip.c_str());
}

void SetWinTitle(GtkWidget* win, const char* extra) {
    if (!win) return;
    gtk_window_set_title(GTK_WINDOW(win), WinTitle(extra).c_str());
}

// ---- building and switching ----------------------------------------------------------------
void DestroyWidget(GtkWidget*& w) {
    GtkWidget* old = w;
    w = nullptr;
    if (old) gtk_widget_destroy(old);
}

// ---- the window's pages --------------------------------------------------------------------
// The window holds its displays as the pages of a stack. The first page is empty: it shows
// while no display does. The edit display's page ("edit") is kept while other displays show
// (display/edit.cpp), and so are the boards of labels ("squares", "present", "history",
// display/squares.cpp); every other page goes when the display after it comes.
static GtkWidget* pages = nullptr;
static GtkWidget* blankpage = nullptr;

static void PagesGone(GtkWidget*, gpointer) { pages = blankpage = nullptr; }

static GtkWidget* Pages() {
    if (!pages && sdwin) {
        pages = gtk_stack_new();
        // Only the page shown is measured: the kept edit display may be larger than the window.
        gtk_stack_set_homogeneous(GTK_STACK(pages), FALSE);
        blankpage = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        gtk_container_add(GTK_CONTAINER(pages), blankpage);
        g_signal_connect(pages, "destroy", G_CALLBACK(PagesGone), nullptr);
        gtk_container_add(GTK_CONTAINER(sdwin), pages);
        gtk_widget_show_all(pages);
    }
    return pages;
}

void ShowInWindow(GtkWidget* top, const char* name) {
    GtkWidget* p = Pages();
    if (!p || !top) return;
    if (!gtk_widget_get_parent(top)) {
        if (name)
            gtk_stack_add_named(GTK_STACK(p), top, name);
        else
            gtk_container_add(GTK_CONTAINER(p), top);
    }
    gtk_widget_show(top);
    gtk_stack_set_visible_child(GTK_STACK(p), top);
}

GtkWidget* ShownDisplay() {
    GtkWidget* shown = pages ? gtk_stack_get_visible_child(GTK_STACK(pages)) : nullptr;
    return shown == blankpage ? nullptr : shown;
}

// The pages other than the empty one and the kept ones (named) go; the edit display stays
// shown when keepedit is set and it is the page shown.
static void EmptyPages(bool keepedit) {
    if (!pages) return;
    GtkWidget* edit = gtk_stack_get_child_by_name(GTK_STACK(pages), "edit");
    if (!(keepedit && edit && ShownDisplay() == edit)) gtk_stack_set_visible_child(GTK_STACK(pages), blankpage);
    GList* kids = gtk_container_get_children(GTK_CONTAINER(pages));
    for (GList* l = kids; l; l = l->next) {
        GtkWidget* w = GTK_WIDGET(l->data);
        gchar* name = nullptr;
        gtk_container_child_get(GTK_CONTAINER(pages), w, "name", &name, nullptr);
        if (w != blankpage && !name) gtk_widget_destroy(w);  // named pages are kept
        g_free(name);
    }
    g_list_free(kids);
}

void EmptyWindow() { EmptyPages(false); }

// A grid that was made but never packed (a display that did not use it) is freed.
static void DropUnpackedGrid() {
    if (sdgrid && !gtk_widget_get_parent(sdgrid)) {
        g_object_ref_sink(sdgrid);
        gtk_widget_destroy(sdgrid);
        g_object_unref(sdgrid);
    }
    sdgrid = nullptr;
}

// What every switch does first: the display shown and the pop-ups go, the kept edit display
// stays (shown still when keepedit is set, since it is shown next). With keepboard the board
// shown stays too, with its cells (the present board shown again for new presences).
static void LeaveDisplay(bool keepedit, bool keepboard = false) {
    if (!keepboard) {
        DropUnpackedGrid();
        EmptyPages(keepedit);
    }
    DestroyWidget(sdnew);
    DestroyWidget(sdpop);
    if (!keepboard) {
        g_free(gridlabel);
        gridlabel = nullptr;
        sqrslider = nullptr;
    }
    // Buttons of the display that went are forgotten; the edit display keeps its own, and
    // its dancers their buttons, but no dancer has a place in a grid shown.
    ForgetGridBttn();
    if (!keepedit)
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->gridposn = -1;
}

void CleanupMainWindow() {
    // The kept edit display goes too: every dancer lets go of its cell.
    EditViewDrop();
    LeaveDisplay(false);
    if (GtkWidget* child = sdwin ? gtk_bin_get_child(GTK_BIN(sdwin)) : nullptr) {
        gtk_widget_hide(child);
        g_object_ref(child);
        gtk_container_remove(GTK_CONTAINER(sdwin), child);
        gtk_widget_destroy(child);
        g_object_unref(child);
    }
    // Nobody reaches a dead widget.
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->availbttn = sd->pgmbttn = sd->sexbttn = nullptr;
}

static GtkWidget* NewGrid(int spacing) {
    GtkWidget* g = gtk_grid_new();
    gtk_grid_set_row_homogeneous(GTK_GRID(g), TRUE);
    gtk_grid_set_column_homogeneous(GTK_GRID(g), TRUE);
    gtk_grid_set_row_spacing(GTK_GRID(g), spacing);
    gtk_grid_set_column_spacing(GTK_GRID(g), spacing);
    return g;
}

int RosterProblems(bool squares) {
    int problems = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        SqrDancer* p = sd->partner;
        if (p && ((sd->sex == M && p->sex == M) || (sd->sex == F && p->sex == F))) {
            GtkWarning(_("%s %s and %s %s are both %s!\n"), sd->firstname.c_str(),
                       sd->lastname.c_str(), p->firstname.c_str(), p->lastname.c_str(),
                       strsex(sd->sex));
            ++problems;
        }
    }
    if (!squares) return problems;
    if (Aflag) {
        Aflag = 0;
        SetupDispNames();
    }
    int m = 0, f = 0, mf = 0, fm = 0, e = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!sd->avail || sd->pgm < pgmfloor) continue;
        switch (sd->sex) {
            case M: ++m; break;
            case F: ++f; break;
            case MF: ++mf; break;
            case FM: ++fm; break;
            case E: ++e; break;
            default: GtkWarning(_("sd<%s> has unknown sex\n"), sd->dispname.c_str()); break;
        }
    }
    int half = squaresize / 2;
    if (f + mf + fm + e < m && f + mf + fm + e < half) {
        GtkWarning(_("M,F imbalance:, insufficient belle dancers to form a square\n"));
        ++problems;
    }
    if (m + mf + fm + e < f && m + mf + fm + e < half) {
        GtkWarning(_("M,F imbalance:, insufficient beau dancers to form a square\n"));
        ++problems;
    }
    return problems;
}

// Every label and button text of the display shown, with "[x]" after a button pressed in.
static void CollectTexts(GtkWidget* w, gpointer data) {
    std::string* out = static_cast<std::string*>(data);
    if (GTK_IS_LABEL(w)) *out += std::string(gtk_label_get_text(GTK_LABEL(w))) + "|";
    if (GTK_IS_TOGGLE_BUTTON(w) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w))) *out += "[x]|";
    if (GTK_IS_CONTAINER(w)) gtk_container_forall(GTK_CONTAINER(w), CollectTexts, data);
}

void TraceBoard() {
    if (!dbgtst(2) || !sdwin) return;
    std::string texts;
    if (GtkWidget* shown = ShownDisplay()) CollectTexts(shown, &texts);
    DPRINTF(2, "(TraceBoard) <%s> %s\n", WinTitle(nullptr).c_str(), texts.c_str());
}

void SwitchDisplay(EDITMODE neweditmode) {
    DPRINTF(1, "SwitchDisplay(neweditmode=%d) from %s\n", (int)neweditmode, streditmode());
    int problems = RosterProblems(neweditmode == SQUARES);
    if (neweditmode == SQUARES && problems > 0) {
        // The display stays, but the names may have changed (the check ends the view of who
        // left without notice): the edit display shows them as they are now.
        EditCellsRefresh();
        return;
    }

    // The present board shown again (a check-in, a click) gives its cells their new texts in
    // place when its shape stays; the display builder decides.
    bool keepboard = neweditmode == PRESENT && PresentBoardKept();
    LeaveDisplay(neweditmode == EDIT, keepboard);
    if (!keepboard) sdgrid = NewGrid(sp10);
    KeybrdHandlerRestore();
    switch (neweditmode) {
        case BEGIN: SetupDisplay(BEGIN); break;
        case EDIT: EditDisplay(EDIT); break;
        case SETUP: SetupDisplay(SETUP); break;
        case SQUARES:
            SquareDisplay(SQUARES);
            if (WriteDorvels(1)) SeasonSave();
            AttendanceSave();  // before the evening file, which keeps the evening's identity
            EveningSave();
            break;
        case PRESENT: SquareDisplay(PRESENT); break;
        case HISTORY: HistoryDisplay(); break;
        default: error(0, "(SwitchDisplay) neweditmode=%d is unsupported\n", (int)neweditmode);
    }
    TraceBoard();
    ProjectorFollow();
}

static bool ended = false;  // terminate ended the evening while the main loop ran

// Lets go of the main window and its display; its "destroy" no longer ends the evening.
// Returns the window (null when there is none).
static GtkWidget* ForgetMainWindow() {
    GtkWidget* w = sdwin;
    if (!w) return nullptr;
    CleanupMainWindow();
    sdwin = nullptr;
    g_signal_handlers_disconnect_by_func(w, (gpointer)terminate, GINT_TO_POINTER(1));
    return w;
}

static gboolean TerminateLater(gpointer data) {
    terminate(nullptr, data);
    return G_SOURCE_REMOVE;
}

// The end of the evening. The club file is written while the window still stands, so that
// a failed write is asked about in a dialog above it; then the window goes and the main loop
// ends. Called again while its dialog is open (a second close), it does nothing.
void terminate(GtkWidget* window, gpointer data) {
    static int nesting = 0;
    if (nesting) return;
    bool destroyed = window && window == sdwin && gtk_widget_in_destruction(window);
    if (Replaying() && !destroyed) {
        // A replayed key or close ends the replay, not the evening: the operator goes on
        // looking at what the record led to, and no club file is written on its own.
        ReplayEndsEvening();
        return;
    }
    if (destroyed) {
        // The window is being destroyed (from outside the program): let go of its display
        // first (its widgets are still alive while "destroy" is being handled), so no global
        // points at a dead widget, and end the evening once the destruction is over, where
        // a dialog may run.
        CleanupMainWindow();
        sdwin = nullptr;
        if (gtk_main_level() > 0) {
            g_idle_add(TerminateLater, data);
            return;
        }
    }
    ++nesting;
    TerminateEvening(GPOINTER_TO_INT(data));
    // The window goes once the main loop has ended (RunDisplay), not within the key press or
    // click that ended the evening: its release still finds the window. Without a main loop
    // (a test driving the handlers) it is left to its maker.
    if (gtk_main_level() > 0) {
        ended = true;
        gtk_main_quit();
    } else {
        ForgetMainWindow();
    }
    --nesting;
}

// The window manager's close button: the end of the evening, saving as the "destroy" of the
// window would, but before the window goes.
static gboolean MainWinDelete(GtkWidget* w, GdkEvent*, gpointer) {
    terminate(w, GINT_TO_POINTER(1));
    return TRUE;
}

void RunDisplay() {
    CleanupMainWindow();
    sdwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    // The installed icon (its name is the program's desktop name) for the window and dialogs.
    gtk_window_set_default_icon_name(DORVELS_APP_ID);
    SetWinTitle(sdwin, nullptr);
    g_signal_connect(sdwin, "destroy", G_CALLBACK(terminate), GINT_TO_POINTER(1));
    g_signal_connect(sdwin, "delete-event", G_CALLBACK(MainWinDelete), nullptr);
    gtk_widget_add_events(sdwin, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(sdwin, "button-press-event", G_CALLBACK(BttnPress), nullptr);
    GtkInitColors();
    // The spacing every display switch gives the grid, so that the first display is laid out as
    // every later one (the edit display had five columns at the start, four after a card).
    sdgrid = NewGrid(sp10);
    if (!didhandler) {
        KeybrdHandlerRestore();
        if (reqH < 1 || reqW < 1) {
            // The screen's size as well, for a desktop without a window manager to maximise.
            if (screenwidth > 0 && screenheight > 0)
                gtk_window_set_default_size(GTK_WINDOW(sdwin), screenwidth, screenheight);
            gtk_window_maximize(GTK_WINDOW(sdwin));
        } else {
            gtk_widget_set_size_request(sdwin, reqW, reqH);
            gtk_window_set_resizable(GTK_WINDOW(sdwin), FALSE);
        }
    }
    // On the primary monitor (the laptop's panel; the projector is another one): a window
    // manager maximises it where it stands, and until it has, the window is known to be there.
    if (GdkMonitor* m = MainMonitor()) {
        GdkRectangle g;
        gdk_monitor_get_workarea(m, &g);
        gtk_window_move(GTK_WINDOW(sdwin), g.x, g.y);
    }
    // The window is mapped before any display is built, so that a note or dialog that a
    // builder opens is stacked above it, not hidden under it.
    gtk_widget_show_all(sdwin);
    HoldMessages(false);
    EventFilterInstall();
    bool resumed = ResumeAtStart();
    PhonePageStartPending();
    // The first display is no action of the operator's: the record holds none of its lines.
    RecordSuspend();
    switch (editmode) {
        case SQUARES: SquareDisplay(SQUARES); break;
        case EDIT: EditDisplay(EDIT); break;
        case BEGIN:
            EditDisplay(EDIT);
            if (!sdhd) {
                SetupDisplay(SETUP);
                hintflag = 1;
            }
            break;
        default: error(0, "(RunDisplay) editmode=%d: unsupported\n", (int)editmode);
    }
    // A resumed evening shows its current tip, as c does.
    if (resumed && histtl) HistoryChange(0);
    RecordResume();
    // The cards swiped while the resume question was up, then a key typed into it, are the
    // evening's first actions.
    for (const std::string& card : ResumeCards())
        g_idle_add([](gpointer c) -> gboolean {
            std::string* number = static_cast<std::string*>(c);
            if (sdwin) {
                ResetKeybrd();
                for (char d : *number) KeybrdCmd(d);
                KeybrdCmd('\r');
                AutosaveSoon();
            }
            delete number;
            return G_SOURCE_REMOVE;
        }, new std::string(card));
    if (char key = ResumeKey())
        g_idle_add([](gpointer k) -> gboolean {
            if (sdwin) {
                KeybrdCmd((char)GPOINTER_TO_INT(k));
                AutosaveSoon();
            }
            return G_SOURCE_REMOVE;
        }, GINT_TO_POINTER(key));
    gtk_widget_show_all(sdwin);
    TraceBoard();
    ProjectorFollow();  // opened again when the club file says it was open
    // What start-up found in the club files, once, above the first display.
    std::string notice = TakeClubFileNotice();
    if (!notice.empty()) GtkWarningText(notice);
    gtk_main();
    ProjectorClose();  // the setting stays as the club file was written
    if (GtkWidget* w = ended ? ForgetMainWindow() : nullptr) gtk_widget_destroy(w);
    ended = false;
}

// ---- services asked for by the logic -------------------------------------------------------
void ShowDancerTooltip(const SqrDancer* sd) {
    if (!sd || !gridbttn || sd->gridposn < 0 || sd->gridposn >= gridbttnqty) return;
    GtkWidget* b = gridbttn[sd->gridposn];
    if (!b) return;
    const char* tip = sd->tooltip.empty() ? nullptr : sd->tooltip.c_str();
    gchar* old = gtk_widget_get_tooltip_text(b);
    if (g_strcmp0(old, tip) != 0) gtk_widget_set_tooltip_text(b, tip);
    g_free(old);
}

// The modal dialog itself: 0 = Cancel, 1 = Yes, 2 = No.
static int RunResetDialog();

int AskResetDialog() {
    static const char* const answers[] = {"Cancel", "Yes", "No"};
    int answer = 0;
    if (Replaying()) {
        std::string recorded = ReplayAnswer("AskResetDialog");
        for (int i = 0; i < 3; ++i)
            if (recorded == answers[i]) answer = i;
    } else {
        answer = RunResetDialog();
    }
    Record("(AskResetDialog) %s\n", answers[answer]);
    return answer;
}

static int RunResetDialog() {
    GtkWidget* dlg = gtk_dialog_new_with_buttons(
        _("Reset Dialog"), sdwin ? GTK_WINDOW(sdwin) : nullptr,
        GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), _("Yes"), 1, _("No"), 2,
        _("Cancel"), 0, nullptr);
    GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dlg));
    GtkWidget* lbl = gtk_label_new(
        _("Do you wish to generate a reset file?\n  Yes: generates a reset file\n  No: does a "
        "reset\n  Cancel: cancels reset\n"));
    if (lblfont2) SetWidgetFont(lbl, lblfont2);
    gtk_container_add(GTK_CONTAINER(area), lbl);
    int answer = RunQuestion(dlg);
    // Closing the dialog any other way (window close, Escape) throws nothing away.
    return answer == 1 || answer == 2 ? answer : 0;
}

int RunQuestion(GtkWidget* dlg, int dflt) {
    DialogOverMain(dlg);
    if (dflt != GTK_RESPONSE_NONE) gtk_dialog_set_default_response(GTK_DIALOG(dlg), dflt);
    gtk_widget_show_all(dlg);
    if (dflt != GTK_RESPONSE_NONE)
        if (GtkWidget* b = gtk_dialog_get_widget_for_response(GTK_DIALOG(dlg), dflt)) gtk_widget_grab_focus(b);
    g_object_add_weak_pointer(G_OBJECT(dlg), (gpointer*)&dlg);
    int answer = gtk_dialog_run(GTK_DIALOG(dlg));
    if (dlg) {
        g_object_remove_weak_pointer(G_OBJECT(dlg), (gpointer*)&dlg);
        gtk_widget_destroy(dlg);
    }
    return answer;
}

// Answers of the "Club file not saved" dialog (the response ids are the answers).
int AskSaveFailed(const std::string& text, bool quitting, std::string* othername) {
    for (;;) {
        GtkWidget* dlg = gtk_dialog_new_with_buttons(
            _("Club file not saved"), sdwin ? GTK_WINDOW(sdwin) : nullptr,
            GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), _("_Try again"), SAVE_RETRY,
            _("_Save as..."), SAVE_OTHERNAME, quitting ? _("_Quit without saving") : _("_Do not save"), SAVE_NOT,
            nullptr);
        GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dlg));
        GtkWidget* lbl = gtk_label_new(text.c_str());
        gtk_label_set_line_wrap(GTK_LABEL(lbl), TRUE);
        gtk_label_set_max_width_chars(GTK_LABEL(lbl), 70);
        if (lblfont2) SetWidgetFont(lbl, lblfont2);
        gtk_container_set_border_width(GTK_CONTAINER(area), (guint)sp10);
        gtk_container_add(GTK_CONTAINER(area), lbl);
        // Enter (a card swiped while the dialog is open) tries again: it never throws
        // the evening away.
        int answer = RunQuestion(dlg, SAVE_RETRY);
        if (answer == SAVE_NOT) return SAVE_NOT;
        if (answer != SAVE_OTHERNAME) return SAVE_RETRY;  // closed otherwise: ask again after a try

        GtkWidget* chooser = gtk_file_chooser_dialog_new(
            _("Save the club file as"), sdwin ? GTK_WINDOW(sdwin) : nullptr, GTK_FILE_CHOOSER_ACTION_SAVE,
            _("_Cancel"), GTK_RESPONSE_CANCEL, _("_Save"), GTK_RESPONSE_ACCEPT, nullptr);
        gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
        DialogOverMain(chooser);
        gchar* base = g_path_get_basename(outputfilename.empty() ? dfltsavefile : outputfilename.c_str());
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), base);
        g_free(base);
        int chosen = gtk_dialog_run(GTK_DIALOG(chooser));
        char* file = chosen == GTK_RESPONSE_ACCEPT ? gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser)) : nullptr;
        gtk_widget_destroy(chooser);
        if (file) {
            *othername = file;
            g_free(file);
            return SAVE_OTHERNAME;
        }
        // No file chosen: the question again.
    }
}