// SPDX-License-Identifier: GPL-3.0-or-later
// The hotkeys of the main window. KeybrdHandler turns a key event into one command
// character, KeybrdCmd performs it. The RFID reader types like a keyboard: ten digits and a
// carriage return, collected here and handed to the card check-in.
#include "commands/keys.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "assign/assign.h"
#include "dialogs/dancer.h"
#include "dialogs/setup.h"
#include "display/boards.h"
#include "display/display.h"
#include "display/print.h"
#include "display/projector.h"
#include "files/clubfile.h"
#include "files/record.h"
#include "files/replay.h"
#include "files/statistics.h"
#include "history/history.h"
#include "registry/registry.h"
#include "rfid/rfid.h"
#include "support/helmtext.h"
#include "support/intl.h"

// ---- number entry -----------------------------------------------------------------------------
// nmbrbuf keeps at most 19 digits and its terminator; further digits are only counted, so a
// long burst can neither overrun the buffer nor pass as a card number at Enter.
static char nmbrbuf[20] = "";
static char* nmbr = nmbrbuf;
static int nmbrcnt = 0;  // digits typed since the last Enter, kept or not

std::string KeybrdNumber() { return nmbrbuf; }
int KeybrdDigitCount() { return nmbrcnt; }

static void NumberClear() {
    nmbr = nmbrbuf;
    nmbrbuf[0] = '\0';
    nmbrcnt = 0;
}

void ResetKeybrd() { NumberClear(); }

static void NumberDigit(char c) {
    if (nmbr < nmbrbuf + sizeof(nmbrbuf) - 1) {
        *nmbr++ = c;
        *nmbr = '\0';
    }
    if (nmbrcnt < INT_MAX) ++nmbrcnt;
}

// Carriage return or line feed: a number of exactly ten digits is a card, handed to whoever
// waits for the next card; anything else is rejected with a warning. The buffer is empty
// afterwards in every case (and already while the card is handled).
static void NumberEnd() {
    Record("(KeybrdCmd) %s\n", nmbrbuf);
    if (nmbrcnt != 10) {
        GtkWarning(_("(KeybrdCmd) expecting number with 10 digits, got %d instead!  (input rejected)\n"),
                   nmbrcnt);
        NumberClear();
        return;
    }
    char card[11];
    memcpy(card, nmbrbuf, sizeof card);
    NumberClear();
    if (!RfidParse(card)) {  // 0 stands for "no card" everywhere
        GtkWarning(_("(KeybrdCmd) %s is no card number  (input rejected)\n"), card);
        return;
    }
    if (Mflag) RfidMDisplay(card);
    else if (zflag) RfidSpecCardDisplay(card);
    else if (NDflag) RfidNewDancerAssoc(card);
    else if (skiptipflag) RfidSkipTip(card);
    else RfidDisplay(card);
}

// ---- key handler connection -------------------------------------------------------------------
// The window the handler was connected to: a rebuilt main window (or a new one in the
// tests) counts as not connected, so that restoring connects the current one.
static GtkWidget* handlerwin = nullptr;
// While the hotkeys are suspended the main window keeps KeybrdBehind, on behindwin.
static GtkWidget* behindwin = nullptr;
static gulong behindid = 0;
static bool behindcards = false;  // the window over it waits for cards (KeybrdHandlerSuspend)

// The command character of a key event: 0 for a key without text (left to GTK), -1 for a
// text of several characters. Some card readers type on the keypad: its digits and Enter
// count as the main keys whatever their text.
static int KeyChar(const GdkEventKey* event) {
    if (!event) return 0;
    if (event->keyval >= GDK_KEY_KP_0 && event->keyval <= GDK_KEY_KP_9)
        return '0' + (int)(event->keyval - GDK_KEY_KP_0);
    if (event->keyval == GDK_KEY_KP_Enter) return '\r';
    if (!event->string || !event->string[0]) return 0;
    return event->string[1] ? -1 : (unsigned char)event->string[0];
}

static bool SwipeChar(int c) { return (c >= '0' && c <= '9') || c == '\r' || c == '\n'; }

