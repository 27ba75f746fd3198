// SPDX-License-Identifier: GPL-3.0-or-later
// The hall view: the Squares display made for the back row of a dance hall. The tip number
// large at the top, then every entry of the squares board (name, square number or "Out") in
// name order, in the largest font at which all of them fill the window. A couple of two
// names may take two lines when that lets the font grow. When even the smallest readable
// font does not fit, the entries are split into pages that follow each other by themselves,
// driven by the boards' auto-scroll tick. The board itself is unchanged: its texts still go
// to the history, and V shows it again.
#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "display/boards.h"
#include "support/helmtext.h"
#include "support/intl.h"

namespace {

// The entries of the tip shown: rolled last, or from the history (an earlier tip marked so).
std::vector<HallEntry> entries;
int halltip = 0;
bool hallhistory = false;

// Sizes in ems of the font: padding at either side of a cell, between name and square
// number, and above and below the text.
constexpr double kPadSide = 0.25, kPadMid = 0.6, kPadEnd = 0.05;
constexpr double kRef = 100.0;     // font size (pixels) at which texts are measured first
constexpr double kMinLetter = 40;  // smallest readable letter: a 40th of the window height
constexpr double kTipLetter = 10;  // letters of the tip number: a 10th of the window height
constexpr double kStep = 1.189;    // one font step of the operator (as the font-set ladder)

// The view in the main window.
HallView mainview;

// The font of the hall view: the board font's family and weight at `px` pixels.
PangoFontDescription* HallFont(int px) {
    const char* base = sqrres && !sqrres->sdfont.empty() ? sqrres->sdfont.c_str() : "Sans Bold";
    PangoFontDescription* f = pango_font_description_from_string(base);
    pango_font_description_set_absolute_size(f, (double)px * PANGO_SCALE);
    return f;
}

// Measures texts laid out by Pango as labels of the main window lay them out. The logical
// sizes are remembered by font and text: every roll fits the views (main window and projector)
// to mostly the same names again, stepping through the same sizes, and Pango takes far longer
// to shape a text than a table takes to find it.
class Measurer {
public:
    explicit Measurer(GtkWidget* host) {
        PangoContext* ctx = host ? gtk_widget_create_pango_context(host) : gdk_pango_context_get();
        layout = pango_layout_new(ctx);
        context = strprintf("%g|", pango_cairo_context_get_resolution(ctx));
        if (const cairo_font_options_t* o = pango_cairo_context_get_font_options(ctx))
            context += strprintf("%lu|", cairo_font_options_hash(o));
        g_object_unref(ctx);
    }
    ~Measurer() {
        g_object_unref(layout);
        if (font) pango_font_description_free(font);
    }
    Measurer(const Measurer&) = delete;
    Measurer& operator=(const Measurer&) = delete;
    // The hall view's font at px pixels, or a copy of another font.
    void Font(int px) { Use(HallFont(px)); }
    void Font(const PangoFontDescription* f) { Use(pango_font_description_copy(f)); }
    // Logical size (what a label asks for) of the text, or its ink height.
    void Size(const std::string& text, int* w, int* h) {
        static std::unordered_map<std::string, std::pair<int, int>> sizes;
        std::string key = fontkey + '\n' + text;
        auto it = sizes.find(key);
        if (it == sizes.end()) {
            if (sizes.size() > 200000) sizes.clear();  // a festival's names at every size, and more
            std::pair<int, int> wh;
            pango_layout_set_text(layout, text.c_str(), -1);
            pango_layout_get_pixel_size(layout, &wh.first, &wh.second);
            it = sizes.emplace(std::move(key), wh).first;
        }
        if (w) *w = it->second.first;
        if (h) *h = it->second.second;
    }
    int Ink(const std::string& text) {
        PangoRectangle ink;
        pango_layout_set_text(layout, text.c_str(), -1);
        pango_layout_get_pixel_extents(layout, &ink, nullptr);
        return ink.height;
    }

private:
    void Use(PangoFontDescription* f) {
        if (font) pango_font_description_free(font);
        font = f;
        pango_layout_set_font_description(layout, font);
        gchar* desc = pango_font_description_to_string(font);
        fontkey = context + desc;
        g_free(desc);
    }
    PangoLayout* layout = nullptr;
    PangoFontDescription* font = nullptr;
    std::string context;  // what else shapes the texts: the resolution and font options
    std::string fontkey;  // context and font
};

// Paddings of a cell in pixels for font size px.
struct Pads {
    int side, mid, end;
    explicit Pads(int px)
        : side((int)std::lround(kPadSide * px)), mid((int)std::lround(kPadMid * px)),
          end((int)std::lround(kPadEnd * px)) {}
};

// What the entries need at one font size: the widest name (on one or two lines), the widest
// square number, the height of one and of two lines.
struct Needs {
    int name1 = 0, name2 = 0, tag = 0, line1 = 0, line2 = 0;
    bool cansplit = false;  // some entry has a second line
    int Width(int px, bool two) const {
        Pads p(px);
        return (two ? name2 : name1) + tag + 2 * p.side + p.mid;
    }
    int Height(int px, bool two) const { return (two ? line2 : line1) + 2 * Pads(px).end; }
};

Needs Measure(Measurer& m, int px, const std::vector<HallEntry>& entries) {
    Needs n;
    m.Font(px);
    int w, h;
    for (const HallEntry& e : entries) {
        m.Size(e.joined, &w, &h);
        n.name1 = std::max(n.name1, w);
        n.line1 = std::max(n.line1, h);
        if (e.line2.empty()) {
            n.name2 = std::max(n.name2, w);
        } else {
            n.cansplit = true;
            m.Size(e.line1 + "\n" + e.line2, &w, &h);
            n.name2 = std::max(n.name2, w);
            n.line2 = std::max(n.line2, h);
        }
        m.Size(e.tag, &w, &h);
        n.tag = std::max(n.tag, w);
    }
    if (n.line1 == 0) m.Size("Hg", &w, &n.line1);
    n.line2 = std::max(n.line2, n.line1);
    return n;
}

// The area for the entries, and the gap between cells.
struct Area {
    int width, height, gap;
    // Cell size for cols x rows cells (0 or less when they do not fit at all).
    int CellWidth(int cols) const { return (width - (cols - 1) * gap) / cols; }
    int CellHeight(int rows) const { return (height - (rows - 1) * gap) / rows; }
};

struct Layout {
    int px = 0;
    int cols = 1, rows = 1;  // rows of one page
    int pages = 1;
    bool two = false;
};

int Ceil(int a, int b) { return (a + b - 1) / b; }

// The largest font (pixels) at which all entries fit on one page, with the columns and line
// choice for it: every column count and both line choices are scored by the sizes measured
// at the reference size (text sizes grow in proportion to the font), then the best one is
// checked by measuring at its size and made smaller until everything fits.
Layout FitOnePage(Measurer& m, const Area& a, const std::vector<HallEntry>& entries, int maxpx) {
    int qty = (int)entries.size();
    Needs ref = Measure(m, (int)kRef, entries);
    Layout best;
    double bestpx = 0;
    for (int two = 0; two <= (ref.cansplit ? 1 : 0); ++two) {
        double wem = (double)((two ? ref.name2 : ref.name1) + ref.tag) / kRef + 2 * kPadSide + kPadMid;
        double hem = (double)(two ? ref.line2 : ref.line1) / kRef + 2 * kPadEnd;
        for (int cols = 1; cols <= qty; ++cols) {
            int rows = Ceil(qty, cols);
            if (a.CellWidth(cols) < 1) break;
            if (a.CellHeight(rows) < 1) continue;
            double px = std::min(a.CellWidth(cols) / wem, a.CellHeight(rows) / hem);
            if (px > bestpx) {
                bestpx = px;
                best = {0, cols, rows, 1, two != 0};
            }
        }
    }
    best.px = std::min((int)bestpx, maxpx);
    for (; best.px > 1; --best.px) {
        Needs n = Measure(m, best.px, entries);
        if (n.Width(best.px, best.two) <= a.CellWidth(best.cols) &&
            n.Height(best.px, best.two) <= a.CellHeight(best.rows))
            break;
    }
    return best;
}

// Pages at font size px: as many cells as fit on the window, one or two lines, whichever
// puts more entries on a page. A name too wide for the window even alone takes a smaller
// font: a name cut off helps nobody.
Layout FitPages(Measurer& m, const Area& a, const std::vector<HallEntry>& entries, int px) {
    int qty = (int)entries.size();
    Layout best;
    for (best.px = px; best.px > 1; --best.px) {
        Needs n = Measure(m, best.px, entries);
        int bestper = 0;
        for (int two = 0; two <= (n.cansplit ? 1 : 0); ++two) {
            int w = n.Width(best.px, two), h = n.Height(best.px, two);
            if (w > a.width || h > a.height) continue;
            int cols = (a.width + a.gap) / (w + a.gap), rows = (a.height + a.gap) / (h + a.gap);
            if (cols * rows > bestper) {
                bestper = cols * rows;
                best.cols = cols;
                best.rows = rows;
                best.two = two != 0;
            }
        }
        if (bestper == 0) continue;
        // Fewer columns or rows when the entries do not need them all.
        if (qty <= bestper) {
            best.rows = std::min(best.rows, qty);
            best.cols = Ceil(qty, best.rows);
        }
        break;
    }
    best.pages = Ceil(qty, best.cols * best.rows);
    return best;
}

// Smallest font size (pixels) whose letters are at least `letter` pixels high.
int SizeForLetter(Measurer& m, double letter) {
    m.Font((int)kRef);
    double perpx = std::max(1, m.Ink("H")) / kRef;
    int px = std::max(1, (int)std::ceil(letter / perpx));
    m.Font(px);
    while (m.Ink("H") < letter) m.Font(++px);
    return px;
}

// The window's size: what it was given, or the screen's before it was given any.
void WindowSize(int* w, int* h) {
    *w = sdwin ? gtk_widget_get_allocated_width(sdwin) : 0;
    *h = sdwin ? gtk_widget_get_allocated_height(sdwin) : 0;
    if (*w <= 1 || *h <= 1) {
        *w = reqW > 0 ? reqW : screenwidth;
        *h = reqH > 0 ? reqH : screenheight;
    }
}

void MainRefit() {
    if (HallViewShown()) {
        HallViewBuild();
        if (sdwin) gtk_widget_show_all(sdwin);
        if (sqrslider) SqrDisplayAutoScroller();
    }
}

GtkWidget* Label(const std::string& text, const PangoFontDescription* font) {
    GtkWidget* l = gtk_label_new(text.c_str());
    BoardFontOf(l, font);
    return l;
}

// One entry: the name at the left, the square number at the right, on the row's colour.
GtkWidget* Cell(const HallEntry& e, const Layout& lay, const Pads& pads, int tagwidth,
                const PangoFontDescription* font, int row, COLOR odd) {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, pads.mid);
    BoardBackgroundOf(box, &sqrcolor[row % 2 == 0 ? COLOR_squares1 : odd]);
    bool two = lay.two && !e.line2.empty();
    GtkWidget* name = Label(two ? e.line1 + "\n" + e.line2 : e.joined, font);
    gtk_label_set_xalign(GTK_LABEL(name), 0);
    gtk_widget_set_hexpand(name, TRUE);
    gtk_widget_set_margin_start(name, pads.side);
    GtkWidget* tag = Label(e.tag, font);
    gtk_label_set_xalign(GTK_LABEL(tag), 1);
    gtk_widget_set_size_request(tag, tagwidth, -1);
    gtk_widget_set_margin_end(tag, pads.side);
    for (GtkWidget* l : {name, tag}) {
        gtk_widget_set_margin_top(l, pads.end);
        gtk_widget_set_margin_bottom(l, pads.end);
        gtk_box_pack_start(GTK_BOX(box), l, l == name, TRUE, 0);
    }
    return box;
}

}  // namespace

