// SPDX-License-Identifier: GPL-3.0-or-later
// The boards the hall reads (squares, present, history), the edit grid, and the ways the
// operator changes who is present by hand: name-button clicks, the availability dialog, the
// Luck/Must button and the "absent without notice" buttons of the present board.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <utility>
#include <vector>

#include "display/display.h"

// ---- availability (display/avail.cpp) ---------------------------------------------------
extern SqrDancer* sdblock;        // anchor of a Shift-click block while it is processed
extern GtkWidget* sdavail;        // the availability dialog, or null
extern GtkWidget* avail_entry;    // its "Available" entry
extern GtkWidget* unavail_entry;  // its "Unavailable" entry
extern long availdispsigid;       // id of the dialog's "destroy" handler; -1 = none

// "toggled" handler of every name button of the edit grid (psd = the dancer). Looks at the
// current GTK event: Shift-release = block change from sdtoggled, Ctrl-release = skip-tip.
void ToggleAvail(GtkToggleButton* bttn, void* psd);
// Sets avail without running ToggleAvail (handler blocked while the button is set).
void SetToggleAvail(SqrDancer* sd, int avail);
// "toggled" handler of the present board's buttons while Aflag is set: the dancer left
// without notice after the roll.
void Awon(GtkToggleButton* bttn, void* psd);
void AvailDisplay();
void AvailAction(GtkWidget* bttn, void* action);
// Applies one line of the availability dialog (names, anonymous numbers, ranges "3-5").
// The names of the text (forgiving case and accents: "köhler", "Lammle" for Lämmle) and the
// numbers of anonymous dancers become available or not. Returns the words that found nobody.
std::string AvailByName(const gchar* buf, int avail);
// "clicked" handler of a dancer's Luck/Must button; Ctrl-click = for one tip only.
void LuckMustBttn(GtkWidget* bttn, void* psd);
// The ToggleAvail decision for an explicit modifier state (what a click with these keys
// held does). ToggleAvail reads the state from the current event and calls this.
void ToggleAvailWith(GtkToggleButton* bttn, SqrDancer* sd, bool shift, bool ctrl);
// The same for the Luck/Must button.
void LuckMustBttnWith(GtkWidget* bttn, SqrDancer* sd, bool onetip);
// The replay of the lines written by ToggleAvail, SetToggleAvail, Awon, LuckMustBttn and
// AvailAction: the same click, on the same dancer, once more.
void ReplayToggleAvail(const std::string& text);
void ReplaySetToggleAvail(const std::string& text);
void ReplayAwon(const std::string& text);
void ReplayLuckMustBttn(const std::string& text);
void ReplayAvailAction(const std::string& text);

// Sets the text of the label inside a button (its font stays).
void SetButtonText(GtkWidget* bttn, const char* text);
// Keeps a widget alive until the main loop is idle: a handler that rebuilds the display
// destroys the button whose signal is still being emitted.
void KeepUntilIdle(gpointer w);

// ---- the dancer dialogs' buttons of an edit cell -------------------------------------------
// "clicked" handlers of the small buttons of an edit cell (psd = the dancer), defined by the
// dancer dialogs (dialogs/): delete, name, partner, level and role.
void DelBttn(GtkWidget* bttn, void* psd);
void NameBttn(GtkWidget* bttn, void* psd);
void PartnerBttn(GtkWidget* bttn, void* psd);
void PgmBttn(GtkWidget* bttn, void* psd);
void SexBttn(GtkWidget* bttn, void* psd);

// ---- the kept edit display (display/edit.cpp) ------------------------------------------------
// sd's cell of the edit display, made now if its row has not been in view yet; its frame, or
// null when the edit display has no cell for sd.
GtkWidget* EditCellMade(SqrDancer* sd);
// The cells made so far, in cell order: each one's dancer (null when deleted since) and name
// toggle.
std::vector<std::pair<SqrDancer*, GtkWidget*>> EditCellsMade();