// The main window's keys while a dialog or card window has the hotkeys (the operator clicked
// the main window meanwhile, or the reader types into it): no key with a text reaches the
// widget that has the focus there, so that neither a card's Enter nor a space presses a name
// button and changes a dancer's presence. A card swiped into it still arrives when the window
// over it waits for cards.
static gboolean KeybrdBehind(GtkWidget*, GdkEventKey* event, gpointer) {
    int c = KeyChar(event);
    if (c == 0) return FALSE;
    if (behindcards && SwipeChar(c)) KeybrdCmd((char)c);
    return TRUE;
}

static void BehindDisconnect() {
    if (behindwin && behindid && g_signal_handler_is_connected(behindwin, behindid))
        g_signal_handler_disconnect(behindwin, behindid);
    if (behindwin) g_object_remove_weak_pointer(G_OBJECT(behindwin), (gpointer*)&behindwin);
    behindwin = nullptr;
    behindid = 0;
}

void KeybrdHandlerSuspend(bool cards) {
    behindcards = cards;
    if (!didhandler) return;
    GtkWidget* win = handlerwin;
    if (handlerwin && keybrdhandlerid && g_signal_handler_is_connected(handlerwin, keybrdhandlerid))
        g_signal_handler_disconnect(handlerwin, keybrdhandlerid);
    if (handlerwin) g_object_remove_weak_pointer(G_OBJECT(handlerwin), (gpointer*)&handlerwin);
    handlerwin = nullptr;
    didhandler = 0;
    keybrdhandlerid = 0;
    BehindDisconnect();
    if (win && win == sdwin) {
        behindid = g_signal_connect(win, "key-press-event", G_CALLBACK(KeybrdBehind), nullptr);
        behindwin = win;
        g_object_add_weak_pointer(G_OBJECT(behindwin), (gpointer*)&behindwin);
    }
}

void KeybrdHandlerRestore() {
    if (didhandler && handlerwin && handlerwin == sdwin) return;
    if (didhandler) KeybrdHandlerSuspend();  // connected to a window that is gone
    BehindDisconnect();
    behindcards = false;
    if (!sdwin) return;
    gtk_widget_add_events(sdwin, GDK_KEY_PRESS_MASK);
    keybrdhandlerid = g_signal_connect(sdwin, "key-press-event", G_CALLBACK(KeybrdHandler), nullptr);
    handlerwin = sdwin;
    g_object_add_weak_pointer(G_OBJECT(handlerwin), (gpointer*)&handlerwin);
    didhandler = 1;
}

gboolean KeybrdHandler(GtkWidget*, GdkEventKey* event, gpointer) {
    // F1 types nothing; it is where a newcomer looks for help, so it opens the menu as m does.
    if (event && event->keyval == GDK_KEY_F1) {
        KeybrdCmd('m');
        return TRUE;
    }
    int c = KeyChar(event);
    if (c == 0) return FALSE;
    if (c > 0) KeybrdCmd((char)c);
    return TRUE;
}

gboolean KeybrdSwipeHandler(GtkWidget*, GdkEventKey* event, gpointer) {
    int c = KeyChar(event);
    if (!SwipeChar(c)) return FALSE;
    // Enter without digits is the operator's: it presses the button that has the focus. A
    // card's Enter, after its digits, never does.
    if ((c == '\r' || c == '\n') && nmbrcnt == 0) return FALSE;
    KeybrdCmd((char)c);
    return TRUE;
}

bool KeybrdTakesCards() { return !didhandler && behindcards; }

bool KeyboardTaken() { return sdwin && (!didhandler || DancerPopupOpen()); }

// ---- helpers ------------------------------------------------------------------------------
static void ShowMain() {
    if (sdwin) gtk_widget_show_all(sdwin);
}

static void DestroyPopup() { DestroyWidget(sdpop); }

// Shows the current tip again without rolling a new one: the state before the roll is put
// back and the same roll is made once more (its first record is replaced, not doubled).
static void RedrawSquaresSameTip() {
    RepeatRollDisplay();
    SwitchDisplay(SQUARES);
}

// Rebuilds the display of the current mode; the squares board keeps its tip.
static void RedrawCurrent() {
    if (editmode == SQUARES && tipcnt > 0)
        RedrawSquaresSameTip();
    else
        SwitchDisplay(editmode);
}

