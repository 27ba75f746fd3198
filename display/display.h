// SPDX-License-Identifier: GPL-3.0-or-later
// The main window and what every display shares: the window and widget globals, the font
// sets read from the resolution file, colours, spacings, notes and warnings, auto-scrolling.
// Included by every GUI source (display/, commands/, rfid/, dialogs/).
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "core/dorvels.h"
#include "core/screen.h"
#include "phone/page.h"

// ---- font sets ---------------------------------------------------------------------------
// One font set of the resolution file. Sets of the same screen width stand next to each
// other (a group), largest fonts first: prv = larger fonts, nxt = smaller.
struct Resolution {
    unsigned int screenwidth = 0;  // screen width this set is meant for
    std::string sdfont;            // cells of the squares, present and history boards
    std::string bttnfont1;         // name buttons of the edit display
    std::string bttnfont2;         // the six small buttons of an edit cell
    std::string lblfont1;          // labels of the setup dialog
    std::string lblfont2;          // note and warning windows
    int id = 0;                    // 1-based number of the set in file order
    unsigned int maxsqrcolqty = 0;   // most columns on a squares/present/history board
    unsigned int maxeditcolqty = 0;  // most columns on the edit display
    double sf = 1.0;               // screenwidth / screenwidth of the file's first set
    int meh = 0;                   // measured cell height (0 until measured)
    int mew = 0;                   // measured cell width (0 until measured)
    int rowqty = 0, colqty = 0;    // grid shape last used with this set
    Resolution* nxt = nullptr;
    Resolution* prv = nullptr;
};

// Defined in display/fonts.cpp.
extern Resolution* res;     // set of the edit display, starting point of the others
extern Resolution* sqrres;  // set of the squares, present and history boards
extern Resolution* R;       // set chosen for the screen at start-up
extern Resolution *rhd, *rtl;
extern int screenwidth, screenheight;  // pixels (the requested window size when given)
extern int fontsizechg;                // net font steps asked for by the operator (+ larger)

// Reads the resolution file (resfile, search list "DORVELS"), chooses the set for the
// screen and sets the auto-scroll base timing. Once, before the window exists.
void SetupResolutionList();
// Reads the sets of an open resolution file into the list (appending); the caller closes it.
void ReadResolutionFile(FILE* fp);
// Chooses R/res for a screen `width` pixels wide from the list read.
void ChooseResolution(int width);
// Frees the list of sets and forgets res, sqrres and R (tests, a fresh start).
void ResetResolutions();
// Auto-scroll base timing for a screen `height` pixels high.
void SetScrollerBase(int height);

int ChooseEditFont(const char* sdmaxname, int qtylbl, int* needscrolling);
int ChooseSqrFont(const char* sdmaxname, int qtylbl, int* needscrolling);
int MaxEntryWidth(Resolution* res, int* meh, const char* sdmaxname, int padding, FONTTYPE fonttype);
void MaxGrid(Resolution* res, const char* sdmaxname, int* cols, int* rows, int totentries);
// Width of a real homogeneous grid (spacing sp10) of rows x cols toggle buttons labelled
// `text` in `font`, built off-screen. MaxGrid computes the same width without building it.
int MeasureGridWidth(const char* font, const char* text, int rows, int cols);
int ChangeFontSize(int chg);
// Wanted number of columns for qtylbl cells: the rounded square root, plus one when short.
int WantedColumns(int qtylbl);
const char* strfont(const Resolution* res, FONTTYPE fonttype);
const char* strfonttype(FONTTYPE fonttype);

// ---- main window (display/mainwin.cpp) --------------------------------------------------------
extern GtkWidget* sdwin;        // the one top-level window
extern GtkWidget* sdgrid;       // the current content grid
extern GtkWidget* sdpop;        // the one pop-up window (note, warning, dancer dialog), or null
extern GtkWidget* sdnew;        // the new-dancer / setup window, or null
extern GtkWidget** gridlabel;   // labels of the squares/history board (g_free'd by cleanup)
extern GtkWidget** gridbttn;    // toggle buttons of the present board or the edit grid
extern int gridbttnqty;         // slots in gridbttn
extern GtkWidget* sqrslider;    // vertical scroll bar of a scrolling board, or null
extern GdkRGBA sqrcolor[COLORQTY];
extern GdkRGBA redpgmgdk, blkgdk;
extern int sp1, sp2, sp4, sp5, sp10, sp25;
// Fonts parsed from the current set: board cells, edit buttons, note and warning text.
extern PangoFontDescription *sdfont, *bttnfont1, *bttnfont2, *lblfont2;
// Key handler state (connected by KeybrdHandlerRestore, commands/).
extern int didhandler;
extern gulong keybrdhandlerid;
// The setup dialog's square-tag sliders and their labels; null while no setup dialog exists.
extern GtkWidget* squaretag_dancerslider[SQRTAGQTY];
extern GtkWidget* squaretag_dancerlabel[SQRTAGQTY];

