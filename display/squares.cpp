// SPDX-License-Identifier: GPL-3.0-or-later
// The squares board (a new tip: roll, then every name with its square number or "Out") and
// the present board (who is here), both a grid of equal cells filled column by column in
// name order, striped by row, in the largest font that fits the screen.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "assign/assign.h"
#include "display/boards.h"
#include "files/record.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

int boardcolqty = 0, boardrowqty = 0;

// The cells of the board built last, so that the board can be read back and re-texted.
static GtkWidget** boardlabels = nullptr;  // the gridlabel array the cells live in
static GtkWidget** boardbttns = nullptr;   // or the gridbttn array (present board, Aflag)
static int boardqty = 0;

static bool Counted(const SqrDancer* sd) { return sd->avail && sd->pgm >= pgmfloor; }

static bool StartsWith(const std::string& s, const char* prefix) {
    return s.compare(0, strlen(prefix), prefix) == 0;
}

// The leader rule: which member of a couple makes the couple's single entry.
static bool LeadRule(const SqrDancer* sd, const SqrDancer* p) {
    switch (sd->sex) {
        case M: return p->sex == F || p->sex == FM || p->sex == MF || p->sex == E;
        case MF:
            if (p->sex == F || p->sex == FM || p->sex == E) return true;
            return p->sex == MF && sd->firstlast > p->firstlast;
        case FM:
            if (p->sex == F || p->sex == E) return true;
            return p->sex == FM && sd->firstlast > p->firstlast;
        case E: return sd->firstlast > p->firstlast;
        default: return false;
    }
}

// A couple in which neither member leads by the rule (an E whose name sorts before an F
// partner's, two MF or FM with equal names, two M) would vanish from the board; there both
// members qualify and the first in list order makes the entry.
static bool Leads(const SqrDancer* sd, const SqrDancer* p) {
    return LeadRule(sd, p) || !LeadRule(p, sd);
}

enum EntryKind { NOENTRY, ENTRY_SQUARE, ENTRY_OUT };

// The name part of a dancer's entry on the squares board. With apply set, the side effects
// of making the entry happen too (the partner stops being displayed, a couple of one last
// name takes one cell). *joint (when asked for) is where the part joins two dancers' names
// (the ':', '+' or '&' between them), npos for one name: the hall view may break the line
// there.
static EntryKind SquaresNamePart(SqrDancer* sd, std::string& name, bool apply, int* totentries,
                                 size_t* joint = nullptr) {
    SqrDancer* p = sd->partner;
    bool lnmatch = p && p->lastname == sd->lastname;
    size_t own = sd->dispname.size(), dummy;
    if (!joint) joint = &dummy;
    *joint = std::string::npos;
    switch (sd->assigned) {
        case 0:
            if (p) {
                if (!Leads(sd, p)) return NOENTRY;
                if (lnmatch) {
                    name = sd->lastname;
                    if (apply) --*totentries;
                } else {
                    name = sd->dispname + ":" + p->dispname;
                    *joint = own;
                }
                if (apply) p->display = 0;
            } else {
                name = sd->dispname;
            }
            return ENTRY_OUT;
        case 1:
        case 2:
            if (lnmatch) {
                if (!Leads(sd, p)) return NOENTRY;
                name = sd->lastname;
                if (apply) {
                    p->display = 0;
                    --*totentries;
                }
            } else if (sd->tmppartner) {
                if (StartsWith(sd->dispname, "Sngl#")) {
                    name = DancerPairName(sd, sd->tmppartner);
                    *joint = name.find('+');
                } else {
                    name = sd->dispname + "+" + sd->tmppartner->dispname;
                    *joint = own;
                }
            } else if (!p) {
                name = sd->dispname + "&" + _("(ask)");
                *joint = own;
            } else {
                if (!Leads(sd, p)) return NOENTRY;
                name = sd->dispname + ":" + p->dispname;
                *joint = own;
                if (apply) p->display = 0;
            }
            return ENTRY_SQUARE;
        default:
            // Recruited from the out-dancers: the entry names its own partner, left out.
            if (p && p->display) {
                name = p->dispname + strsex(p->sex);
                return ENTRY_OUT;
            }
            return NOENTRY;
    }
}

