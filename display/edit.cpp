// SPDX-License-Identifier: GPL-3.0-or-later
// The edit display: the whole roster, one framed cell per dancer in name order, filled
// column by column. A cell is the dancer's name toggle (pressed in = absent) over a row of
// six small buttons that open the dancer's editing dialogs.
//
// The display is kept from one switch to the next: while another display shows, its page
// stays in the window, hidden, with its cells alive, and when it shows again every cell is
// brought up to date from its dancer. It is built anew only when the roster's order, the
// fonts or the grid's shape changed. A cell is made when its row first comes into view, so
// that a roster of a thousand dancers costs the cells of one screen, not 18,000 widgets; and
// once the cells of about three screens live, the cell farthest from the rows in view moves
// to the row coming into view and shows its new dancer, so that scrolling through the whole
// roster leaves no more cells behind than that (each one costs every later switch).
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "assign/assign.h"
#include "display/boards.h"
#include "files/record.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

// The buttons of a cell, in the order they are packed: the name toggle, then the six small
// buttons.
enum { NAMEB, DELB, LUCKB, NAMEDLGB, PRTNRB, PGMB, SEXB, CELLBTTNQTY };

struct EditCell {
    GtkWidget* frame = nullptr;  // attached to the grid; null while the cell is not made
    GtkWidget* b[CELLBTTNQTY] = {};
};

// The kept display. Its widgets belong to GTK; this only borrows them while `top` lives.
static struct {
    GtkWidget* top = nullptr;       // the page in the window: the legend over the grid (or over
                                    // a scrolled window holding it)
    GtkWidget* legend = nullptr;
    GtkWidget* grid = nullptr;
    GtkAdjustment* vadj = nullptr;  // vertical scrolling; null when every cell fits
    std::vector<SqrDancer*> order;  // the dancer of each cell; null where one was deleted
    std::vector<EditCell> cells;
    int made = 0;                   // cells that have their widgets
    int most = 0;                   // cells that may live at once; 0 = no bound
    GtkWidget** bttns = nullptr;    // the name toggles by cell: gridbttn while shown
    int colqty = 1, rowqty = 1;
    std::string layout;             // fonts, shape and window the grid was made for
} view;

static PangoFontDescription* ParsedFont(PangoFontDescription* old, const std::string& desc) {
    if (old) pango_font_description_free(old);
    return pango_font_description_from_string(desc.c_str());
}

static const std::string& NameOf(const SqrDancer* sd) { return sd->dispname.empty() ? sd->firstlast : sd->dispname; }
static const char* LuckOf(const SqrDancer* sd) { return sd->priority == LUCK ? C_("priority", "Luck") : C_("priority", "Must"); }

// The edit display has seven buttons per dancer. The theme's gradients and soft shadows cost
// more to draw than the rest of the display, so its buttons are drawn flat: plain colours,
// the pressed-in (absent) state still darker.
static void FlatButton(GtkWidget* b) {
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        GtkCssProvider* p = gtk_css_provider_new();
        gtk_css_provider_load_from_data(
            p,
            "button.edit-cell { box-shadow: none; background-image: none; text-shadow: none; transition: none; }\n"
            "button.edit-cell:hover { background-color: #fbfbfa; }\n"
            "button.edit-cell:checked { background-color: #c8c2bd; }\n",
            -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(p),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_object_unref(p);
    }
    gtk_style_context_add_class(gtk_widget_get_style_context(b), "edit-cell");
}

static GtkWidget* SmallButton(const char* label) {
    GtkWidget* b = gtk_button_new();
    FlatButton(b);
    gtk_container_add(GTK_CONTAINER(b), gtk_label_new(label));
    BoardFontOf(b, bttnfont2);
    return b;
}