// ---- commands with more than a line ------------------------------------------------------------
// The menu's d changes the style in every mode; the key refuses outside the four boards that
// show names. Both record the style chosen, so that a replay chooses it too.
static void NameStyle(bool menu) {
    bool names = editmode == SQUARES || editmode == EDIT || editmode == PRESENT || editmode == HISTORY;
    if (!names && !menu) {
        Record("(KeybrdCmd) d\n");
        GtkTimeNote(3, _("d not supported in %s mode"), Streditmode());
        return;
    }
    switch (dispnamestyle) {
        case LASTNAME: dispnamestyle = LASTFI; break;
        case LASTFI: dispnamestyle = FIRSTNAME; break;
        case FIRSTNAME: dispnamestyle = FIRSTLI; break;
        default: dispnamestyle = LASTNAME; break;
    }
    Record("(%s) d style<%s>\n", menu ? "MenuCallback" : "KeybrdCmd", strdispnamestyle());
    SetupDispNames();
    SortByName();
    if (!names) {
        GtkTimeNote(3, _("d not supported with %s"), Streditmode());
        return;
    }
    RedrawCurrent();
    ShowMain();
}

// j (chg -1) and J (chg +1): one column fewer or more on the current board.
static void ColumnCount(int chg) {
    if (editmode == SETUP || editmode == BEGIN) {
        GtkWarning(_("editmode<%s> not supported for column decrease\n"), streditmode());
        SwitchDisplay(editmode);
        return;
    }
    Resolution* preset = nullptr;  // the preset whose count changes
    unsigned int Resolution::*count = nullptr;
    bool editcount = false;        // the note names maxeditcolqty
    switch (editmode) {
        case SQUARES:
            preset = sqrres;
            count = &Resolution::maxsqrcolqty;
            break;
        case EDIT:
            preset = res;
            count = &Resolution::maxeditcolqty;
            editcount = chg > 0;
            break;
        case PRESENT:
            preset = sqrres;
            count = chg < 0 ? &Resolution::maxeditcolqty : &Resolution::maxsqrcolqty;
            break;
        default:  // HISTORY
            preset = chg < 0 ? sqrres : res;
            count = chg < 0 ? &Resolution::maxeditcolqty : &Resolution::maxsqrcolqty;
            break;
    }
    if (!preset) {  // no font set chosen yet: nothing to change
        RedrawCurrent();
        return;
    }
    unsigned int& n = preset->*count;
    bool floor = false;
    if (chg < 0) {
        if (n <= 1) {
            n = 1;
            floor = true;
        } else {
            --n;
        }
    } else {
        ++n;
    }
    if (sqrres && sqrres->maxsqrcolqty < 1) sqrres->maxsqrcolqty = 1;
    RedrawCurrent();
    // The note comes after the redraw: a switch closes every pop-up.
    if (floor)
        GtkWarning(_("editmode<%s>: cannot decrease qty columns below 1\n"), streditmode());
    else if (editcount)
        GtkNote(_("editmode<%s>: screenwidth=%d maxeditcolqty=%d\n"), streditmode(),
                (int)preset->screenwidth, (int)preset->maxeditcolqty);
    else
        GtkNote(_("editmode<%s>: screenwidth=%d maxsqrcolqty=%d\n"), streditmode(),
                (int)preset->screenwidth, (int)preset->maxsqrcolqty);
}

// k: removes the newest dancer (and its partner). Every display is drawn again, so that no
// button or dialog is left holding a dancer that is gone: the squares board rolls anew, the
// history board shows its tip again when that tip is still kept (the edit grid otherwise).
static void RemoveNewest() {
    SqrDancer* last = sdtl;
    History* shown = hist;
    if (last) {
        SqrDancer* partner = last->partner;
        if (partner && partner != last) DelDancer(partner);
        DelDancer(last);
    }
    SetupDispNames();
    SortByName();
    if (editmode == HISTORY) {
        for (History* h = histhd; h; h = h->nxt)
            if (h == shown) hist = shown;
        SwitchDisplay(hist ? HISTORY : EDIT);
    } else if (editmode != BEGIN) {
        SwitchDisplay(editmode);
    }
}

static void ProgramLevel(int chg) {
    if (chg < 0 && pgmfloor > Basic) pgmfloor = SDPGM(pgmfloor - 1);
    if (chg > 0 && pgmfloor < C4) pgmfloor = SDPGM(pgmfloor + 1);
    if (sdwin && (editmode == EDIT || editmode == PRESENT))
        SwitchDisplay(editmode);
    else
        GtkTimeNote(3, _("must be in Edit or Present mode to use %c"), chg < 0 ? 'l' : 'L');
}