// The name part measured for the width of the board (before asking).
static bool MeasuredNamePart(SqrDancer* sd, std::string& name) {
    if (editmode != SQUARES) {
        name = sd->dispname;
        return true;
    }
    if ((sd->assigned == 1 || sd->assigned == 2) && sd->tmppartner &&
        !(sd->partner && sd->partner->lastname == sd->lastname) &&
        StartsWith(sd->dispname, "Sngl#")) {
        const std::string& pn = sd->tmppartner->dispname;
        name = sd->dispname + "+" + (pn.size() > 5 ? pn.substr(5) : std::string());
        return true;
    }
    return SquaresNamePart(sd, name, false, nullptr) != NOENTRY;
}

GtkWidget* BoardGrid(int spacing) {
    GtkWidget* g = gtk_grid_new();
    gtk_grid_set_row_homogeneous(GTK_GRID(g), TRUE);
    gtk_grid_set_column_homogeneous(GTK_GRID(g), TRUE);
    gtk_grid_set_row_spacing(GTK_GRID(g), spacing);
    gtk_grid_set_column_spacing(GTK_GRID(g), spacing);
    return g;
}

// A board is always built into an empty window with a fresh grid. Callers that did not
// empty the window (a font change on a board that cannot be re-texted) get it emptied here.
void BoardFreshGrid() {
    if (sdgrid && !gtk_widget_get_parent(sdgrid)) return;
    EmptyWindow();
    g_free(gridlabel);
    gridlabel = nullptr;
    sqrslider = nullptr;
    boardlabels = boardbttns = nullptr;
    boardqty = 0;
    sdgrid = BoardGrid(sp10);
}

// Parses the board font of the chosen font set (kept in the global sdfont).
void BoardFont() {
    if (!sqrres) return;
    if (sdfont) pango_font_description_free(sdfont);
    sdfont = pango_font_description_from_string(sqrres->sdfont.c_str());
}

// Grid shape of a board of totentries cells whose widest name part is maxname.
void BoardShape(const char* maxname, int totentries, int* colqty, int* rowqty, int* doscrollable) {
    int needscrolling = 0;
    int cols = ChooseSqrFont(maxname, totentries, &needscrolling);
    int maxcols = sqrres ? (int)sqrres->maxsqrcolqty : cols;
    *doscrollable = 0;
    if (cols > maxcols || needscrolling) {
        *doscrollable = 1;
        cols = maxcols;
    }
    int rows;
    if (cols > 0) {
        rows = (totentries + cols - 1) / cols;
    } else {
        rows = cols = 1;
    }
    if (rows < cols) std::swap(rows, cols);
    if (sqrres && sqrres->meh * rows >= screenheight) *doscrollable = 1;
    if (cols < 1) cols = 1;
    rows = (totentries + cols - 1) / cols;
    if (sqrres) {
        sqrres->colqty = cols;
        sqrres->rowqty = rows;
    }
    MaxGrid(res ? res : sqrres, maxname, &cols, &rows, totentries);
    if (cols < 1) cols = 1;
    if (rows < 1) rows = 1;
    if (sqrres) {
        sqrres->colqty = cols;
        sqrres->rowqty = rows;
    }
    *colqty = cols;
    *rowqty = rows;
}

void BoardFontOf(GtkWidget* w, const PangoFontDescription* font) {
    if (!w || !font) return;
    if (!GTK_IS_LABEL(w) && GTK_IS_BIN(w)) w = gtk_bin_get_child(GTK_BIN(w));
    if (!w || !GTK_IS_LABEL(w)) return;
    PangoAttrList* attrs = pango_attr_list_new();
    pango_attr_list_insert(attrs, pango_attr_font_desc_new(font));
    gtk_label_set_attributes(GTK_LABEL(w), attrs);
    pango_attr_list_unref(attrs);
}