// The widgets of a cell showing sd: the name toggle over the row of six small buttons and a
// spacer line, in a frame. Nothing of sd points at them, nor they at sd.
static EditCell CellWidgets(const SqrDancer* sd) {
    EditCell c;
    GtkWidget* t = c.b[NAMEB] = gtk_toggle_button_new_with_label(NameOf(sd).c_str());
    FlatButton(t);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(t), sd->avail == 0);
    gtk_widget_set_vexpand(t, TRUE);
    BoardFontOf(t, bttnfont1);

    const char* texts[] = {C_("edit button", "Del"), LuckOf(sd), C_("edit button", "Name"), C_("edit button", "Prtnr"),
                           strpgm(sd->pgm), strsex(sd->sex)};
    GtkWidget* hbox = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    for (int k = DELB; k < CELLBTTNQTY; ++k) {
        c.b[k] = SmallButton(texts[k - DELB]);
        gtk_box_pack_start(GTK_BOX(hbox), c.b[k], TRUE, TRUE, 0);
    }

    GtkWidget* vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_pack_start(GTK_BOX(vbox), t, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(vbox), hbox, FALSE, FALSE, 0);
    GtkWidget* spacer = gtk_label_new("");
    BoardFontOf(spacer, bttnfont2);
    gtk_box_pack_start(GTK_BOX(vbox), spacer, FALSE, FALSE, 0);
    c.frame = gtk_frame_new(nullptr);
    gtk_container_add(GTK_CONTAINER(c.frame), vbox);
    return c;
}

// The buttons of cell c act on sd: the name toggle's "toggled", the small buttons' "clicked".
static void ConnectCell(const EditCell& c, SqrDancer* sd) {
    static const GCallback handlers[CELLBTTNQTY] = {
        G_CALLBACK(ToggleAvail), G_CALLBACK(DelBttn), G_CALLBACK(LuckMustBttn), G_CALLBACK(NameBttn),
        G_CALLBACK(PartnerBttn), G_CALLBACK(PgmBttn), G_CALLBACK(SexBttn)};
    sd->availsigid = (long)g_signal_connect(c.b[NAMEB], "toggled", handlers[NAMEB], sd);
    for (int k = DELB; k < CELLBTTNQTY; ++k) g_signal_connect(c.b[k], "clicked", handlers[k], sd);
}

// sd no longer reaches a cell.
static void LetGo(SqrDancer* sd) {
    sd->availbttn = sd->pgmbttn = sd->sexbttn = nullptr;
    sd->availsigid = -1;
}

// Nothing of cell c reaches sd any more.
static void DisconnectCell(const EditCell& c, SqrDancer* sd) {
    for (GtkWidget* b : c.b)
        if (b) g_signal_handlers_disconnect_matched(b, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, sd);
}

// Sets the text of a button's label when it differs (an equal text would lay it out again).
static void SetCellText(GtkWidget* b, const char* text) {
    GtkWidget* l = gtk_bin_get_child(GTK_BIN(b));
    if (!l || !GTK_IS_LABEL(l) || g_strcmp0(gtk_label_get_text(GTK_LABEL(l)), text) != 0) SetButtonText(b, text);
}

// Points cell i's dancer at the cell's widgets and brings the cell up to date with the dancer:
// name, presence, priority, level (and its colour), role and tooltip.
static void ShowCell(int i) {
    EditCell& c = view.cells[(size_t)i];
    SqrDancer* sd = view.order[(size_t)i];
    if (!c.frame || !sd) return;
    sd->availbttn = view.bttns[i] = c.b[NAMEB];
    sd->pgmbttn = c.b[PGMB];
    sd->sexbttn = c.b[SEXB];
    SetCellText(c.b[NAMEB], NameOf(sd).c_str());
    SetCellText(c.b[LUCKB], LuckOf(sd));
    SetCellText(c.b[PGMB], strpgm(sd->pgm));
    SetCellText(c.b[SEXB], strsex(sd->sex));
    GtkToggleButton* t = GTK_TOGGLE_BUTTON(c.b[NAMEB]);
    if (gtk_toggle_button_get_active(t) != (sd->avail == 0)) {
        g_signal_handlers_block_by_func(t, (gpointer)ToggleAvail, sd);
        gtk_toggle_button_set_active(t, sd->avail == 0);
        g_signal_handlers_unblock_by_func(t, (gpointer)ToggleAvail, sd);
    }
    SelectPgmColor(sd);
    SetupTooltip(sd);
}

// The rows first..last that the scrolled display shows; false while it has no size yet.
static bool RowsInView(int* first, int* last) {
    if (!view.vadj || !view.grid) return false;
    double upper = gtk_adjustment_get_upper(view.vadj), page = gtk_adjustment_get_page_size(view.vadj);
    if (upper <= 0 || page <= 0) return false;
    double pitch = (upper + gtk_grid_get_row_spacing(GTK_GRID(view.grid))) / view.rowqty;
    double v = gtk_adjustment_get_value(view.vadj);
    *first = (int)(v / pitch);
    *last = (int)((v + page - 1) / pitch);
    return true;
}