HallEntry HallEntryOf(const std::string& name, size_t joint, int square) {
    HallEntry e;
    e.joined = name;
    if (joint != std::string::npos && joint < name.size()) {
        e.line1 = name.substr(0, joint);
        // Two names of a couple stand one above the other; a temporary partner or "(ask)"
        // keeps its sign.
        e.line2 = name.substr(name[joint] == ':' ? joint + 1 : joint);
    }
    e.tag = square > 0 ? strprintf("%d", square) : _("Out");
    return e;
}

HallEntry HallEntryOfText(const std::string& text) {
    // "name: tag", the name right-aligned with blanks.
    size_t first = text.find_first_not_of(' ');
    std::string t = first == std::string::npos ? std::string() : text.substr(first);
    size_t colon = t.rfind(": ");
    std::string name = colon == std::string::npos ? t : t.substr(0, colon);
    std::string tag = colon == std::string::npos ? std::string() : t.substr(colon + 2);
    tag.erase(0, tag.find_first_not_of(' '));
    HallEntry e = HallEntryOf(name, name.find_first_of(":+&"), 0);
    e.tag = tag == "Out" ? _("Out") : tag;
    return e;
}

std::string ShownBoardText(const std::string& saved) {
    static const std::string out = ": Out";
    if (saved.size() < out.size() || saved.compare(saved.size() - out.size(), out.size(), out) != 0) return saved;
    return saved.substr(0, saved.size() - 3) + _("Out");
}