std::string BoardBackgroundClass(const GdkRGBA* color) {
    static std::map<std::string, std::string> classes;  // colour -> style class
    std::string rgb = strprintf("%02x%02x%02x", (int)(color->red * 255 + 0.5), (int)(color->green * 255 + 0.5),
                                (int)(color->blue * 255 + 0.5));
    auto it = classes.find(rgb);
    if (it == classes.end()) {
        std::string cls = "dorvels-bg-" + rgb;
        GtkCssProvider* p = gtk_css_provider_new();
        std::string css = "." + cls + " { background-color: #" + rgb + "; background-image: none; }";
        gtk_css_provider_load_from_data(p, css.c_str(), -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(p),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
        it = classes.emplace(rgb, cls).first;
    }
    return it->second;
}

void BoardBackgroundOf(GtkWidget* w, const GdkRGBA* color) {
    if (!w || !color) return;
    gtk_style_context_add_class(gtk_widget_get_style_context(w), BoardBackgroundClass(color).c_str());
}

// One cell: its background by row, the board font.
void BoardCellStyle(GtkWidget* w, int row, COLOR oddcolor) {
    BoardBackgroundOf(w, &sqrcolor[row % 2 == 0 ? COLOR_squares1 : oddcolor]);
    BoardFontOf(w, sdfont);
}

// Puts sdgrid into the window, in a scrolled window when the board is too long.
void BoardPack(bool doscrollable) {
    sqrslider = nullptr;
    if (doscrollable) {
        GtkWidget* sw = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(sw), GTK_POLICY_AUTOMATIC,
                                       GTK_POLICY_AUTOMATIC);
        gtk_container_add(GTK_CONTAINER(sw), sdgrid);
        sqrslider = gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(sw));
        ShowInWindow(sw);
    } else {
        ShowInWindow(sdgrid);
    }
}

// Remembers the cells of the board just built (BoardCell reads them back).
void BoardRemember(GtkWidget** labels, GtkWidget** bttns, int qty, int cols, int rows) {
    boardlabels = labels;
    boardbttns = bttns;
    boardqty = qty;
    boardcolqty = cols;
    boardrowqty = rows;
}

int BoardCellQty() {
    if (editmode != SQUARES && editmode != PRESENT && editmode != HISTORY) return 0;
    if (boardlabels && boardlabels == gridlabel) return boardqty;
    if (boardbttns && boardbttns == gridbttn) return boardqty;
    return 0;
}

GtkWidget* BoardCell(int i) {
    if (i < 0 || i >= BoardCellQty()) return nullptr;
    return boardlabels ? boardlabels[i] : boardbttns[i];
}

std::string CellText(GtkWidget* w) {
    if (!w) return "";
    if (GTK_IS_LABEL(w)) return gtk_label_get_text(GTK_LABEL(w));
    if (GTK_IS_BIN(w)) {
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(w));
        if (child && GTK_IS_LABEL(child)) return gtk_label_get_text(GTK_LABEL(child));
    }
    if (GTK_IS_BUTTON(w)) {
        const char* l = gtk_button_get_label(GTK_BUTTON(w));
        return l ? l : "";
    }
    return "";
}

// The present board: its shape and font, so that a change of presence can give its labels
// their new texts in place when the shape stays (PresentBoardKept).
static struct {
    bool kept = false;  // the board's page was left in the window for this redraw
    bool doscrollable = false;
    std::string font;
} lastpresent;

// The page of the board: sdgrid, or the scrolled window around it.
static GtkWidget* BoardTop() {
    GtkWidget* w = sdgrid;
    while (w && gtk_widget_get_parent(w) && !GTK_IS_STACK(gtk_widget_get_parent(w))) w = gtk_widget_get_parent(w);
    return w;
}

bool PresentBoardKept() {
    lastpresent.kept = editmode == PRESENT && !Aflag && sdhd && boardlabels && boardlabels == gridlabel && sdgrid &&
                       gtk_widget_get_parent(sdgrid) && ShownDisplay() == BoardTop();
    return lastpresent.kept;
}