static void EverybodyAvail(bool menu) {
    if (editmode != EDIT && editmode != PRESENT) {
        if (menu)
            GtkTimeNote(4, _("need to be in Edit or Present Displays!\n"));
        else
            GtkTimeNote(4, _("\"o\" only works in Edit or Present modes!\n"));
        return;
    }
    RePartner();
    bool anyavail = false;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->avail) anyavail = true;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        sd->avail = anyavail ? 0 : 1;
        sd->dances = 0;
    }
    SwitchDisplay(editmode);
}

static void SkipRequest() {
    if (editmode != EDIT) {
        GtkWarning(_("S is supported in edit mode only"));
        return;
    }
    SqrDancer* sd = sdtoggled;
    if (!sd) {
        GtkWarning(_("toggle a dancer's availability first"));
        return;
    }
    if (!sd->avail) {
        // A dancer keeps one skip request: an older one is replaced.
        while (SkipTip* old = SkipTipFind(sd)) SkipTipFree(old);
        SkipTipAppend(sd, tipcnt + 2);
        sd->skip = 2;
        SetupTooltip(sd);
        GtkNote(_("%s is available alternately, starting with tip#%d"), sd->firstlast.c_str(), tipcnt + 2);
    } else {
        while (SkipTip* st = SkipTipFind(sd)) {
            SkipTipFree(st);
            sd->skip = 0;
            SetupTooltip(sd);
            GtkNote(_("%s will not skip a tip"), sd->firstlast.c_str());
        }
    }
    sdtoggled = nullptr;
}

// The availability dialog on or off.
static void AvailToggle() {
    prehistory = 0;
    if (sdavail) {
        // Closed without applying anything, and without the dialog's own close handler.
        GtkWidget* w = sdavail;
        if (availdispsigid > 0 && g_signal_handler_is_connected(w, (gulong)availdispsigid))
            g_signal_handler_disconnect(w, (gulong)availdispsigid);
        availdispsigid = -1;
        sdavail = avail_entry = unavail_entry = nullptr;
        gtk_widget_destroy(w);
        if (sdwin)
            ShowMain();
        else
            SwitchDisplay(EDIT);
    } else {
        if (editmode != EDIT) SwitchDisplay(EDIT);
        ShowMain();
        AvailDisplay();
    }
}

// The shown tip becomes the current one. Its dance counts stay as HistoryUse restored them
// (the counts right after that tip): putting back the counts from before its roll here
// would make every dancer of the tip lose it while it is shown as the current tip.
static void UseHistory() {
    HistoryUse();
    if (hist) {
        HistoryChange(0);
    } else {
        SwitchDisplay(EDIT);
    }
    ShowMain();
    hist = nullptr;
}

// w and W: the operator saves on purpose (also a file that could not be read at the start).
static void WriteKey(int keepdances) {
    if (WriteDorvels(keepdances, true)) GtkNote(_("wrote <%s>"), outputfilename.c_str());
}

static bool AskQuit(bool write);

static void Escape(const char* who) {
    Record("(%s) <esc>\n", who);
    prehistory = 0;
    if (Aflag) {
        Aflag = 0;
        SetupDispNames();
        SwitchDisplay(PRESENT);
    } else if (sdpop) {
        DoneBttn(sdpop, currsd);
        if (mapi2sd) {
            free(mapi2sd);
            mapi2sd = nullptr;
            mapi2sdqty = 0;
            if (currsd) currsd->tmppartner = nullptr;
            currsd = nullptr;
        }
    } else if (menubttnpopup) {
        // Escape is how one leaves a menu, not the evening.
        MenuDestroy();
    } else if (AskQuit(true)) {
        // Pressed to close a note that was gone already, it must not end the evening: it
        // asks as q does, and QUIT then saves as closing the window does.
        terminate(sdwin, GINT_TO_POINTER(1));
    }
}

std::string QuitQuestion(bool write) {
    if (write) return strprintf(_("Write the club file <%s> and quit?"), outputfilename.c_str());
    char at[16] = "";
    time_t t = ClubSavedAt();
    struct tm tm;
    if (t > 0 && localtime_r(&t, &tm)) strftime(at, sizeof at, "%H:%M", &tm);
    return strprintf(_("Quit without writing the changes since %s to the club file?"), at) + "\n" +
           _("(The evening is offered again at the next start.)");
}