void HallViewBegin(int tip, bool history) {
    entries.clear();
    halltip = tip;
    hallhistory = history;
}

void HallViewAdd(const std::string& name, size_t joint, int square) {
    entries.push_back(HallEntryOf(name, joint, square));
}

void HallViewAddText(const std::string& text) { entries.push_back(HallEntryOfText(text)); }

// ---- one view -------------------------------------------------------------------------------
void HallView::Forget(GtkWidget*, gpointer data) {
    HallView* v = static_cast<HallView*>(data);
    v->top = v->tiplabel = v->pagelabel = v->pagebox = v->slider = nullptr;
    v->cells.clear();
    v->shape.clear();
    if (v->refitid) g_source_remove(v->refitid);
    v->refitid = 0;
}

gboolean HallView::Refit(gpointer data) {
    HallView* v = static_cast<HallView*>(data);
    v->refitid = 0;
    if (v->refit) v->refit();
    return G_SOURCE_REMOVE;
}

// A window of another size (maximised late, resized by the operator, made full-screen) gets
// the view fitted again once GTK is done with the size change.
void HallView::Allocated(GtkWidget*, GdkRectangle* a, gpointer data) {
    HallView* v = static_cast<HallView*>(data);
    if (std::abs(a->width - v->facts.width) <= 2 && std::abs(a->height - v->facts.height) <= 2) return;
    if (!v->refitid) v->refitid = g_idle_add(Refit, v);
}

