// SPDX-License-Identifier: GPL-3.0-or-later
// Font sets for the screen at hand: the resolution file, the choice of a ladder for the
// screen width, and the fitting of board and edit fonts by measuring real widgets off-screen.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "display/boards.h"
#include "display/display.h"
#include "display/projector.h"
#include "history/history.h"
#include "support/helmtext.h"
#include "support/intl.h"

Resolution* res = nullptr;
Resolution* sqrres = nullptr;
Resolution* R = nullptr;
Resolution* rhd = nullptr;
Resolution* rtl = nullptr;
int screenwidth = 0;
int screenheight = 0;
int fontsizechg = 0;

const char* strfonttype(FONTTYPE fonttype) {
    switch (fonttype) {
        case SDFONT: return "sdfont";
        case BTTNFONT1: return "bttnfont1";
        case BTTNFONT2: return "bttnfont2";
        case LBLFONT1: return "lblfont1";
        case LBLFONT2: return "lblfont2";
    }
    return "???";
}

const char* strfont(const Resolution* r, FONTTYPE fonttype) {
    if (!r) return "-null-";
    switch (fonttype) {
        case SDFONT: return r->sdfont.c_str();
        case BTTNFONT1: return r->bttnfont1.c_str();
        case BTTNFONT2: return r->bttnfont2.c_str();
        case LBLFONT1: return r->lblfont1.c_str();
        case LBLFONT2: return r->lblfont2.c_str();
    }
    return "???";
}

// ---- the list of sets ----------------------------------------------------------------------
void ResetResolutions() {
    while (rhd) {
        Resolution* n = rhd->nxt;
        delete rhd;
        rhd = n;
    }
    rtl = nullptr;
    res = sqrres = R = nullptr;
    fontsizechg = 0;
}

static void Append(Resolution* r) {
    r->prv = rtl;
    r->nxt = nullptr;
    if (rtl) rtl->nxt = r;
    else rhd = r;
    rtl = r;
    r->id = r->prv ? r->prv->id + 1 : 1;
    double first = rhd->screenwidth;
    r->sf = first > 0 ? r->screenwidth / first : 1.0;
}

void ReadResolutionFile(FILE* fp) {
    std::string line;
    while (autobuf_fgets(fp, line)) {
        if (line.size() > 3000) line.resize(3000);
        srmtrblk(line);
        const char* p = stpblk(line.c_str());
        if (!*p || *p == '%' || *p == '#') continue;
        std::string whole = p;
        auto* r = new Resolution;
        int tokcnt = 0;
        size_t pos = 0;
        while (pos <= whole.size()) {
            size_t comma = whole.find(',', pos);
            if (comma == std::string::npos) comma = whole.size();
            std::string tok = whole.substr(pos, comma - pos);
            pos = comma + 1;
            size_t b = tok.find_first_not_of(" \t");
            tok = b == std::string::npos ? "" : tok.substr(b);
            if (!tok.empty() && tok[0] == '"') {
                tok.erase(0, 1);
                size_t q = tok.rfind('"');
                if (q != std::string::npos) tok.erase(q, 1);
            }
            ++tokcnt;
            switch (tokcnt) {
                case 1: r->screenwidth = (unsigned)strtoul(tok.c_str(), nullptr, 10); break;
                case 2: r->sdfont = tok; break;
                case 3: r->bttnfont1 = tok; break;
                case 4: r->bttnfont2 = tok; break;
                case 5: r->lblfont1 = tok; break;
                case 6: r->lblfont2 = tok; break;
                case 7: r->maxsqrcolqty = (unsigned)strtoul(tok.c_str(), nullptr, 10); break;
                case 8: r->maxeditcolqty = (unsigned)strtoul(tok.c_str(), nullptr, 10); break;
                default:
                    error(1, _("(SetupResolutionList) incorrect resolution file entry<%s>  (tokcnt=%d)\n"),
                          whole.c_str(), tokcnt);
            }
        }
        Append(r);
    }
}

