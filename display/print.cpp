// SPDX-License-Identifier: GPL-3.0-or-later
// The boards on paper. The names are laid out in columns, filled column by column in the
// board's order like the board on the screen, in the largest font that fits one page (and in
// a readable font over as many pages as needed when they do not); every page carries the
// club, the board, tip, level and caller at the top and its page number at the bottom.
#include "display/print.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "assign/assign.h"
#include "display/boards.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

// ---- what goes on paper ------------------------------------------------------------------
static bool Named(const std::string& s) { return !s.empty() && s != "None" && s != "none"; }

static PaperBoard Heading(const std::string& board, SDPGM level) {
    PaperBoard p;
    p.title = Named(clubname) ? clubname : "Dorvels";
    p.subtitle = board + " \u00b7 " + strprintf(_("%s level"), strpgm(level));
    if (Named(caller)) p.subtitle += " \u00b7 " + strprintf(_("caller %s"), caller.c_str());
    return p;
}

static bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

PaperBoard PresentBoard() {
    PaperBoard p = Heading(tipcnt > 0 ? strprintf(_("Present after tip %d"), tipcnt) : _("Present"), pgmfloor);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!sd->avail) continue;
        // An anonymous couple is one name, listed under its man.
        if (sd->sex == F && StartsWith(sd->lastname, "Couple#") && sd->partner && sd->partner->avail) continue;
        std::string e = FullName(sd);
        if (sd->pgm < pgmfloor) e += strprintf(" (%s)", strpgm(sd->pgm));
        p.entries.push_back(e);
    }
    p.subtitle += " \u00b7 " + strprintf(_("%d present"), (int)p.entries.size());
    return p;
}

static PaperBoard Roster() {
    int present = 0, total = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        ++total;
        present += sd->avail ? 1 : 0;
    }
    PaperBoard p = Heading(strprintf(ngettext("Roster of %d, %d present", "Roster of %d, %d present", total), total, present), pgmfloor);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        p.entries.push_back(FullName(sd) + strprintf(" (%s %s%s)", strpgm(sd->pgm), strsex(sd->sex),
                                                     sd->avail ? "" : _(", absent")));
    return p;
}

// The squares or history board: the texts of its cells, in cell order. The blanks that
// right-align the names on the screen are left off: on paper the texts are right-aligned in
// their column, so that one long name does not widen every other.
static PaperBoard Cells(const std::string& board, SDPGM level) {
    PaperBoard p = Heading(board, level);
    p.aligned = true;
    // The hall view shows the board's entries in cells of its own: the board's go on paper
    // (those of the squares board, or those the history keeps for its tip).
    std::vector<std::string> texts;
    if (HallViewShown() && editmode == HISTORY && hist) {
        for (int i = 0; hist->sqrlist && i < 2 * hist->totdancers; ++i)
            if (hist->sqrlist[i]) texts.push_back(ShownBoardText(hist->sqrlist[i]));
    } else if (HallViewShown()) {
        texts = SquaresBoardTexts();
    }
    for (int i = 0; i < BoardCellQty(); ++i) texts.push_back(CellText(BoardCell(i)));
    for (const std::string& t : texts) {
        size_t first = t.find_first_not_of(' ');
        if (first != std::string::npos) p.entries.push_back(t.substr(first));
    }
    return p;
}

PaperBoard ShownBoard() {
    switch (editmode) {
        case SQUARES: return Cells(strprintf(_("Squares of tip %d"), tipcnt), pgmfloor);
        case HISTORY:
            if (hist) return Cells(strprintf(_("Squares of tip %d (history)"), hist->tipcnt), hist->pgmfloor);
            return PaperBoard{};
        case PRESENT: return PresentBoard();
        case EDIT: return Roster();
        default: return PaperBoard{};
    }
}

// ---- layout --------------------------------------------------------------------------------
namespace {
struct Layout {
    const PaperBoard* board = nullptr;
    std::string printed;   // date and time of printing, for the foot of the page
    std::vector<double> widths;  // of the names at the reference size
    double size = 14;      // font size of the names, points
    double pad = 0, gap = 0, colw = 0, rowh = 0, top = 0;
    int cols = 1, rows = 1, perpage = 1, pages = 1;
};
}  // namespace