// The made cell whose row is farthest from the rows in view; -1 when every made cell is in
// view (or nothing is known of the view yet).
static int FarthestCell() {
    int first = 0, last = 0;
    if (!RowsInView(&first, &last)) return -1;
    int far = -1, farthest = 0;
    for (int j = 0; j < (int)view.cells.size(); ++j) {
        if (!view.cells[(size_t)j].frame) continue;
        int row = j % view.rowqty;
        int away = row < first ? first - row : row - last;
        if (away > farthest) farthest = away, far = j;
    }
    return far;
}

// Makes cell i (once) at its column-major place: with new widgets, or, when as many cells
// live as may, with those of the cell farthest from view.
static void MakeCell(int i) {
    EditCell& c = view.cells[(size_t)i];
    SqrDancer* sd = view.order[(size_t)i];
    if (c.frame || !sd) return;
    int j = view.most > 0 && view.made >= view.most ? FarthestCell() : -1;
    if (j >= 0) {
        std::swap(c, view.cells[(size_t)j]);
        view.bttns[j] = nullptr;
        if (SqrDancer* old = view.order[(size_t)j]) {
            DisconnectCell(c, old);
            LetGo(old);
        }
        gtk_container_child_set(GTK_CONTAINER(view.grid), c.frame, "left-attach", i / view.rowqty, "top-attach",
                                i % view.rowqty, nullptr);
    } else {
        c = CellWidgets(sd);
        gtk_grid_attach(GTK_GRID(view.grid), c.frame, i / view.rowqty, i % view.rowqty, 1, 1);
        // Shown on its own: showing the grid again would walk every cell made so far.
        gtk_widget_show_all(c.frame);
        ++view.made;
    }
    ConnectCell(c, sd);
    ShowCell(i);
}

// Makes the cells of rows first..last (all columns); the cells of three times as many rows
// may live.
static void MakeRows(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, view.rowqty - 1);
    view.most = std::max(view.most, 3 * (last - first + 1) * view.colqty);
    for (int col = 0; col < view.colqty; ++col)
        for (int row = first; row <= last; ++row) {
            int i = col * view.rowqty + row;
            if (i < (int)view.cells.size()) MakeCell(i);
        }
}

// The rows in view get their cells, as the display scrolls.
static void MakeCellsInView(GtkAdjustment*, gpointer) {
    int first = 0, last = 0;
    if (RowsInView(&first, &last)) MakeRows(first, last);
}

// Width in pixels of text in font, as a label of the grid would lay it out.
static int TextWidth(PangoLayout* layout, const std::string& text) {
    pango_layout_set_text(layout, text.c_str(), (int)text.size());
    int w = 0;
    pango_layout_get_pixel_size(layout, &w, nullptr);
    return w;
}

// The text of texts that is widest in font.
template <class Texts>
static std::string Widest(const Texts& texts, const PangoFontDescription* font) {
    PangoLayout* layout = gtk_widget_create_pango_layout(view.grid, nullptr);
    if (font) pango_layout_set_font_description(layout, font);
    std::string widest;
    int most = -1;
    for (const std::string& t : texts) {
        int w = TextWidth(layout, t);
        if (w > most) most = w, widest = t;
    }
    g_object_unref(layout);
    return widest;
}

// Smallest size of the widest cell of the roster: a cell of the widest name over the widest
// small-button texts, made in the grid (so styled as the cells are), measured and dropped.
static void CellSize(int* width, int* height) {
    std::vector<std::string> names, lucks, pgms, sexes;
    for (SqrDancer* sd : view.order) {
        names.push_back(NameOf(sd));
        lucks.push_back(LuckOf(sd));
        pgms.push_back(strpgm(sd->pgm));
        sexes.push_back(strsex(sd->sex));
    }
    for (auto* v : {&names, &lucks, &pgms, &sexes}) {
        std::sort(v->begin(), v->end());
        v->erase(std::unique(v->begin(), v->end()), v->end());
    }
    SqrDancer probe;
    probe.dispname = Widest(names, bttnfont1);
    probe.priority = Widest(lucks, bttnfont2) == C_("priority", "Luck") ? LUCK : MUST;
    probe.pgm = idpgm(Widest(pgms, bttnfont2));
    probe.sex = idsex(Widest(sexes, bttnfont2));
    EditCell c = CellWidgets(&probe);
    gtk_grid_attach(GTK_GRID(view.grid), c.frame, 0, 0, 1, 1);
    gtk_widget_show_all(c.frame);
    int natural = 0;
    gtk_widget_get_preferred_width(c.frame, width, &natural);
    gtk_widget_get_preferred_height(c.frame, height, &natural);
    gtk_widget_destroy(c.frame);
}