// ---- reading the boards back (tests, tracing) --------------------------------------------
// Number of cells of the current squares/present/history board (labels or buttons).
int BoardCellQty();
// The widget of cell i (a label, or a toggle button on the present board with Aflag).
GtkWidget* BoardCell(int i);
// Text shown by a board cell or an edit cell's name button.
std::string CellText(GtkWidget* w);
// Grid shape of the board just built.
extern int boardcolqty, boardrowqty;

// ---- shared by the squares, present and history boards (display/squares.cpp) -----------
// A grid of equal rows and columns with the given spacing between cells.
GtkWidget* BoardGrid(int spacing);
// Empties the window and makes a fresh sdgrid unless sdgrid is fresh already.
void BoardFreshGrid();
// Parses the sdfont of sqrres into the global sdfont.
void BoardFont();
// Font choice and grid shape for totentries cells whose widest text is maxname.
void BoardShape(const char* maxname, int totentries, int* colqty, int* rowqty, int* doscrollable);
// Background by row (even rows COLOR_squares1, odd rows oddcolor) and the board font.
void BoardCellStyle(GtkWidget* w, int row, COLOR oddcolor);
// Font of a label, or of the label inside a button, as a Pango attribute (no style provider
// per widget: thousands of those make building and tearing down a display slow).
void BoardFontOf(GtkWidget* w, const PangoFontDescription* font);
// Background of a widget through a style class shared by every widget of that colour.
void BoardBackgroundOf(GtkWidget* w, const GdkRGBA* color);
// The style class that gives a widget the background colour (made once per colour).
std::string BoardBackgroundClass(const GdkRGBA* color);
// Puts sdgrid into sdwin, inside a scrolled window (sqrslider) when doscrollable.
void BoardPack(bool doscrollable);
// Shows texts on the board of labels (odd rows in colour odd), colqty x rowqty in the font
// sdfont, scrolling when doscrollable: the kept board takes them in place when its shape and
// font are the same, else it is built anew. Its page stays in the window while other
// displays show.
void BoardOfLabels(const std::vector<std::string>& texts, int colqty, int rowqty, bool doscrollable, COLOR odd);
// The board of labels shown leaves the window and is not kept: the next board of its kind
// is built anew.
void BoardForgetShown();
// Remembers the cells of the board just built (labels or buttons) and its shape.
void BoardRemember(GtkWidget** labels, GtkWidget** bttns, int qty, int cols, int rows);
// Builds the squares board of the last roll again as it was (V), without rolling.
void SquaresBoardAgain();
// The texts of that board's cells (also while the hall view shows them instead).
std::vector<std::string> SquaresBoardTexts();
// A board text as saved with its tip ("  Smith: Out") as the hall reads it: the word for a
// dancer sitting out in the operator's language. The saved texts keep the word as data.
std::string ShownBoardText(const std::string& saved);

// The legend of the edit display shown (what a name button present or absent looks like),
// or null.
GtkWidget* EditLegend();
// The scrolled window of the edit display shown, or null (no edit display, or one that fits).
GtkWidget* EditScrolled();

// ---- the hall view (display/hallview.cpp) --------------------------------------------------
// The Squares display for the back of the hall, shown instead of the board while hallview
// is set: the tip number large at the top, then every entry of the board in name order, in
// the largest font that fills the window; pages that follow each other when even the
// smallest readable font does not fit. The projector window (display/projector.h) shows one
// of its own.
// Starts the entries of tip `tip` (with history set, an earlier tip shown from the history:
// marked so, in the history's colour); adds one: the board's name part, where it joins two
// dancers' names (npos: one name) and the square number (0 = sits out).
void HallViewBegin(int tip, bool history = false);
void HallViewAdd(const std::string& name, size_t joint, int square);
// Adds the entry of a board text as the squares board shows it ("name: 3", "name: Out"; the
// history keeps these).
void HallViewAddText(const std::string& text);
// Builds the hall view of the entries into the window (emptied here).
void HallViewBuild();
// True while the window shows the hall view.
bool HallViewShown();
// The V key: the Squares and History displays show the other view of the same tip (no
// roll), or, on the other displays, the next Squares display will.
void HallViewSwitch();
// + and - on the hall view: its font a step larger (chg > 0) or smaller; counts, tips and
// history stay. Returns 0, or -1 (with a note) when there is no further step.
int HallViewFontStep(int chg);