// The new top widget is the view's from now on; the one before (if still alive) lets go.
void HallView::Hold(GtkWidget* newtop, int w, int h) {
    if (top) {
        g_signal_handlers_disconnect_by_data(top, this);
        Forget(top, this);
    }
    top = newtop;
    facts = HallViewFacts{};
    facts.width = w;
    facts.height = h;
    pageticks = 0;
    g_signal_connect(top, "destroy", G_CALLBACK(Forget), this);
    g_signal_connect(top, "size-allocate", G_CALLBACK(Allocated), this);
}

void HallView::ShowPage(int page) {
    facts.page = page;
    pageticks = 0;
    if (pagelabel) gtk_label_set_text(GTK_LABEL(pagelabel), strprintf("%d/%d", page + 1, facts.pages).c_str());
    if (!slider || !pagebox) return;
    GList* pages = gtk_container_get_children(GTK_CONTAINER(pagebox));
    GtkWidget* first = pages ? GTK_WIDGET(pages->data) : nullptr;
    g_list_free(pages);
    int height = first ? gtk_widget_get_allocated_height(first) : 0;
    gtk_range_set_value(GTK_RANGE(slider), (double)page * height);
}

bool HallView::NextPage() {
    if (!top || facts.pages < 2) return false;
    ShowPage((facts.page + 1) % facts.pages);
    return true;
}