void ChooseResolution(int width) {
    Resolution* best = nullptr;
    for (Resolution* r = rhd; r; r = r->nxt) {
        if (r->prv && r->prv->screenwidth == r->screenwidth) continue;  // not a group's first
        if ((long)r->screenwidth <= (long)width && (!best || r->screenwidth >= best->screenwidth))
            best = r;
    }
    R = best;
    res = R ? R : rhd;
}

// Sets used when no resolution file could be read: a ladder scaled to the screen, so that
// the program still shows readable boards.
static void BuiltinResolutions(int width) {
    static const int sizes[][4] = {{36, 28, 14, 20}, {28, 22, 12, 18}, {22, 18, 11, 16},
                                   {18, 14, 10, 14}, {14, 11, 9, 12}, {11, 9, 8, 11}};
    double scale = width > 0 ? width / 1920.0 : 1.0;
    for (const auto& s : sizes) {
        auto* r = new Resolution;
        r->screenwidth = width > 0 ? (unsigned)width : 1920;
        auto sz = [&](int n) { return std::max(6, (int)std::lround(n * scale)); };
        r->sdfont = strprintf("DejaVu Sans Bold %d", sz(s[0]));
        r->bttnfont1 = strprintf("DejaVu Sans Bold %d", sz(s[1]));
        r->bttnfont2 = strprintf("DejaVu Sans %d", sz(s[2]));
        r->lblfont1 = strprintf("DejaVu Sans %d", sz(s[3] * 3 / 4));
        r->lblfont2 = strprintf("DejaVu Sans Bold %d", sz(s[3]));
        r->maxsqrcolqty = 12;
        r->maxeditcolqty = 14;
        Append(r);
    }
}

static void ScreenSize() {
    if (reqH || reqW) {
        screenheight = reqH;
        screenwidth = reqW;
        return;
    }
    GdkDisplay* d = gdk_display_get_default();
    if (!d) return;
    GdkMonitor* m = gdk_display_get_primary_monitor(d);
    if (!m && gdk_display_get_n_monitors(d) > 0) m = gdk_display_get_monitor(d, 0);
    if (!m) return;
    GdkRectangle geo;
    gdk_monitor_get_geometry(m, &geo);
    screenwidth = geo.width;
    screenheight = geo.height;
}

void SetupResolutionList() {
    ScreenSize();
    SetScrollerBase(screenheight);
    FILE* fp = fopenx(resfile.empty() ? "resolution.unix" : resfile, "r", "dorvels", "DORVELS");
    if (!fp) {
        error(1, _("unable to read <resolution.dorvels>\n"));
    } else {
        ReadResolutionFile(fp);
        fclose(fp);
    }
    if (!rhd) BuiltinResolutions(screenwidth);
    ChooseResolution(screenwidth);
    SetSpacing();
}

// ---- measuring ---------------------------------------------------------------------------------
static PangoFontDescription* FontOf(const std::string& s) {
    // Parsed descriptions are kept: the same few strings are measured again and again.
    static std::map<std::string, PangoFontDescription*> cache;
    auto it = cache.find(s);
    if (it != cache.end()) return it->second;
    PangoFontDescription* f = pango_font_description_from_string(s.c_str());
    cache.emplace(s, f);
    return f;
}

// Valid UTF-8 of at most 2999 bytes (what a 3000-byte buffer holds).
static std::string MeasureText(const char* text) {
    std::string s(text ? text : "");
    if (s.size() > 2999) s.resize(2999);
    const char* end = nullptr;
    if (!g_utf8_validate(s.data(), (gssize)s.size(), &end)) {
        gchar* v = g_utf8_make_valid(s.data(), (gssize)s.size());
        s = v;
        g_free(v);
    }
    return s;
}

// Natural size of a widget inside a never-shown pop-up window (styled as on screen).
static void Measure(GtkWidget* w, int* width, int* height) {
    GtkWidget* win = gtk_window_new(GTK_WINDOW_POPUP);
    gtk_container_add(GTK_CONTAINER(win), w);
    gtk_widget_show_all(w);
    GtkRequisition nat;
    gtk_widget_get_preferred_size(w, nullptr, &nat);
    gtk_widget_destroy(win);
    if (width) *width = nat.width;
    if (height) *height = nat.height;
}