bool QuitConfirmDialog(bool write) {
    GtkWidget* dlg = gtk_dialog_new_with_buttons(
        _("Are you sure?"), sdwin ? GTK_WINDOW(sdwin) : nullptr,
        GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), _("QUIT"),
        GTK_RESPONSE_ACCEPT, _("CANCEL"), GTK_RESPONSE_REJECT, nullptr);
    GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dlg));
    gtk_container_set_border_width(GTK_CONTAINER(area), (guint)sp10);
    GtkWidget* lbl = gtk_label_new(QuitQuestion(write).c_str());
    gtk_label_set_line_wrap(GTK_LABEL(lbl), TRUE);
    if (lblfont2) SetWidgetFont(lbl, lblfont2);
    gtk_container_add(GTK_CONTAINER(area), lbl);
    // CANCEL is the default: a card swiped while the dialog is open ends with Enter, which
    // must not end the evening.
    return RunQuestion(dlg, GTK_RESPONSE_REJECT) == GTK_RESPONSE_ACCEPT;
}

// The quit question; the answer is recorded, and a replay takes it from the record instead of
// asking.
static bool AskQuit(bool write) {
    bool quit = Replaying() ? ReplayAnswer("QuitConfirmDialog") == "QUIT" : QuitConfirmDialog(write);
    Record("(QuitConfirmDialog) %s\n", quit ? "QUIT" : "CANCEL");
    return quit;
}

// The pop-ups close before the question, so that none of them hides it.
static void Quit(const char* who) {
    Record("(%s) q\n", who);
    DestroyPopup();
    MenuDestroy();
    Record("(%s) q\n", who);
    if (AskQuit(false)) terminate(sdwin, GINT_TO_POINTER(0));
}

// c: the current tip again. The key shows it from the history; the menu rolls it once more
// on the squares board, which gives the same squares only while nothing the roll depends on
// has changed since it was made (presence, the roster, requests, the level). Otherwise, or
// with no tip yet, or backed up before the first tip, the menu does what the key does: a
// new roll shown as the current tip would put dancers into squares other than the ones they
// are dancing in.
static void CurrentSquares(bool menu) {
    if (menu && !prehistory && LastRollRepeatable()) {
        tipcnt = histtl->tipcnt;  // an older tip shown from the history changed it
        RedrawSquaresSameTip();
        ShowMain();
    } else if (tipcnt < 1 && !prehistory) {
        GtkWarning(_("no current Squares display yet"));
    } else {
        HistoryChange(0);
        Aflag = 0;
    }
}

// The menu key: a right-button press at (0, 0) with no widget, which opens the menu centred
// on the screen, or closes the menu or pop-up that is open.
static void MenuKey() {
    GdkEventButton press = {};
    press.type = GDK_BUTTON_PRESS;
    press.button = 3;
    BttnPress(nullptr, &press, nullptr);
}