void RunDisplay();
// With tracing at level 2 or more, writes the title and every text of the board shown to the
// trace, so that two runs of an evening (a recording and its replay) compare board by board.
void TraceBoard();
// Empties the window altogether (the kept edit display too) and closes the pop-ups.
void CleanupMainWindow();
// Shows a display's top widget in the window, as a page of its own (named, for a page that
// is kept while other displays show: "edit", and the boards "squares", "present", "history").
// The page shown before stays, hidden, only when it is a kept one.
void ShowInWindow(GtkWidget* top, const char* name = nullptr);
// The top widget of the display shown; null when none is.
GtkWidget* ShownDisplay();
// The display shown leaves the window (the kept edit display stays, hidden).
void EmptyWindow();
// Destroys the kept edit display (display/edit.cpp); every dancer lets go of its cell.
void EditViewDrop();
// The edit display, when shown, shows every dancer as the dancer is now.
void EditCellsRefresh();
// gridbttn lets go of its buttons (freed, unless they are the kept edit display's).
void ForgetGridBttn();
// Destroys the window or widget w points at, if any; w is null before it goes, so that the
// widget's own "destroy" handlers see it gone already.
void DestroyWidget(GtkWidget*& w);
void SetWinTitle(GtkWidget* win, const char* extra);
// Columns a text takes on a board: one per character, two for a wide (East Asian)
// character, none for a combining mark. Names are padded by this, not by their bytes.
int ShownWidth(const std::string& text);
// text right-justified to `width` columns with blanks.
std::string PadLeft(const std::string& text, int width);
// The title SetWinTitle gives (tests and tracing).
std::string WinTitle(const char* extra);
void GtkInitColors();
void SelectPgmColor(SqrDancer* sd);
void SetSpacing();
// Roster check made before a display switch; returns the number of problems warned about.
// With squares set, also the role balance needed to roll (only then do problems block).
int RosterProblems(bool squares);
// Sets the text colour of a widget for the normal state (CSS, since GTK 3 dropped the
// per-state override in all but name).
void SetWidgetColor(GtkWidget* w, const GdkRGBA* fg);
void SetWidgetBackground(GtkWidget* w, const GdkRGBA* bg);
void SetWidgetFont(GtkWidget* w, const PangoFontDescription* font);
// Shows a modal question dialog, runs it and destroys it; returns the answer. With `dflt`
// given, that answer's button is the default and has the focus, so that the Enter ending a
// card swiped meanwhile presses it and no other. A dialog destroyed while it runs (with its
// parent) answers GTK_RESPONSE_NONE and is not touched again.
int RunQuestion(GtkWidget* dlg, int dflt = GTK_RESPONSE_NONE);

// ---- where windows go ----------------------------------------------------------------------
// The monitor of the main window: where the window manager put it, or, before it is on the
// screen, the one it is going to (the primary monitor; the first one where no monitor is
// primary, as on Wayland). Null without a main window.
GdkMonitor* MainMonitor();
// On X, the main window goes back to the primary monitor when it is on another one (monitors
// came or went, and the window manager left it where the projector now stands).
void MainToPrimary();
// A pop-up (note, warning, menu, card pop-up) belongs to `parent` (the main window when null):
// transient for it, so that GTK on Wayland draws it as a part of that window instead of a
// window of its own that the compositor would give the keyboard focus. PlaceOverParent places
// it once its size is known: at the pointer with atpointer set, else centred.
void PopupBelongs(GtkWidget* pop, bool atpointer = false, GtkWidget* parent = nullptr);
// Centres a pop-up on the window it is transient for (the main window when none), or puts it
// at the pointer over that window (PopupBelongs), whole on that window's monitor, whatever
// monitor the pointer is on (GTK centres a GTK_WIN_POS_CENTER window on the pointer's).
void PlaceOverParent(GtkWidget* win);
// A dialog or window the operator opens: transient for the main window (unless it has a
// parent already) and centred on it, so that it never opens on the projector.
void DialogOverMain(GtkWidget* win);
// The window keeps its text colour when it is not the focused window (the theme's backdrop
// state greys text): the projector and the hall view are read across the hall.
void KeepColorsUnfocused(GtkWidget* w);