static const double titlesize = 20, subtitlesize = 11, footsize = 8;
// Names fill one page in the largest size from 36 points down to 14 that fits; longer boards
// go over pages in 14 points (a long name may still make the font smaller, never cut).
static const int largest = 36, smallest = 14;
static const double ref = 20;  // reference size of the measurements

static PangoLayout* TextLayout(GtkPrintContext* ctx, const char* family, double size, const std::string& text) {
    PangoLayout* l = gtk_print_context_create_pango_layout(ctx);
    PangoFontDescription* fd = pango_font_description_from_string(family);
    pango_font_description_set_size(fd, (gint)(size * PANGO_SCALE));
    pango_layout_set_font_description(l, fd);
    pango_font_description_free(fd);
    pango_layout_set_text(l, text.c_str(), -1);
    return l;
}

static void LayoutSize(PangoLayout* l, double* w, double* h) {
    int pw = 0, ph = 0;
    pango_layout_get_size(l, &pw, &ph);
    *w = (double)pw / PANGO_SCALE;
    *h = (double)ph / PANGO_SCALE;
}

static const char* NameFont(const Layout& lo) { return lo.board->aligned ? "DejaVu Sans Mono Bold" : "DejaVu Sans Bold"; }

// A line of the heading, wrapped to the page width.
static PangoLayout* HeadingLayout(GtkPrintContext* ctx, const std::string& text, double size, bool bold, double width) {
    PangoLayout* l = TextLayout(ctx, bold ? "DejaVu Sans Bold" : "DejaVu Sans", size, text);
    pango_layout_set_width(l, (int)(width * PANGO_SCALE));
    pango_layout_set_wrap(l, PANGO_WRAP_WORD_CHAR);
    return l;
}

static void BeginPrint(GtkPrintOperation* op, GtkPrintContext* ctx, gpointer data) {
    Layout& lo = *static_cast<Layout*>(data);
    const double W = gtk_print_context_get_width(ctx), H = gtk_print_context_get_height(ctx);
    double w, h, th, sh, fh;
    PangoLayout* l = HeadingLayout(ctx, lo.board->title, titlesize, true, W);
    LayoutSize(l, &w, &th);
    g_object_unref(l);
    l = HeadingLayout(ctx, lo.board->subtitle, subtitlesize, false, W);
    LayoutSize(l, &w, &sh);
    g_object_unref(l);
    l = TextLayout(ctx, "DejaVu Sans", footsize, "0");
    LayoutSize(l, &w, &fh);
    g_object_unref(l);
    lo.top = th + sh + subtitlesize;
    const double body = H - lo.top - 2 * fh;

    // The names' widths and the line height at a reference size; both grow in proportion
    // to the size.
    double lineh = 0;
    l = TextLayout(ctx, NameFont(lo), ref, "Ag");
    LayoutSize(l, &w, &lineh);
    lo.widths.clear();
    for (const std::string& e : lo.board->entries) {
        pango_layout_set_text(l, e.c_str(), -1);
        LayoutSize(l, &w, &h);
        lo.widths.push_back(w);
    }
    g_object_unref(l);

    const int n = (int)lo.board->entries.size();
    auto fit = [&](double size) {
        lo.size = size;
        lo.pad = 0.25 * size;
        lo.gap = 0.5 * size;
        // The columns are as wide as the widest name that fits the page at this size; a name
        // wider than the page is printed smaller, on its own, and not cut.
        double cellw = 0;
        for (double width : lo.widths) {
            double cw = width * size / ref + 2 * lo.pad;
            if (cw <= W) cellw = std::max(cellw, cw);
        }
        if (cellw <= 0) cellw = W;
        lo.cols = std::max(1, (int)std::floor((W + lo.gap) / (cellw + lo.gap)));
        lo.rowh = 1.25 * lineh * lo.size / ref;
        lo.rows = std::max(1, (int)std::floor(body / lo.rowh));
        lo.perpage = lo.cols * lo.rows;
        return n <= lo.perpage;
    };
    bool onepage = false;
    for (int size = largest; size >= smallest && !onepage; --size) onepage = fit(size);
    lo.pages = onepage ? 1 : (n + lo.perpage - 1) / lo.perpage;
    if (onepage && n > 0) lo.rows = (n + lo.cols - 1) / lo.cols;  // even columns on one page
    lo.colw = (W - (lo.cols - 1) * lo.gap) / lo.cols;
    gtk_print_operation_set_n_pages(op, std::max(1, lo.pages));
}