int MaxEntryWidth(Resolution* r, int* meh, const char* sdmaxname, int padding, FONTTYPE fonttype) {
    std::string font;
    switch (fonttype) {
        case SDFONT: font = r ? r->sdfont : ""; break;
        case BTTNFONT1: font = r ? r->bttnfont1 : ""; break;
        case BTTNFONT2: font = r ? r->bttnfont2 : ""; break;
        case LBLFONT1: font = r ? r->lblfont1 : ""; break;
        case LBLFONT2: font = r ? r->lblfont2 : ""; break;
        default:
            GtkWarning(_("(MaxEntryWidth) fonttype#%d not supported; using sdfont\n"), (int)fonttype);
            font = r ? r->sdfont : "";
    }
    std::string text = MeasureText(sdmaxname);
    bool buttonrow = text == "DelLuckNamePrtnrPgmSex";
    // A text measured once in a font keeps its size: a board redrawn for every card swiped
    // at the door measures the same widest name in the same fonts again and again.
    static std::map<std::string, std::pair<int, int>> measured;
    std::string key = font + '\n' + text + (buttonrow ? std::string("\n") + strpgm(pgmfloor) : "");
    auto known = measured.find(key);
    if (known != measured.end()) {
        if (meh) *meh = known->second.second + 2 * padding;
        return known->second.first + padding;
    }
    PangoFontDescription* fd = font.empty() ? nullptr : FontOf(font);
    GtkWidget* w;
    if (buttonrow) {
        w = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
        const char* labels[] = {C_("edit button", "Del"), C_("priority", "Must"), C_("edit button", "Name"), C_("edit button", "Prtnr"),
                                strpgm(pgmfloor), "M"};
        for (const char* l : labels) {
            GtkWidget* lbl = gtk_label_new(l);
            GtkWidget* b = gtk_button_new();
            gtk_container_add(GTK_CONTAINER(b), lbl);
            SetWidgetFont(lbl, fd);
            gtk_box_pack_start(GTK_BOX(w), b, FALSE, FALSE, 0);
        }
    } else {
        w = gtk_label_new(text.c_str());
        SetWidgetFont(w, fd);
    }
    int width = 0, height = 0;
    Measure(w, &width, &height);
    if (measured.size() >= 4096) measured.clear();
    measured.emplace(key, std::make_pair(width, height));
    if (meh) *meh = height + 2 * padding;
    return width + padding;
}

// One toggle button of the board's sample text, as MaxGrid's grid holds it.
static GtkWidget* SampleButton(PangoFontDescription* fd, const char* text) {
    GtkWidget* b = gtk_toggle_button_new_with_label(text);
    SetWidgetFont(gtk_bin_get_child(GTK_BIN(b)), fd);
    return b;
}

int MeasureGridWidth(const char* font, const char* text, int rows, int cols) {
    PangoFontDescription* fd = font && *font ? FontOf(font) : nullptr;
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_homogeneous(GTK_GRID(grid), TRUE);
    gtk_grid_set_column_homogeneous(GTK_GRID(grid), TRUE);
    gtk_grid_set_row_spacing(GTK_GRID(grid), sp10);
    gtk_grid_set_column_spacing(GTK_GRID(grid), sp10);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) gtk_grid_attach(GTK_GRID(grid), SampleButton(fd, text), c, r, 1, 1);
    int width = 0;
    Measure(grid, &width, nullptr);
    return width;
}