// The page goes: every dancer lets go of its cell.
static void ViewGone(GtkWidget*, gpointer) {
    for (SqrDancer* sd : view.order) {
        if (!sd) continue;
        LetGo(sd);
        sd->gridposn = -1;
    }
    if (gridbttn == view.bttns) {
        gridbttn = nullptr;
        gridbttnqty = 0;
    }
    if (sdgrid == view.grid) sdgrid = nullptr;
    g_free(view.bttns);
    view = {};
}

void EditViewDrop() {
    GtkWidget* top = view.top;
    if (!top) {
        ViewGone(nullptr, nullptr);
        return;
    }
    bool held = !gtk_widget_get_parent(top);  // packed by PackView without a window
    gtk_widget_destroy(top);                  // ViewGone forgets the rest
    if (held) g_object_unref(top);
}

void ForgetGridBttn() {
    if (gridbttn != view.bttns) g_free(gridbttn);
    gridbttn = nullptr;
    gridbttnqty = 0;
}

void DancerLeaves(SqrDancer* sd) {
    if (!sd) return;
    auto at = std::find(view.order.begin(), view.order.end(), sd);
    if (at != view.order.end()) {
        // The cell stays on screen until the display is built anew (the order no longer
        // matches the roster), but nothing in it reaches the dancer any more.
        *at = nullptr;
        DisconnectCell(view.cells[(size_t)(at - view.order.begin())], sd);
    }
    LetGo(sd);
    sd->gridposn = -1;
}

void EditCellsRefresh() {
    if (!view.top || ShownDisplay() != view.top) return;
    for (int i = 0; i < (int)view.cells.size(); ++i) ShowCell(i);
}

GtkWidget* EditCellMade(SqrDancer* sd) {
    if (!sd || sd->gridposn < 0 || sd->gridposn >= (int)view.order.size() || view.order[(size_t)sd->gridposn] != sd)
        return nullptr;
    MakeCell(sd->gridposn);
    return view.cells[(size_t)sd->gridposn].frame;
}

std::vector<std::pair<SqrDancer*, GtkWidget*>> EditCellsMade() {
    std::vector<std::pair<SqrDancer*, GtkWidget*>> out;
    for (size_t i = 0; i < view.cells.size(); ++i)
        if (view.cells[i].frame) out.emplace_back(view.order[i], view.cells[i].b[NAMEB]);
    return out;
}

// The legend over the grid: what the two looks of a name button mean, shown on two buttons
// made and styled as the name buttons are (a new operator cannot tell otherwise whether
// pressed in means here or gone), which no click or key changes.
static GtkWidget* Legend() {
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, sp10);
    const struct {
        const char* text;
        bool absent;
    } samples[] = {{N_("Present"), false}, {N_("Absent"), true}};
    for (const auto& sample : samples) {
        GtkWidget* b = gtk_toggle_button_new_with_label(_(sample.text));
        FlatButton(b);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(b), sample.absent);
        gtk_widget_set_can_focus(b, FALSE);
        BoardFontOf(b, bttnfont2);
        // An event box over the button takes its clicks.
        GtkWidget* shield = gtk_event_box_new();
        gtk_event_box_set_visible_window(GTK_EVENT_BOX(shield), FALSE);
        gtk_event_box_set_above_child(GTK_EVENT_BOX(shield), TRUE);
        gtk_container_add(GTK_CONTAINER(shield), b);
        gtk_box_pack_start(GTK_BOX(row), shield, FALSE, FALSE, 0);
    }
    GtkWidget* hint = gtk_label_new(_("Click a name to mark the dancer present or absent"));
    BoardFontOf(hint, bttnfont2);
    gtk_box_pack_start(GTK_BOX(row), hint, FALSE, FALSE, 0);
    return row;
}

GtkWidget* EditLegend() { return view.top && ShownDisplay() == view.top ? view.legend : nullptr; }

GtkWidget* EditScrolled() {
    if (!view.top || !view.vadj || ShownDisplay() != view.top) return nullptr;
    GtkWidget* vp = gtk_widget_get_parent(view.grid);
    return vp ? gtk_widget_get_parent(vp) : nullptr;
}