GtkWidget* HallView::Build(GtkWidget* host, int W, int H, const std::vector<HallEntry>& entries, int tip,
                           bool history, GtkWidget* firstgrid) {
    int gap = std::max(2, sp5);
    Measurer m(host);

    // The tip number: letters a tenth of the window high.
    int tippx = SizeForLetter(m, H / kTipLetter);
    int tipw, tiph;
    m.Font(tippx);
    std::string heading = strprintf(_("Tip %d"), tip);
    m.Size(heading, &tipw, &tiph);
    Area area{W - 2 * gap, H - tiph - gap, gap};

    int qty = (int)entries.size();
    int minpx = SizeForLetter(m, H / kMinLetter);
    Layout lay;
    if (qty > 0) {
        lay = FitOnePage(m, area, entries, tippx);
        // The operator's steps count from the fitted size, or from the smallest readable
        // one when the entries need pages anyway.
        int base = std::max(lay.px, minpx);
        int px = (int)std::lround(base * std::pow(kStep, hallfontchg));
        px = std::clamp(px, minpx, std::max(minpx, tippx));
        if (px > lay.px) {
            lay = FitPages(m, area, entries, px);
        } else {
            lay.px = px;
        }
    }
    Needs needs = qty > 0 ? Measure(m, lay.px, entries) : Needs{};
    Pads pads(lay.px);

    std::string newshape = strprintf("%dx%d|%s|%d|%d|%dx%dx%d|%d|%d|%d|%d", W, H, sqrres ? sqrres->sdfont.c_str() : "",
                                     tippx, lay.px, lay.cols, lay.rows, lay.pages, (int)lay.two, needs.tag,
                                     (int)history, qty);
    if (!firstgrid && top && shape == newshape && (int)cells.size() == qty && tiplabel) {
        // The same layout: every cell keeps its widgets and takes its entry's texts.
        auto settext = [](GtkWidget* l, const std::string& text) {
            if (text != gtk_label_get_text(GTK_LABEL(l))) gtk_label_set_text(GTK_LABEL(l), text.c_str());
        };
        settext(tiplabel, heading);
        for (int i = 0; i < qty; ++i) {
            const HallEntry& e = entries[(size_t)i];
            GList* kids = gtk_container_get_children(GTK_CONTAINER(cells[(size_t)i]));
            if (kids && kids->next) {
                settext(GTK_WIDGET(kids->data), lay.two && !e.line2.empty() ? e.line1 + "\n" + e.line2 : e.joined);
                settext(GTK_WIDGET(kids->next->data), e.tag);
            }
            g_list_free(kids);
        }
        pageticks = 0;
        return top;
    }

    Hold(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0), W, H);
    shape = newshape;

    GtkWidget* header = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    PangoFontDescription* tipfont = HallFont(tippx);
    tiplabel = Label(heading, tipfont);
    pango_font_description_free(tipfont);
    gtk_box_set_center_widget(GTK_BOX(header), tiplabel);
    gtk_box_pack_start(GTK_BOX(top), header, FALSE, FALSE, 0);
    PangoFontDescription* sidefont = HallFont(std::max(1, tippx / 3));
    if (history) {
        // An earlier tip: the dancers must not take it for the squares to dance now.
        GtkWidget* mark = Label(_("History"), sidefont);
        BoardBackgroundOf(mark, &sqrcolor[COLOR_history]);
        gtk_widget_set_margin_start(mark, gap);
        gtk_widget_set_valign(mark, GTK_ALIGN_CENTER);
        gtk_box_pack_start(GTK_BOX(header), mark, FALSE, FALSE, 0);
    }

    // The entries in a scrolled window that never asks for more room than the window has:
    // a fitting error shows as a cut cell (which the tests look for), never as a window that
    // grows off the screen. Its bar is not shown; while paging the tick moves it.
    GtkWidget* sw = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(sw), GTK_POLICY_EXTERNAL, GTK_POLICY_EXTERNAL);
    gtk_widget_set_vexpand(sw, TRUE);
    gtk_widget_set_margin_start(sw, gap);
    gtk_widget_set_margin_end(sw, gap);
    gtk_widget_set_margin_bottom(sw, gap);
    pagebox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_container_add(GTK_CONTAINER(sw), pagebox);
    gtk_box_pack_start(GTK_BOX(top), sw, TRUE, TRUE, 0);

    PangoFontDescription* font = HallFont(std::max(1, lay.px));
    COLOR odd = history ? COLOR_history : COLOR_squares2;
    cells.assign((size_t)qty, nullptr);
    int perpage = lay.cols * lay.rows;
    for (int page = 0; page < lay.pages; ++page) {
        GtkWidget* grid = page == 0 && firstgrid ? firstgrid : BoardGrid(gap);
        if (page == 0) {
            gtk_grid_set_row_spacing(GTK_GRID(grid), gap);
            gtk_grid_set_column_spacing(GTK_GRID(grid), gap);
        }
        if (lay.pages > 1) gtk_widget_set_size_request(grid, -1, area.height);
        gtk_box_pack_start(GTK_BOX(pagebox), grid, lay.pages == 1, TRUE, 0);
        // Attached last to first: a grid lists its children newest first, and screen readers
        // (the accessibility bus) should read the entries in name order.
        for (int slot = perpage - 1; slot >= 0; --slot) {
            int i = page * perpage + slot;
            GtkWidget* w;
            if (i < qty) {
                w = cells[(size_t)i] = Cell(entries[(size_t)i], lay, pads, needs.tag, font, slot % lay.rows, odd);
            } else if (lay.pages > 1) {
                w = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);  // keeps the last page's cells as large
            } else {
                continue;
            }
            gtk_grid_attach(GTK_GRID(grid), w, slot / lay.rows, slot % lay.rows, 1, 1);
        }
    }
    pango_font_description_free(font);

    m.Font(std::max(1, lay.px));
    facts.letter = m.Ink("H");
    m.Font(tippx);
    facts.tipletter = m.Ink("H");
    facts.fontpx = lay.px;
    facts.tippx = tippx;
    facts.minpx = minpx;
    facts.cols = lay.cols;
    facts.rows = lay.rows;
    facts.pages = lay.pages;
    facts.twolines = lay.two;
    if (lay.pages > 1) {
        slider = gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(sw));
        pagelabel = Label("", sidefont);
        gtk_widget_set_margin_end(pagelabel, gap);
        gtk_box_pack_end(GTK_BOX(header), pagelabel, FALSE, FALSE, 0);
    }
    pango_font_description_free(sidefont);
    DPRINTF(1, "(HallView) %dx%d: %d px (letters %d px), %d x %d cells%s, %d page(s); tip %d px (letters %d px)\n",
            W, H, lay.px, facts.letter, lay.cols, lay.rows, lay.two ? " of two lines" : "", lay.pages, tippx,
            facts.tipletter);
    return top;
}