static void DrawPage(GtkPrintOperation*, GtkPrintContext* ctx, gint page, gpointer data) {
    const Layout& lo = *static_cast<Layout*>(data);
    cairo_t* cr = gtk_print_context_get_cairo_context(ctx);
    const double W = gtk_print_context_get_width(ctx), H = gtk_print_context_get_height(ctx);
    double w, h;

    cairo_set_source_rgb(cr, 0, 0, 0);
    PangoLayout* l = HeadingLayout(ctx, lo.board->title, titlesize, true, W);
    cairo_move_to(cr, 0, 0);
    pango_cairo_show_layout(cr, l);
    LayoutSize(l, &w, &h);
    g_object_unref(l);
    l = HeadingLayout(ctx, lo.board->subtitle, subtitlesize, false, W);
    cairo_move_to(cr, 0, h);
    pango_cairo_show_layout(cr, l);
    g_object_unref(l);
    double ruley = lo.top - subtitlesize / 2;
    cairo_set_line_width(cr, 0.8);
    cairo_move_to(cr, 0, ruley);
    cairo_line_to(cr, W, ruley);
    cairo_stroke(cr);

    const int n = (int)lo.board->entries.size();
    const int first = page * lo.perpage, last = std::min(n, first + lo.perpage);
    l = TextLayout(ctx, NameFont(lo), lo.size, "");
    for (int i = first; i < last; ++i) {
        int k = i - first, col = k / lo.rows, row = k % lo.rows;
        double x = col * (lo.colw + lo.gap), y = lo.top + row * lo.rowh;
        if (row % 2) {  // striped rows, as on the board, to read across
            cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
            cairo_rectangle(cr, x, y, lo.colw, lo.rowh);
            cairo_fill(cr);
            cairo_set_source_rgb(cr, 0, 0, 0);
        }
        // A name wider than its column (one wider than the page) is printed smaller, whole.
        const std::string& text = lo.board->entries[i];
        pango_layout_set_text(l, text.c_str(), -1);
        LayoutSize(l, &w, &h);
        double room = lo.colw - 2 * lo.pad;
        PangoLayout* el = w > room ? TextLayout(ctx, NameFont(lo), lo.size * room / w * 0.99, text)
                                   : PANGO_LAYOUT(g_object_ref(l));
        LayoutSize(el, &w, &h);
        cairo_move_to(cr, lo.board->aligned ? x + lo.colw - lo.pad - w : x + lo.pad, y + (lo.rowh - h) / 2);
        pango_cairo_show_layout(cr, el);
        g_object_unref(el);
    }
    g_object_unref(l);

    l = TextLayout(ctx, "DejaVu Sans", footsize, "Dorvels \u00b7 " + lo.printed);
    LayoutSize(l, &w, &h);
    cairo_move_to(cr, 0, H - h);
    pango_cairo_show_layout(cr, l);
    pango_layout_set_text(l, strprintf(_("page %d of %d"), page + 1, lo.pages).c_str(), -1);
    LayoutSize(l, &w, &h);
    cairo_move_to(cr, W - w, H - h);
    pango_cairo_show_layout(cr, l);
    g_object_unref(l);
}

// The printer, paper and other choices of the last print, offered again the next time.
static GtkPrintSettings* printsettings = nullptr;

void SetPrintSettings(GtkPrintSettings* settings) {
    if (printsettings) g_object_unref(printsettings);
    printsettings = settings ? gtk_print_settings_copy(settings) : nullptr;
}

// Where "Print to File" proposes to write: the club file's folder when people can see it,
// else Documents (or home): never the program's hidden data folder.
std::string PrintFolder() {
    std::string club = !inputfilename.empty() ? inputfilename : outputfilename;
    if (!club.empty()) {
        gchar* abs = g_canonicalize_filename(club.c_str(), nullptr);
        gchar* dir = g_path_get_dirname(abs);
        std::string folder = dir;
        g_free(dir);
        g_free(abs);
        if (folder.find("/.") == std::string::npos && g_file_test(folder.c_str(), G_FILE_TEST_IS_DIR)) return folder;
    }
    const char* docs = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
    if (docs && g_file_test(docs, G_FILE_TEST_IS_DIR)) return docs;
    return g_get_home_dir();
}