// Puts the grid into the window as the edit display's page, under the legend: straight, or
// through a viewport into a scrolled window.
static void PackView(bool scroll) {
    view.top = gtk_box_new(GTK_ORIENTATION_VERTICAL, sp2);
    view.legend = Legend();
    gtk_box_pack_start(GTK_BOX(view.top), view.legend, FALSE, FALSE, 0);
    view.vadj = nullptr;
    if (scroll) {
        GtkWidget* sw = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(sw), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
        // A bar that always shows tells the operator there are more names below.
        gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(sw), FALSE);
        GtkWidget* vp = gtk_viewport_new(nullptr, nullptr);
        gtk_container_add(GTK_CONTAINER(vp), view.grid);
        gtk_container_add(GTK_CONTAINER(sw), vp);
        gtk_box_pack_start(GTK_BOX(view.top), sw, TRUE, TRUE, 0);
        view.vadj = gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(sw));
        g_signal_connect(view.vadj, "value-changed", G_CALLBACK(MakeCellsInView), nullptr);
        g_signal_connect(view.vadj, "changed", G_CALLBACK(MakeCellsInView), nullptr);
    } else {
        gtk_box_pack_start(GTK_BOX(view.top), view.grid, TRUE, TRUE, 0);
    }
    g_signal_connect(view.top, "destroy", G_CALLBACK(ViewGone), nullptr);
    if (sdwin)
        ShowInWindow(view.top, "edit");
    else
        g_object_ref_sink(view.top);  // no window to hold it: the view holds it
    gtk_widget_show_all(view.top);
    // The displays show the window with everything in it when they are built: the cells of
    // the kept page are shown already, and walking them all again would cost each switch.
    gtk_widget_set_no_show_all(view.top, TRUE);
}

// A new grid for the roster in order, colqty x rowqty as the font choice made it, packed
// into the window as the edit display's page, with the cells in view made.
static void BuildView(std::vector<SqrDancer*>&& order, int colqty, int rowqty, bool doscrollbar) {
    EditViewDrop();
    view.order = std::move(order);
    int n = (int)view.order.size();
    view.cells.assign((size_t)n, EditCell());
    gridbttn = view.bttns = g_new0(GtkWidget*, n);
    gridbttnqty = n;
    for (int i = 0; i < n; ++i) view.order[(size_t)i]->gridposn = i;
    if (!sdgrid || gtk_widget_get_parent(sdgrid)) BoardFreshGrid();
    view.grid = sdgrid;
    // The grid goes into its place in the window before any cell is made: GTK works out a
    // widget's style from its ancestors, so cells measured outside the window would have all
    // their styles and sizes worked out a second time once they are put in.
    PackView(doscrollbar);

    // The font choice measures the name button and the button row apart; a whole cell (both,
    // the spacer line, the frame and the grid spacing) can be larger. When the cells do not
    // fit the window, fewer columns are used and the grid scrolls, so that nothing is cut off.
    int cellw = 0, cellh = 0;
    CellSize(&cellw, &cellh);
    int space = gtk_grid_get_column_spacing(GTK_GRID(view.grid));
    if (screenwidth > 0 && colqty * (cellw + space) - space > screenwidth) {
        colqty = std::max(1, (screenwidth + space) / (cellw + space));
        rowqty = (n + colqty - 1) / colqty;
    }
    view.colqty = colqty;
    view.rowqty = rowqty;
    int legendh = 0, natural = 0;
    gtk_widget_get_preferred_height(view.legend, &legendh, &natural);
    int room = screenheight - legendh - gtk_box_get_spacing(GTK_BOX(view.top));
    if (!view.vadj && screenheight > 0 && rowqty * (cellh + space) - space > room) {
        GtkWidget* top = view.top;
        bool held = !gtk_widget_get_parent(top);
        g_signal_handlers_disconnect_by_func(top, (gpointer)ViewGone, nullptr);
        g_object_ref(view.grid);
        gtk_container_remove(GTK_CONTAINER(gtk_widget_get_parent(view.grid)), view.grid);
        gtk_widget_destroy(top);
        if (held) g_object_unref(top);  // the view's own hold on the page without a window
        PackView(true);
        g_object_unref(view.grid);
    }

    // The grid has its whole size before its cells are made: an empty box over all of it, as
    // large as colqty x rowqty of the widest cell, holds every row and column at their size
    // (a homogeneous grid shares its height among the rows that have something in them).
    GtkWidget* under = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_set_size_request(under, colqty * (cellw + space) - space, rowqty * (cellh + space) - space);
    gtk_grid_attach(GTK_GRID(view.grid), under, 0, 0, colqty, rowqty);
    gtk_widget_show(under);

    if (view.vadj) {
        int seen = sdwin ? gtk_widget_get_allocated_height(sdwin) : 0;
        if (seen <= 1) seen = screenheight;
        MakeRows(0, (seen - 1) / (cellh + space));
    } else {
        MakeRows(0, rowqty - 1);
    }
}