GtkWidget* HallView::BuildWaiting(GtkWidget* host, int W, int H, const std::string& club) {
    Measurer m(host);
    // The club's name as large as the tip number, or smaller when it is too wide; the line
    // below at a third of that.
    int px = SizeForLetter(m, H / kTipLetter);
    int w, h;
    for (m.Font(px); px > 1; m.Font(--px)) {
        m.Size(club, &w, &h);
        if (w <= W * 9 / 10) break;
    }
    Hold(gtk_box_new(GTK_ORIENTATION_VERTICAL, 0), W, H);
    shape.clear();
    gtk_widget_set_valign(top, GTK_ALIGN_CENTER);
    PangoFontDescription* font = HallFont(px);
    PangoFontDescription* small = HallFont(std::max(1, SizeForLetter(m, H / kTipLetter) / 3));
    if (!club.empty()) {
        tiplabel = Label(club, font);
        gtk_box_pack_start(GTK_BOX(top), tiplabel, FALSE, FALSE, 0);
    }
    GtkWidget* follow = Label(_("Squares will follow"), small);
    gtk_widget_set_margin_top(follow, std::max(2, sp25));
    gtk_box_pack_start(GTK_BOX(top), follow, FALSE, FALSE, 0);
    pango_font_description_free(font);
    pango_font_description_free(small);
    return top;
}