void MaxGrid(Resolution* r, const char* sdmaxname, int* cols, int* rows, int totentries) {
    if (!cols) {
        GtkWarning(_("(MaxGrid) cols is null!\n"));
        return;
    }
    if (!r) {
        GtkWarning(_("(MaxGrid) res is null!\n"));
        return;
    }
    Resolution* set = sqrres ? sqrres : r;
    std::string sample = strprintf("%s: %3d", MeasureText(sdmaxname).c_str(), 8);
    PangoFontDescription* fd = set->sdfont.empty() ? nullptr : FontOf(set->sdfont);
    // A homogeneous grid gives every column the width of its widest cell, and all cells
    // show the same sample: the grid is cols cells plus cols-1 spacings wide. One button
    // is measured instead of a grid per column count.
    // Measured once per font and sample (the board is redrawn for every card swiped).
    static std::map<std::string, int> cells;
    std::string key = set->sdfont + '\n' + sample;
    auto known = cells.find(key);
    int cell = 0;
    if (known != cells.end()) {
        cell = known->second;
    } else {
        Measure(SampleButton(fd, sample.c_str()), &cell, nullptr);
        if (cells.size() >= 4096) cells.clear();
        cells.emplace(key, cell);
    }
    if (*cols < 1) *cols = 1;
    while (*cols > 1 && (long)*cols * cell + (long)(*cols - 1) * sp10 >= (long)set->screenwidth)
        --*cols;
    if (rows) *rows = (totentries + *cols - 1) / *cols;
}

// ---- choosing fonts ------------------------------------------------------------------------
int WantedColumns(int qtylbl) {
    if (qtylbl <= 0) return 0;
    int n = (int)std::lround(std::sqrt((double)qtylbl));
    if ((long)n * n < qtylbl) ++n;
    return n;
}

static Resolution* GroupFirst(Resolution* r) {
    while (r->prv && r->prv->screenwidth == r->screenwidth) r = r->prv;
    return r;
}

// Applies the operator's font steps within the group of r; a step beyond the group shows a
// note and ends the steps (or, with keepgoing, shows it again for every step left).
static Resolution* ApplyFontSteps(Resolution* r, bool keepgoing) {
    unsigned w = r->screenwidth;
    for (int i = 0; i < fontsizechg; ++i) {
        if (r->prv && r->prv->screenwidth == w) {
            r = r->prv;
        } else {
            GtkNote(_("can't increase fontsize any more"));
            if (!keepgoing) break;
        }
    }
    for (int i = 0; i < -fontsizechg; ++i) {
        if (r->nxt && r->nxt->screenwidth == w) {
            r = r->nxt;
        } else {
            GtkNote(_("can't decrease fontsize any more"));
            if (!keepgoing) break;
        }
    }
    return r;
}

// The set kept after the search: the best one, or the nearest of width W.
static Resolution* Settle(Resolution* best, unsigned W) {
    if (!best) return rtl;
    if (best->screenwidth != W && best->prv) return best->prv;
    return best;
}

int ChooseSqrFont(const char* sdmaxname, int qtylbl, int* needscrolling) {
    unsigned W;
    if (sqrres) {
        W = sqrres->screenwidth;
    } else if (res) {
        W = res->screenwidth;
        sqrres = res;
    } else {
        if (needscrolling) *needscrolling = 0;
        return 1;
    }
    if (needscrolling) *needscrolling = 0;
    sqrres = GroupFirst(sqrres);
    int maxcolqty = WantedColumns(qtylbl);
    if (maxcolqty > (int)sqrres->maxsqrcolqty) {
        maxcolqty = (int)sqrres->maxsqrcolqty;
        if (needscrolling) *needscrolling = 1;
    }
    int oldcolqty = 0, colqtymew = 0, meh = 0, mew = 0;
    Resolution* bestres = sqrres;
    for (;;) {
        mew = MaxEntryWidth(sqrres, &meh, sdmaxname, sp10, SDFONT);
        colqtymew = (int)std::floor(((double)W - sp10) / (sp10 + mew + 2.0));
        if (colqtymew > oldcolqty) {
            oldcolqty = colqtymew;
            bestres = sqrres;
        }
        if (colqtymew >= maxcolqty) break;
        if (!sqrres->nxt || sqrres->nxt->screenwidth != W) {
            if (needscrolling) *needscrolling = 1;
            break;
        }
        sqrres = sqrres->nxt;
    }
    sqrres = ApplyFontSteps(Settle(bestres, W), false);
    sqrres->meh = meh;
    sqrres->mew = mew;
    return colqtymew;
}