// The main window's "destroy": leaves the main loop and writes the club file (data 1).
void terminate(GtkWidget* window, gpointer data);

// ---- notes, warnings, auto-scrolling (display/notes.cpp) ------------------------------------
extern unsigned int scrollertime;  // auto-scroll tick, microseconds
extern double scrollerincr;        // auto-scroll speed factor

// A warning of any length (the start-up notice about the club files); GtkWarning cuts its
// text at 255 bytes.
void GtkWarningText(const std::string& text);
// A note of any length. Every note and warning wraps its lines within the main window's
// width.
void GtkNoteText(const std::string& text);
// True while the pop-up is a note or warning (not a dancer dialog, slider or QR code).
bool PopupIsNote();
// While held (start-up, before the main window is on the screen), notes and warnings go to
// stderr and wait with the start-up notice (TakeClubFileNotice) for the first display.
void HoldMessages(bool hold);
void TotDancersNote();
// The fairness note (key v): the dance-count spread, who sat out most and the mixing share
// of the evening so far; pressed again (or with another pop-up open) it closes the pop-up.
void FairnessNote();
void SqrDisplayAutoScroller();
void TimerAlarmUnix(int sig);
void TimerNoteUnix(int sig);
void AutoScrollSpeed(int chg);
// One auto-scroll step on the values of a scroll bar: value v, slider start s and end e.
// Updates the step state and returns the new value (the tick does this on the main loop).
double AutoScrollStep(double v, double s, double e);
// Puts the scroller's direction and end pause back to their start (tests, a fresh evening).
void ResetAutoScroller();
// Forgets the last timed-note text ("no message yet" again).
void ResetTimeNote();
// Stops the interval timer and forgets which handler owned it.
void StopIntervalTimer();
// The text of the pop-up's label ("" when no note or warning is open).
std::string PopupText();
// The one pop-up window sdpop made afresh (an open one is closed), belonging to the main
// window, with the pop-up font lblfont2 ready; the caller fills it, shows it and centres it
// (PlaceOverParent).
GtkWidget* NewPopup();

// ---- the phone page (display/phonepage.cpp) ---------------------------------------------------
// Starts the page's server; when it cannot listen, warns why and returns false.
bool PhonePageStart(const ServeOption& opt);
// --serve at start-up: asks for the page; once started, the address on standard output, or the reason it is off on standard
// error and in a warning once the window is up.
void PhonePageStartup(const ServeOption& opt);
// Starts the page asked for by PhonePageStartup, once the evening is resumed or begun.
void PhonePageStartPending();
// The i key: the page's address and its QR code in the pop-up (i again closes it), or a note
// that the page is off.
void PhonePageAddress();

// ---- defined by the other GUI parts -------------------------------------------------------
// Boards (display/squares.cpp, edit.cpp, historydisplay.cpp).
void SquareDisplay(EDITMODE neweditmode);
// Shows the present board again in the current font; nothing of the evening changes.
void PresentRetext();
// True when the present board of labels is the display shown: a switch to it again keeps its
// page, and the board's cells take their new texts in place if its shape stays.
bool PresentBoardKept();
void EditDisplay(EDITMODE neweditmode);
void HistoryDisplay();
// Shows the history board of `hist` again as it was shown last (same stripes), in the
// current font.
void HistoryRedisplay();
// Setup dialog (dialogs/).
void SetupDisplay(EDITMODE neweditmode);
// Key handler (commands/): connect / disconnect KeybrdHandler on sdwin; both idempotent.
// While suspended, keys typed into sdwin press nothing there; with cards, a card swiped into
// it still arrives (the card window or the command-card grid waits for one).
void KeybrdHandlerRestore();
void KeybrdHandlerSuspend(bool cards = false);
// The auto-scroll tick of a hall view that pages (display/hallview.cpp); false when no
// such view is shown.
bool HallViewTick();
// Main window's "button-press-event" (commands/): the pop-up menu on the right button, a
// partner's presence on a left double click.
gboolean BttnPress(GtkWidget* widget, GdkEventButton* event, gpointer data);
extern GtkWidget* menubttnpopup;  // the pop-up menu window, or null
extern unsigned int menubttnhit;  // right-button presses handled
// Closes the pop-up menu if it is open.
void MenuDestroy();