// ---- the view in the main window ------------------------------------------------------------
bool HallViewShown() { return mainview.top && sdwin && ShownDisplay() == mainview.top; }

void HallViewBuild() {
    edbg("HallViewBuild() tip=%d entries=%d", halltip, (int)entries.size());
    if (!sdwin) {
        rdbg("HallViewBuild : no window");
        return;
    }
    BoardFreshGrid();  // empties the window; sdgrid becomes the first page
    int W, H;
    WindowSize(&W, &H);
    mainview.refit = MainRefit;
    GtkWidget* top = mainview.Build(sdwin, W, H, entries, halltip, hallhistory, sdgrid);
    KeepColorsUnfocused(top);
    sqrslider = mainview.slider;
    ShowInWindow(top);
    mainview.ShowPage(0);
    rdbg("HallViewBuild");
}

bool HallViewTick() {
    if (!HallViewShown() || mainview.facts.pages < 2) return false;
    // A page stays for 150 steps of the boards' scroller at its speed (f and F change it),
    // about 16 seconds at the base speed.
    int dwell = std::max(1, (int)std::lround(150 / std::max(scrollerincr, 0.01)));
    if (++mainview.pageticks >= dwell) mainview.NextPage();
    return true;
}

void HallViewSwitch() {
    hallview = !hallview;
    if (editmode == HISTORY && hist) {
        // The tip of the history shown, the other way.
        HistoryRedisplay();
        return;
    }
    if (editmode == SQUARES && (HallViewShown() || BoardCellQty() > 0)) {
        // The tip on screen, shown the other way; nothing is rolled or written.
        if (hallview) {
            HallViewBuild();
            if (sdwin) gtk_widget_show_all(sdwin);
            if (sqrslider) SqrDisplayAutoScroller();
        } else {
            SquaresBoardAgain();
        }
        return;
    }
    GtkTimeNote(3, "%s", hallview ? _("Squares will show the hall view (V for the board)")
                                  : _("Squares will show the board (V for the hall view)"));
}

int HallViewFontStep(int chg) {
    int step = chg > 0 ? 1 : -1;
    HallViewFacts before = mainview.facts;
    hallfontchg += step;
    HallViewBuild();
    // A step that changes nothing is beyond the smallest or the largest size.
    if (mainview.facts.fontpx == before.fontpx) {
        hallfontchg -= step;
        HallViewBuild();
    }
    if (sdwin) gtk_widget_show_all(sdwin);
    if (sqrslider) SqrDisplayAutoScroller();
    if (mainview.facts.fontpx != before.fontpx) return 0;
    GtkNote("%s", step > 0 ? _("can't increase fontsize any more") : _("can't decrease fontsize any more"));
    return -1;
}

HallViewFacts HallViewNow() { return HallViewShown() ? mainview.facts : HallViewFacts{}; }

std::vector<GtkWidget*> HallViewCells() { return HallViewShown() ? mainview.cells : std::vector<GtkWidget*>{}; }

GtkWidget* HallViewTipLabel() { return HallViewShown() ? mainview.tiplabel : nullptr; }

int LetterHeight(const PangoFontDescription* font) {
    if (!font) return 0;
    Measurer m(sdwin);
    m.Font(font);
    return m.Ink("H");
}