void EditDisplay(EDITMODE neweditmode) {
    edbg("EditDisplay(neweditmode=%d)", (int)neweditmode);
    editmode = neweditmode;
    Record("(EditDisplay)\n");
    SetWinTitle(sdwin, nullptr);
    UpdateSkips();
    SetupDispNames();
    DispNamesApart();  // dancers of one name are told apart by their initials

    int totdancers = 0;
    std::string longest;
    int longestwidth = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        ++totdancers;
        const std::string& name = NameOf(sd);
        int width = ShownWidth(name);
        if (width > longestwidth) {
            longestwidth = width;
            longest = name;
        }
    }
    if (totdancers == 0) {
        EditViewDrop();
        GtkNote(_("               %s Display\nNo dancers have been entered into Dorvels yet!\n"
                "    (use n to enter a new dancer)"),
                Streditmode());
        rdbg("EditDisplay : no dancers");
        return;
    }

    int needscrolling = 0;
    int colqty = ChooseEditFont(longest.c_str(), totdancers, &needscrolling);
    if (res) {
        bttnfont1 = ParsedFont(bttnfont1, res->bttnfont1);
        bttnfont2 = ParsedFont(bttnfont2, res->bttnfont2);
    }
    int maxcols = res ? (int)res->maxeditcolqty : colqty;
    int doscrollbar = 0;
    if (colqty > maxcols || needscrolling) {
        doscrollbar = 1;
        colqty = maxcols;
    }
    int rowqty;
    if (colqty > 0) {
        rowqty = (totdancers + colqty - 1) / colqty;
    } else {
        rowqty = colqty = 1;
    }
    if (rowqty < colqty) std::swap(rowqty, colqty);
    if (res && res->meh * rowqty >= screenheight) doscrollbar = 1;

    SortByName();
    std::vector<SqrDancer*> order;
    order.reserve((size_t)totdancers);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) order.push_back(sd);
    int space = sdgrid ? gtk_grid_get_column_spacing(GTK_GRID(sdgrid)) : sp10;
    std::string layout = strprintf("%s|%s|%d|%d|%d|%d|%d|%d", res ? res->bttnfont1.c_str() : "",
                                   res ? res->bttnfont2.c_str() : "", colqty, rowqty, doscrollbar, screenwidth,
                                   screenheight, space);
    if (view.top && view.layout == layout && view.order == order) {
        // The same grid: its cells are brought up to date and it shows again.
        if (sdgrid && sdgrid != view.grid && !gtk_widget_get_parent(sdgrid)) {
            g_object_ref_sink(sdgrid);
            gtk_widget_destroy(sdgrid);
            g_object_unref(sdgrid);
        }
        sdgrid = view.grid;
        if (sdwin) ShowInWindow(view.top, "edit");
        ForgetGridBttn();
        gridbttn = view.bttns;
        gridbttnqty = totdancers;
        for (int i = 0; i < totdancers; ++i) {
            view.order[(size_t)i]->gridposn = i;
            ShowCell(i);
        }
    } else {
        ForgetGridBttn();
        BuildView(std::move(order), colqty, rowqty, doscrollbar);
        view.layout = layout;
    }
    if (res) {
        res->rowqty = view.rowqty;
        res->colqty = view.colqty;
    }
    boardcolqty = view.colqty;
    boardrowqty = view.rowqty;

    if (hintflag) {
        GtkTimeNote(5, _("    Hints\ne: edit display\nm: menu\nn: new dancer\nr: roll squares\ns: setup display"));
        hintflag = 0;
    }
    editmode = EDIT;
    if (sdwin) gtk_widget_show(sdwin);
    rdbg("EditDisplay");
}