// ---- the board of labels, kept ------------------------------------------------------------
// The squares, present and history boards are grids of labels, filled column by column and
// striped by row. Their page stays in the window from one display to the next (hidden
// while another display shows), and the next board of the same shape and font takes
// its texts and stripes in place: each cell keeps its label and only takes a new text or
// stripe where it differs (a check-in shifts every later name by one cell; a roll gives
// every entry a new square); labels are made for cells beyond the old ones, and those left
// over go. A board of another shape or font is built anew. Building a board of a thousand
// labels costs far more than giving them new texts. The squares, present and history boards
// each keep a board of their own (their shapes and stripes differ).
struct KeptBoard {
    GtkWidget* top = nullptr;     // the page: the grid, or the scrolled window around it
    GtkWidget* grid = nullptr;
    GtkWidget* slider = nullptr;  // the scrolled window's vertical bar, or null
    std::vector<GtkWidget*> labels;
    std::vector<std::string> stripes;  // the background style class of each label
    int cols = 0, rows = 0;
    bool scroll = false;
    std::string font;
};
static KeptBoard keptboards[3];

static int KeptIndex(EDITMODE mode) { return mode == SQUARES ? 0 : mode == PRESENT ? 1 : 2; }
static const char* const keptnames[3] = {"squares", "present", "history"};

static void LabelBoardGone(GtkWidget*, gpointer b) { *static_cast<KeptBoard*>(b) = {}; }

static std::string FontKey() {
    if (!sdfont) return "";
    gchar* s = pango_font_description_to_string(sdfont);
    std::string key = s;
    g_free(s);
    return key;
}

// The board of labels shows texts, colqty x rowqty, in the font sdfont, odd rows in colour
// odd: the kept board in place when its shape and font are the same, else a new one.
static void LabelBoard(const std::vector<std::string>& texts, int colqty, int rowqty, bool doscrollable, COLOR odd) {
    KeptBoard& board = keptboards[KeptIndex(editmode)];
    const char* name = keptnames[KeptIndex(editmode)];
    std::string font = FontKey();
    bool same = board.top && board.cols == colqty && board.rows == rowqty && board.scroll == doscrollable &&
                board.font == font;
    // A grid made for this display and not packed yet serves a new board; one in a page
    // goes with its page.
    GtkWidget* fresh = sdgrid && !gtk_widget_get_parent(sdgrid) ? sdgrid : nullptr;
    sdgrid = nullptr;
    if (!same || ShownDisplay() != board.top) EmptyWindow();
    if (!same) {
        if (board.top) gtk_widget_destroy(board.top);  // LabelBoardGone forgets it
        board.grid = fresh ? fresh : BoardGrid(sp10);
        board.cols = colqty;
        board.rows = rowqty;
        board.scroll = doscrollable;
        board.font = font;
        gtk_widget_show(board.grid);
        board.top = board.grid;
        if (doscrollable) {
            board.top = gtk_scrolled_window_new(nullptr, nullptr);
            gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(board.top), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
            gtk_container_add(GTK_CONTAINER(board.top), board.grid);
            gtk_widget_show_all(board.top);
            board.slider = gtk_scrolled_window_get_vscrollbar(GTK_SCROLLED_WINDOW(board.top));
        }
        g_signal_connect(board.top, "destroy", G_CALLBACK(LabelBoardGone), &board);
    } else {
        if (fresh) {
            g_object_ref_sink(fresh);  // not needed
            gtk_widget_destroy(fresh);
            g_object_unref(fresh);
        }
        // A board shown again starts at its top, as a new one does.
        if (board.scroll && ShownDisplay() != board.top)
            gtk_adjustment_set_value(gtk_scrolled_window_get_vadjustment(GTK_SCROLLED_WINDOW(board.top)), 0);
    }
    sdgrid = board.grid;
    int old = (int)board.labels.size(), n = (int)texts.size();
    for (int j = n; j < old; ++j) gtk_widget_destroy(board.labels[(size_t)j]);
    board.labels.resize((size_t)n);
    board.stripes.resize((size_t)n);
    for (int i = 0; i < n; ++i) {
        int row = i % rowqty;
        const GdkRGBA* bg = &sqrcolor[row % 2 == 0 ? COLOR_squares1 : odd];
        GtkWidget*& l = board.labels[(size_t)i];
        std::string& stripe = board.stripes[(size_t)i];
        if (i < old) {
            if (strcmp(gtk_label_get_text(GTK_LABEL(l)), texts[(size_t)i].c_str()) != 0)
                gtk_label_set_text(GTK_LABEL(l), texts[(size_t)i].c_str());
            std::string want = BoardBackgroundClass(bg);
            if (stripe != want) {
                GtkStyleContext* ctx = gtk_widget_get_style_context(l);
                gtk_style_context_remove_class(ctx, stripe.c_str());
                gtk_style_context_add_class(ctx, want.c_str());
                stripe = want;
            }
            continue;
        }
        l = gtk_label_new(texts[(size_t)i].c_str());
        BoardCellStyle(l, row, odd);
        stripe = BoardBackgroundClass(bg);
        gtk_grid_attach(GTK_GRID(board.grid), l, i / rowqty, row, 1, 1);
        gtk_widget_show(l);
    }
    g_free(gridlabel);
    gridlabel = g_new0(GtkWidget*, n > 0 ? n : 1);
    std::copy(board.labels.begin(), board.labels.end(), gridlabel);
    BoardRemember(gridlabel, nullptr, n, colqty, rowqty);
    sqrslider = board.slider;
    ShowInWindow(board.top, name);
    // Showing the window with everything in it need not walk the labels again.
    gtk_widget_set_no_show_all(board.top, TRUE);
}