// ---- reading the hall view back (tests, tracing) --------------------------------------------
struct HallViewFacts {
    int fontpx = 0;        // font size of the entries, pixels
    int letter = 0;        // height of its capital letters, pixels
    int tippx = 0;         // font size of the tip number
    int tipletter = 0;     // height of its capital letters
    int minpx = 0;         // smallest readable size for this window
    int cols = 0, rows = 0;  // cells of a page
    int pages = 0, page = 0;
    bool twolines = false;   // couples of two names take two lines
    int width = 0, height = 0;  // the window size the view was fitted to
};
// One entry of a hall view: the name on one line, the name on two (line2 empty: one line
// only), and the square number or "Out".
struct HallEntry {
    std::string joined, line1, line2, tag;
};
// The entry of a board name part (as HallViewAdd takes it).
HallEntry HallEntryOf(const std::string& name, size_t joint, int square);
// The entry of a squares board text as the history keeps it ("   Jones:Brown:  3",
// "Lee: Out"); the name breaks where the board joins two names.
HallEntry HallEntryOfText(const std::string& text);

// One hall view and the widgets it is made of, while they live.
class HallView {
public:
    // Makes the view of `entries` for the window `host` of w x h pixels: the heading "Tip N"
    // (with history set, marked as a tip of the history), the entries below. The first page
    // is laid out in `firstgrid` when one is given. Returns the view's top widget, for the
    // caller to put into the window. When the window later takes another size, `refit` is
    // called once the main loop is idle. Without `firstgrid`, a view of the same window size,
    // fonts and layout (the next tip of the same dancers) keeps its widgets: its cells take
    // the new texts in place and the same top widget is returned.
    GtkWidget* Build(GtkWidget* host, int w, int h, const std::vector<HallEntry>& entries, int tip,
                     bool history, GtkWidget* firstgrid = nullptr);
    // Makes the view shown before the first tip: the club's name and that squares will follow.
    GtkWidget* BuildWaiting(GtkWidget* host, int w, int h, const std::string& club);
    void ShowPage(int page);
    // The next page (round again after the last); false when the view has one page only.
    bool NextPage();

    GtkWidget* top = nullptr;       // the view's top box
    GtkWidget* tiplabel = nullptr;  // "Tip 3"
    GtkWidget* pagelabel = nullptr; // "1/3" while paging
    GtkWidget* pagebox = nullptr;   // the box of page grids inside the scrolled window
    GtkWidget* slider = nullptr;    // that scrolled window's bar, while paging
    std::vector<GtkWidget*> cells;  // one box per entry, in entry order
    HallViewFacts facts;
    int pageticks = 0;              // auto-scroll ticks the current page has been shown
    void (*refit)() = nullptr;

private:
    static void Forget(GtkWidget*, gpointer view);
    static void Allocated(GtkWidget*, GdkRectangle* a, gpointer view);
    static gboolean Refit(gpointer view);
    void Hold(GtkWidget* top, int w, int h);
    guint refitid = 0;
    std::string shape;  // window size, fonts and layout the cells were made for
};

HallViewFacts HallViewNow();
// The cells (a box of the name label and the square-number label), in entry order.
std::vector<GtkWidget*> HallViewCells();
GtkWidget* HallViewTipLabel();
// Height in pixels of a capital letter in the font (the ink of "H").
int LetterHeight(const PangoFontDescription* font);