// ---- the dispatcher ------------------------------------------------------------------------
// One command character, from a key (menu false) or from an entry of the pop-up menu (menu
// true). An entry is recorded under MenuCallback's name, and it keeps the pending card
// states and the toggled dancer, which a key resets first.
static void Dispatch(char cmd, bool menu) {
    const char* who = menu ? "MenuCallback" : "KeybrdCmd";
    DPRINTF(1, "%s(cmd<%s>)\n", who, cprt((unsigned char)cmd).c_str());
    bool digit = cmd >= '0' && cmd <= '9';
    bool multicard = Mflag;  // the M key switches by the mode as it was

    // The replay's keys are no part of the evening replayed: they leave its pending states,
    // its number entry and the last toggled dancer as they are.
    if (cmd == 'g' || cmd == 'G') {
        ReplayKey(cmd == 'G');
        return;
    }

    if (!menu) {
        // Pending card restore.
        if (zflag) RfidPendingRestore();
        // Any key but a digit or a carriage return cancels the pending states.
        if ((Eflag || Iflag || Mflag || NDflag || skiptipflag || zflag) && !digit && cmd != '\r')
            Eflag = Iflag = Mflag = NDflag = skiptipflag = zflag = 0;
        if (cmd != 'm' && cmd != '?' && cmd != 'S' && cmd != 'T') sdtoggled = nullptr;
    }

    if (digit) {
        NumberDigit(cmd);
        return;
    }
    if (cmd == '\r' || cmd == '\n') {
        NumberEnd();
        return;
    }

    switch (cmd) {
        case 'a': case 'A': case 'b': case 'B': case 'c': case 'D': case 'e': case 'E': case 'f': case 'F':
        case 'h': case 'H': case 'i': case 'I': case 'j': case 'J': case 'k': case 'l': case 'L':
        case 'm': case 'M': case 'n': case 'o': case 'p': case 'P': case 'Q': case 'r': case 'R':
        case 's': case 'S': case 't': case 'T': case 'u': case 'v': case 'V': case 'w': case 'W':
        case 'x': case 'X': case 'z': case '-': case '+': case '?':
            Record("(%s) %c\n", who, cmd);
            break;
        default: break;
    }

    switch (cmd) {
        case 'a': AvailToggle(); break;
        case 'A':
            if (tipcnt < 1) {
                GtkWarning(_("no Squares display yet!"));
            } else {
                Aflag = !Aflag;
                SwitchDisplay(PRESENT);
                GtkTimeNote(3, _("Use c to return to Squares"));
            }
            break;
        case 'b': GenDanceBars(); break;
        case 'B': ResetB(); break;
        case 'c': CurrentSquares(menu); break;
        case 'd': NameStyle(menu); break;
        case 'D': ProjectorToggle(); break;
        case 'e':
            prehistory = 0;
            SwitchDisplay(EDIT);
            ShowMain();
            break;
        case 'E': RfidAssocPending(); break;
        case 'f': AutoScrollSpeed(-1); break;
        case 'F': AutoScrollSpeed(1); break;
        case 'h': HistoryChange(-1); break;
        case 'H':
            prehistory = 0;
            HistoryChange(1);
            break;
        case 'i': PhonePageAddress(); break;
        case 'I': RfidInfoPending(); break;
        case 'j': ColumnCount(-1); break;
        case 'J': ColumnCount(1); break;
        case 'k': RemoveNewest(); break;
        case 'l': ProgramLevel(-1); break;
        case 'L': ProgramLevel(1); break;
        case 'm': case '?': MenuKey(); break;
        case 'M': RfidMultiCardSwitch(!multicard); break;
        case 'n': NewDancerCmd(); break;
        case 'o': EverybodyAvail(menu); break;
        case 'p':
            prehistory = 0;
            SetupDispNames();
            SortByName();
            SwitchDisplay(PRESENT);
            ShowMain();
            break;
        case 'P':
            // A replay changes no paper: the print dialog would wait for the operator.
            if (!Replaying()) PrintShownBoard();
            break;
        case 'q': Quit(who); break;
        case 'Q': terminate(sdwin, GINT_TO_POINTER(0)); break;
        case 'r':
            prehistory = 0;
            SwitchDisplay(SQUARES);
            ShowMain();
            break;
        case 'R': GtkTimeNote(3, nullptr); break;
        case 's':
            // An open dialog is brought to the front as it is: nothing typed into it is lost.
            if (SetupOpen())
                gtk_window_present(GTK_WINDOW(sdnew));
            else
                SwitchDisplay(SETUP);
            break;
        case 'S': SkipRequest(); break;
        case 't': TotDancersNote(); break;
        case 'T': SqrTagDancer(); break;
        case 'u': UseHistory(); break;
        case 'v': FairnessNote(); break;
        case 'V': HallViewSwitch(); break;
        case 'w': WriteKey(0); break;
        case 'W': WriteKey(1); break;
        case 'x': terminate(sdwin, GINT_TO_POINTER(1)); break;
        case 'X': terminate(sdwin, GINT_TO_POINTER(2)); break;
        case 'z': RfidCmdCardPending(menu ? _("z pending - swipe a card") : _("z pending - pls swipe a card")); break;
        case '-': ChangeFontSize(-1); break;
        case '+': ChangeFontSize(1); break;
        case 27:
            // The menu's entry acts as the key does with the menu closed.
            if (menu) MenuDestroy();
            Escape(who);
            break;
        default:
            Record("(%s) %s  (unsupported)\n", who, cprt((unsigned char)cmd).c_str());
            break;
    }
}

void KeybrdCmd(char cmd) { Dispatch(cmd, false); }

void MenuCmd(char cmd) { Dispatch(cmd, true); }