void BoardForgetShown() {
    for (KeptBoard& b : keptboards) {
        if (!b.top || ShownDisplay() != b.top) continue;
        EmptyWindow();
        if (sdgrid == b.grid) sdgrid = nullptr;
        g_free(gridlabel);
        gridlabel = nullptr;
        boardlabels = nullptr;
        boardqty = 0;
        sqrslider = nullptr;
        gtk_widget_destroy(b.top);
    }
}

void BoardOfLabels(const std::vector<std::string>& texts, int colqty, int rowqty, bool doscrollable, COLOR odd) {
    ForgetGridBttn();
    LabelBoard(texts, colqty, rowqty, doscrollable, odd);
}

// The squares board built last (for the V key: shown again as it was, without a roll).
static struct {
    std::vector<std::string> texts;
    int colqty = 1, rowqty = 1;
    bool doscrollable = false;
    std::string font;
} lastsquares;

// A new board in sdgrid, in the font sdfont: one cell per text, filled column by column.
// With dancers given, the cells are toggle buttons of those dancers (present board, Aflag).
static void NewBoard(const std::vector<std::string>& texts, const std::vector<SqrDancer*>* bttndancers,
                     int colqty, int rowqty, bool doscrollable) {
    if (!bttndancers) {
        ForgetGridBttn();
        LabelBoard(texts, colqty, rowqty, doscrollable, editmode == PRESENT ? COLOR_present : COLOR_squares2);
        return;
    }
    BoardFreshGrid();
    ForgetGridBttn();
    int cellqty = (int)texts.size();
    GtkWidget** cells = g_new0(GtkWidget*, cellqty > 0 ? cellqty : 1);
    if (bttndancers) {
        gridbttn = cells;
        gridbttnqty = cellqty;
    } else {
        g_free(gridlabel);
        gridlabel = cells;
    }
    COLOR odd = editmode == PRESENT ? COLOR_present : COLOR_squares2;
    int row = 0, col = 0;
    for (int i = 0; i < cellqty; ++i) {
        GtkWidget* w;
        if (bttndancers) {
            w = gtk_toggle_button_new_with_label(texts[i].c_str());
            g_signal_connect(w, "toggled", G_CALLBACK(Awon), (*bttndancers)[i]);
        } else {
            w = gtk_label_new(texts[i].c_str());
        }
        cells[i] = w;
        BoardCellStyle(w, row, odd);
        gtk_grid_attach(GTK_GRID(sdgrid), w, col, row, 1, 1);
        if (++row >= rowqty) {
            row = 0;
            ++col;
        }
    }
    BoardRemember(bttndancers ? nullptr : cells, bttndancers ? cells : nullptr, cellqty, colqty, rowqty);
    BoardPack(doscrollable);
}

// The saved texts of the board replace those of the newest history record when the same tip
// was rolled again for a font change, so that the tip is not kept twice.
static bool ReplaceNewestTexts(char** sqrlist, int totdancers) {
    if (editmode != SQUARES || !histtl || histtl->tipcnt != tipcnt) return false;
    for (int i = 0; i < 2 * histtl->totdancers; ++i) free(histtl->sqrlist ? histtl->sqrlist[i] : nullptr);
    free(histtl->sqrlist);
    histtl->sqrlist = sqrlist;
    histtl->totdancers = totdancers;
    return true;
}