int ChooseEditFont(const char* sdmaxname, int qtylbl, int* needscrolling) {
    if (!res) return 1;
    unsigned W = res->screenwidth;
    res = GroupFirst(res);
    Resolution* smallest = res;
    while (smallest->nxt && smallest->nxt->screenwidth == W) smallest = smallest->nxt;
    int maxcolqty = WantedColumns(qtylbl);
    if (maxcolqty > (int)res->maxeditcolqty) {
        maxcolqty = (int)res->maxeditcolqty;
        if (needscrolling) *needscrolling = 1;
    }
    int oldcolqty = 0, colqtymew = 0;
    int meh = 0, mew = 0;
    Resolution* bestres = res;
    for (;;) {
        int mehbttn1 = 0, mehbttn2 = 0;
        int mewbttn1 = MaxEntryWidth(res, &mehbttn1, sdmaxname, sp4, BTTNFONT1);
        int mewbttn2 = MaxEntryWidth(res, &mehbttn2, "DelLuckNamePrtnrPgmSex", 5, BTTNFONT2);
        int c1 = mewbttn1 > 0 ? (int)(W / (unsigned)mewbttn1) : 0;
        int c2 = mewbttn2 > 0 ? (int)(W / (unsigned)mewbttn2) : 0;
        FONTTYPE winner;
        if (c2 < c1) {
            colqtymew = c2;
            winner = BTTNFONT2;
            meh = mehbttn2;
            mew = mewbttn2;
        } else {
            colqtymew = c1;
            winner = BTTNFONT1;
            meh = mehbttn1;
            mew = mewbttn1;
        }
        if (colqtymew > oldcolqty) {
            oldcolqty = colqtymew;
            bestres = res;
        }
        if (colqtymew >= maxcolqty) break;
        // Smaller sets with the same small-button font would not shrink the button row.
        if (winner == BTTNFONT2 && res->nxt && res->bttnfont2 == smallest->bttnfont2) break;
        if (!res->nxt || res->nxt->screenwidth != W) {
            if (needscrolling) *needscrolling = 1;
            break;
        }
        res = res->nxt;
    }
    res = ApplyFontSteps(Settle(bestres, W), true);
    res->meh = meh;
    res->mew = mew;
    return colqtymew;
}

int ChangeFontSize(int chg) {
    if (sdpop) {
        GtkWidget* w = sdpop;
        sdpop = nullptr;
        gtk_widget_destroy(w);
    }
    // The hall view has its own size: its steps never repeat a roll. The projector window
    // shows the hall view too: its letters follow the font keys on every board.
    if (HallViewShown()) {
        int r = HallViewFontStep(chg);
        ProjectorFollow();
        return r;
    }
    if (editmode == SQUARES || editmode == PRESENT || editmode == HISTORY) ProjectorFontStep(chg);
    if (!res) return -1;
    unsigned w = res->screenwidth;
    if (chg > 0) {
        if (res->prv && res->prv->screenwidth == w) {
            res = res->prv;
            ++fontsizechg;
        } else {
            GtkNote(_("can't increase fontsize"));
            return -1;
        }
    } else {
        if (res->nxt && res->nxt->screenwidth == w) {
            res = res->nxt;
            --fontsizechg;
        } else {
            GtkNote(_("can't decrease fontsize any more"));
            return -1;
        }
    }
    SetSpacing();
    // A font change never changes the evening: only the squares board rolls its tip again,
    // from the state saved before that roll, so that the same squares come out. The
    // present and history boards are only shown again in the new font (repeating the roll
    // there would take the last tip back: its dance counts, tip number and record).
    if (editmode == EDIT) {
        SwitchDisplay(EDIT);
    } else if (editmode == SQUARES) {
        RepeatRollDisplay();
        SquareDisplay(SQUARES);
    } else if (editmode == PRESENT) {
        PresentRetext();
    } else if (editmode == HISTORY) {
        HistoryRedisplay();
    }
    TraceBoard();
    return 0;
}