int PrintPaperBoard(const PaperBoard& board, const char* pdf, std::string* err) {
    Layout lo;
    lo.board = &board;
    GDateTime* now = g_date_time_new_now_local();
    gchar* when = g_date_time_format(now, "%Y-%m-%d %H:%M");
    lo.printed = when;
    g_free(when);
    g_date_time_unref(now);

    GtkPrintOperation* op = gtk_print_operation_new();
    gtk_print_operation_set_unit(op, GTK_UNIT_POINTS);
    gtk_print_operation_set_job_name(op, (board.title + " \u00b7 " + board.subtitle).c_str());
    gtk_print_operation_set_embed_page_setup(op, TRUE);
    GtkPrintSettings* settings = printsettings ? gtk_print_settings_copy(printsettings) : gtk_print_settings_new();
    if (!gtk_print_settings_get(settings, GTK_PRINT_SETTINGS_OUTPUT_URI)) {  // the operator's choice stays
        gchar* file = g_build_filename(PrintFolder().c_str(), "dorvels.pdf", nullptr);
        gchar* uri = g_filename_to_uri(file, nullptr, nullptr);
        if (uri) gtk_print_settings_set(settings, GTK_PRINT_SETTINGS_OUTPUT_URI, uri);
        g_free(uri);
        g_free(file);
    }
    gtk_print_operation_set_print_settings(op, settings);
    g_object_unref(settings);
    g_signal_connect(op, "begin-print", G_CALLBACK(BeginPrint), &lo);
    g_signal_connect(op, "draw-page", G_CALLBACK(DrawPage), &lo);
    if (pdf) gtk_print_operation_set_export_filename(op, pdf);

    GError* gerr = nullptr;
    GtkPrintOperationResult r = gtk_print_operation_run(
        op, pdf ? GTK_PRINT_OPERATION_ACTION_EXPORT : GTK_PRINT_OPERATION_ACTION_PRINT_DIALOG,
        sdwin && !pdf ? GTK_WINDOW(sdwin) : nullptr, &gerr);
    int pages = 0;
    if (r == GTK_PRINT_OPERATION_RESULT_ERROR) {
        if (err) *err = gerr ? gerr->message : _("unknown error");
        pages = -1;
    } else if (r == GTK_PRINT_OPERATION_RESULT_APPLY) {
        pages = lo.pages;
        if (!pdf) SetPrintSettings(gtk_print_operation_get_print_settings(op));
    }
    if (gerr) g_error_free(gerr);
    g_object_unref(op);
    return pages;
}

// ---- the P key and --print-pdf ---------------------------------------------------------------
void PrintShownBoard() {
    PaperBoard board = ShownBoard();
    if (board.title.empty()) {
        GtkTimeNote(3, _("P prints the Squares, Present, History or Edit display"));
        return;
    }
    if (board.entries.empty()) {
        GtkTimeNote(3, _("nothing to print: the %s display is empty"), Streditmode());
        return;
    }
    std::string err;
    int pages = PrintPaperBoard(board, nullptr, &err);
    if (pages < 0) GtkWarning(_("printing failed: %s"), err.c_str());
    else if (pages > 0) GtkTimeNote(3, ngettext("%s: %d page printed", "%s: %d pages printed", pages), board.subtitle.c_str(), pages);
}

int PrintPresentPdf(const std::string& file) {
    if (!sdhd) {
        fputs(_("dorvels: --print-pdf: no dancers: no club file could be read\n"), stderr);
        return 1;
    }
    // The board as the Present display would show it now: names in the chosen style, sorted,
    // and the skip requests of this tip applied.
    SetupDispNames();
    SortByName();
    ApplySkipTips();
    // The system's own words for a file that cannot be written (the printing reports only
    // that its output stream failed).
    if (FILE* fp = fopen(file.c_str(), "ab")) {
        fclose(fp);
    } else {
        fprintf(stderr, _("dorvels: --print-pdf: cannot write %s: %s\n"), file.c_str(), strerror(errno));
        return 1;
    }
    std::string err;
    int pages = PrintPaperBoard(PresentBoard(), file.c_str(), &err);
    if (pages < 0) {
        fprintf(stderr, _("dorvels: --print-pdf: cannot write %s: %s\n"), file.c_str(), err.c_str());
        return 1;
    }
    printf(ngettext("wrote %s: the Present board of %s, %d page\n", "wrote %s: the Present board of %s, %d pages\n", pages),
           file.c_str(), inputfilename.empty() ? _("the dancers named") : inputfilename.c_str(), pages);
    return 0;
}