// The squares or present board. With requests set, the skip-tip and must-once requests of
// this tip are applied first (a font change shows the present board again without them).
static void SquareBoard(EDITMODE neweditmode, bool requests) {
    edbg("SquareDisplay(neweditmode=%d)", (int)neweditmode);
    editmode = neweditmode;
    if (!sdhd) {
        GtkNote(_("               %s Display\nNo dancers have been entered into Dorvels yet!\n"
                "    (use n to enter a new dancer)"),
                Streditmode());
        rdbg("SquareDisplay : no dancers");
        return;
    }
    int oldprvtipcnt = prvtipcnt;
    if (editmode == SQUARES) {
        prvtipcnt = tipcnt;
        ++tipcnt;
        SaveRollDisplay();
    }
    SetWinTitle(sdwin, nullptr);
    if (requests) ApplySkipTips();  // requests of this tip; clears sdtoggled

    if (editmode == SQUARES && !RollSquares()) {
        // No tip took place: the tip counter goes back, so the next roll is this tip. Left
        // raised, the title would name a tip nobody danced and the tip numbers of the history
        // (and of skip requests made now) would jump over it.
        tipcnt = prvtipcnt;
        prvtipcnt = oldprvtipcnt;
        SetWinTitle(sdwin, nullptr);
        rdbg("SquareDisplay : roll failed");
        return;
    }

    // Count the dancers of the board.
    int totdancers = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!Counted(sd)) continue;
        if (editmode == PRESENT && PresentHidden(sd)) {
            sd->display = 0;
            continue;
        }
        ++totdancers;
    }
    int totentries = totdancers;
    if (editmode == SQUARES) HallViewBegin(tipcnt);
    char** sqrlist = nullptr;
    int colqty = 1, rowqty = 1, doscrollable = 0;
    std::string sdmaxname;

    if (totdancers > 0) {
        SetupDispNames();  // dancers of one name told apart on every board
        SortByName();

        // Name parts and the widest of them; the dancers who sit out go on the list.
        int sdentrylen = 0;  // columns of the widest name part
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            if (!Counted(sd) || (editmode == PRESENT && PresentHidden(sd))) continue;
            if (editmode == SQUARES && sd->assigned == 0) OutDancerMake(sd);
            std::string part;
            if (!MeasuredNamePart(sd, part)) continue;
            int width = ShownWidth(part);
            if (width > sdentrylen) {
                sdentrylen = width;
                sdmaxname = part;
            }
        }
        if (editmode == SQUARES) OutDancerAskAll();  // does nothing while asking is on

        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            sd->display = Counted(sd) && !(editmode == PRESENT && PresentHidden(sd)) ? 1 : 0;
            sd->outdancer = 0;
        }

        // The entries, in list order.
        sqrlist = static_cast<char**>(calloc(2 * (size_t)totdancers, sizeof(char*)));
        outofmem(sqrlist, "%s\n", "SquareDisplay sqrlist");
        int i = 0;
        int maxwidth = sdentrylen;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            if (!Counted(sd) || !sd->display) continue;
            std::string entry;
            if (editmode == PRESENT) {
                entry = sd->dispname;
            } else {
                std::string name;
                size_t joint;
                EntryKind kind = SquaresNamePart(sd, name, true, &totentries, &joint);
                if (kind == NOENTRY) continue;
                HallViewAdd(name, joint, kind == ENTRY_OUT ? 0 : sd->square + 1);
                // A name part that grew after the measuring (a recruited partner) still has
                // to fit its cell: the widest actual part sets the font.
                int width = ShownWidth(name);
                if (width > maxwidth) {
                    maxwidth = width;
                    sdmaxname = name;
                }
                entry = PadLeft(name, sdentrylen) +
                        (kind == ENTRY_OUT ? std::string(": Out") : strprintf(": %3d", sd->square + 1));
            }
            if (i < 2 * totdancers) {
                sqrlist[i] = strdup(entry.c_str());
                outofmem(sqrlist[i], "%s\n", "SquareDisplay entry");
                ++i;
            }
        }
        if (totentries < 1) totentries = 1;
        BoardShape(sdmaxname.c_str(), totentries, &colqty, &rowqty, &doscrollable);
    }

    // The cells: the dancers still displayed, in list order.
    std::vector<SqrDancer*> shown;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (Counted(sd) && sd->display) shown.push_back(sd);
    int cellqty = (int)shown.size();
    std::vector<std::string> texts(cellqty);
    for (int i = 0; i < cellqty && i < 2 * totdancers; ++i)
        if (sqrlist && sqrlist[i]) texts[i] = ShownBoardText(sqrlist[i]);
    bool buttons = editmode == PRESENT && Aflag;
    // A present board kept in the window for new presences keeps its page when nothing of
    // its shape changes.
    // (A kept board of another shape is built anew.)
    bool kept = lastpresent.kept;
    lastpresent.kept = false;
    bool inplace = kept && editmode == PRESENT && !buttons && colqty == boardcolqty && rowqty == boardrowqty &&
                   (doscrollable != 0) == lastpresent.doscrollable && sqrres && sqrres->sdfont == lastpresent.font;
    bool overwrite = !kept && !buttons && gridlabel && gridlabel[0] && gridlabel == boardlabels &&
                     boardqty == cellqty && sdgrid && gtk_widget_get_parent(sdgrid);
    if (editmode == SQUARES) {
        // A re-texted board keeps its shape (see below).
        lastsquares.texts = texts;
        lastsquares.font = sqrres ? sqrres->sdfont : "";
        if (!overwrite) {
            lastsquares.colqty = colqty;
            lastsquares.rowqty = rowqty;
            lastsquares.doscrollable = doscrollable != 0;
        }
    }

    if (inplace) {
        BoardFont();
        LabelBoard(texts, colqty, rowqty, doscrollable != 0, COLOR_present);
        HistorySave(sqrlist, totdancers);  // keeps nothing of a present board; frees the list
    } else if (overwrite) {
        // A font change: the same board in the new font, without rebuilding the layout. The
        // font is taken from the chosen set every time, also when the operator's steps add up
        // to none again (one step up, one down): otherwise the board would keep the font of
        // the step before.
        BoardFont();
        for (int i = 0; i < cellqty; ++i) {
            GtkWidget* l = gridlabel[i];
            gtk_label_set_text(GTK_LABEL(l), texts[i].c_str());
            BoardFontOf(l, sdfont);
        }
        keptboards[KeptIndex(editmode)].font = FontKey();  // the kept board has the new font
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            if (!(Counted(sd) && sd->display)) sd->display = 0;
        if (!ReplaceNewestTexts(sqrlist, totdancers)) HistorySave(sqrlist, totdancers);
    } else {
        if (editmode == SQUARES && hallview) {
            HallViewBuild();
        } else {
            BoardFont();
            NewBoard(texts, buttons ? &shown : nullptr, colqty, rowqty, doscrollable);
            if (editmode == PRESENT) {
                lastpresent.doscrollable = doscrollable != 0;
                lastpresent.font = sqrres ? sqrres->sdfont : "";
            }
        }
        HistorySave(sqrlist, totdancers);
    }
    if (sdwin) gtk_widget_show_all(sdwin);
    if (sqrslider) SqrDisplayAutoScroller();
    rdbg("SquareDisplay");
}

void SquareDisplay(EDITMODE neweditmode) { SquareBoard(neweditmode, true); }

void PresentRetext() { SquareBoard(PRESENT, false); }

std::vector<std::string> SquaresBoardTexts() { return lastsquares.texts; }

void SquaresBoardAgain() {
    if (sdfont) pango_font_description_free(sdfont);
    sdfont = pango_font_description_from_string(lastsquares.font.c_str());
    NewBoard(lastsquares.texts, nullptr, lastsquares.colqty, lastsquares.rowqty, lastsquares.doscrollable);
    if (sdwin) gtk_widget_show_all(sdwin);
    if (sqrslider) SqrDisplayAutoScroller();
}
