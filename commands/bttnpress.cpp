// SPDX-License-Identifier: GPL-3.0-or-later
// Mouse buttons on the main window and the pop-up menu. A right press opens the menu, or
// closes the menu or the pop-up that is open; a left double click on one dancer of a couple
// gives the partner the opposite presence. The menu's entries perform their commands through
// the same dispatcher as the keys (MenuCmd).
#include "commands/menu.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "commands/keys.h"
#include "dialogs/spreadsheet.h"
#include "display/boards.h"
#include "display/display.h"
#include "files/record.h"
#include "support/helmtext.h"
#include "support/intl.h"

GtkWidget* menubttnpopup = nullptr;
unsigned int menubttnhit = 0;

// The clock second of the last right press handled: at most one per second opens or closes
// anything, so the second press of a double click does not close the menu the first opened.
static time_t lasttime = 0;

namespace {
// The menu entry that opens the attendance window, which has no key of its own.
constexpr char ATTENDANCEKEY = 1;

struct MenuEntry {
    char key;     // the hotkey whose command the entry performs
    int id;       // user data of the button's "clicked" signal
    int col, row; // place in the grid of buttons
    const char* label;    // padded to 30 characters when shown, so that the columns line up
    const char* tooltip;  // "\n" separates lines here, "\r" on the screen
};

// In grid order: column 0 and column 1 of each row, then the third column.
const MenuEntry menuentries[] = {
    {'a', 0, 0, 1, N_("a: availability display"),
         N_("\t\ta: availability display\n"
         "Two entries: Available and Unavailable\n"
         "Enter in one or more names or numeric ranges (###-###) for anonymous dancers,\n"
         "making the specified dancers available or unavailable")},
    {'n', 14, 1, 1, N_("n: new square dancer"),
         N_("\t\tn: new square dancer\n"
         "Generate a new square dancer - you will need to provide\n"
         "names:        first name, last name\n"
         "               ex.      A               B        one dancer named A  B\n"
         "               ex.    A&B            C         two dancers named A C and B C (partner)\n"
         "               ex.    A&B          C&D      two dancers named A C and B D (partner)\n"
         "luck or must: most dancers are luck dancers; some may be specified as\n"
         "                       must dancers who must dance (such as students)\n"
         "partner        : brings up a slider which can select a (compatible-only) partner\n"
         "sex              : M F MF FM E\n"
         "                      (male female prefer-M prefer F either)")},
    {'A', 1, 0, 2, N_("A: absent without notification"),
         N_("\t\tA: absent without notification\n"
         "When one or more dancers have left without checking out:\n"
         "displays dancers in a grid sorted by assigned square.\n"
         "Find out who's missing and click on that square;\n"
         "that dancer will then be made unavailable.")},
    {'o', 15, 1, 2, N_("o: make all (not) available"),
         N_("\t\to: make all (not) available\n"
         "The \"o\" hotkey will make all dancers not available, unless all dancers are\n"
         "already not available. In that case, \"o\" will make all dancers available.")},
    {'B', 27, 0, 3, N_("B: go back (reset dance)"),
         N_("\t\tB: go back (reset dance)\n"
         "If a file clubname.reset exists, will reset\n"
         "to that. Currently one will need to copy\n"
         "clubname.dorvel to clubname.reset outside of\n"
         "Dorvels.")},
    {'p', 16, 1, 3, N_("p: present display"),
         N_("\t\tp: present display\n"
         "The \"p\" hotkey generates the Present Display, a list of available dancers that\n"
         "can dance at the currently selected level. Show this display to dancers so they\n"
         "can tell you if they’re missing from the display. This display has blue and\n"
         "white stripes.")},
    {'c', 2, 0, 4, N_("c: current squares display"),
         N_("\t\tc: current squares display\n"
         "Restore the display to the current roll-up of\n"
         "squares display.")},
    {'q', 17, 1, 4, N_("q: quit (no save)"),
         N_("\t\tThe \"q\" hotkey tells Dorvels to quit without saving the pseudo-random number generator seeds.\n"
         "The \"q\" hotkey tells Dorvels to quit without saving the pseudo-random number\n"
         "generator seeds.")},
    {'d', 3, 0, 5, N_("d: display name style"),
         N_("\t\td: display name style\n"
         "Change the manner in which dancer's name are displayed.\n"
         "Lastname only  - Lastname-First Initial\n"
         "Firstname only - Firstname-Last Initial")},
    {'R', 28, 1, 5, N_("R: repeat last timed mesg"),
         N_("\t\tR:\n"
         "Repeat last timed note for three seconds")},
    {'e', 4, 0, 6, N_("e: edit display"),
         N_("\t\te: edit display\n"
         "Presents a grid of the square dancers in your club;\n"
         "each grid square contains a name and six special controls.\n"
         "Bright background means that a dancer is available for dancing;\n"
         "a dark background means that a dancer is absent/not available.\n"
         "Click on the dancer's name to change availability status.\n"
         "\tDel               : delete dancer from database\n"
         "\tLuck/Must         : most dancers are luck; use Must for students, etc\n"
         "\tName              : change (correct?) the square dancer's name\n"
         "\tPrtnr             : change the partner in a couple; convert to single\n"
         "\tBasic-SSD-DBD-etc : change the dancer's program level\n"
         "\tF M MF FM E       : change Dorvels' idea of a dancers dancing style")},
    {'r', 18, 1, 6, N_("r: roll up squares"),
         N_("\t\tr: roll up squares\n"
         "The “r” hotkey will bring up the Squares Display; it generates a new set of\n"
         "square assignments to dancers on a green and white background grid.\n"
         "\t\tlastname      : a couple with the same last name\n"
         "\t\tname:name     : a couple with different last names\n"
         "\t\tname+name     : two single dancers\n"
         "\t\tSngl#...+...  : two single dancers (anonymous, numbered)\n"
         "\t\tCouple#...    : a couple (anonymous, numbered)")},
    {'E', 5, 0, 7, N_("E: edit rfid association"),
         N_("\t\tE: edit rfid association\n"
         "When a rfid card is entered that Dorvels knows nothing about, it will\n"
         "present a display where you can associate the card with a dancing style\n"
         "or dancer's name. It will also inherit the current program level of the\n"
         "club.")},
    {'s', 19, 1, 7, N_("s: setup display"),
         N_("\t\ts: setup display\n"
         "The \"s\" hotkey brings up the Setup Display.\n"
         "Use this display to specify the club's name, the caller's name, the maximum\n"
         "squares your hall can handle")},
    {'f', 6, 0, 8, N_("f: slower autoscrolling"),
         N_("\t\tf: slower autoscrolling\n"
         "When the Present or Squares displays show a lot of dancers, Dorvels will\n"
         "scroll the display up and down to reveal all the dancers. Use the f key\n"
         "to slow down the scrolling.")},
    {'t', 21, 1, 8, N_("t: total dancers/clear mesg"),
         N_("\t\tt: total dancers/clear mesg\n"
         "Dorvels will generate a small popup containing totals (qty of dancers,\n"
         "qty of single dancers, etc).\n"
         "If a small popup already exists then a \"t\" will simply clear it off the screen.")},
    {'F', 7, 0, 9, N_("F: faster autoscrolling"),
         N_("\t\tF: faster autoscrolling\n"
         "When the Present or Squares displays show a lot of dancers, Dorvels will\n"
         "scroll the display up and down to reveal all the dancers. Use the F key\n"
         "to speed up the scrolling.")},
    {'T', 20, 1, 9, N_("T: click+tag dancer"),
         N_("\t\tT: click+tag dancer\n"
         "Using the Edit display (\"e\"):\n"
         " * change a dancer's availability to off (click on the name).\n"
         " * Follow that action by pressing \"T\".\n"
         "This action will restore the dancer's availability but also put the dancer on\n"
         "the tagged square dancer list.  Such dancers will be rolled up normally except\n"
         "that they will end up in the tagged dancer square. See the Setup Display (\"s\").")},
    {'h', 8, 0, 10, N_("h: newest to oldest history"),
         N_("\t\th: newest to oldest history\n"
         "Shows history; the h hotkey begins with the most recently saved Square Display\n"
         "and moves backwards in the list (also see H and u)")},
    {'u', 22, 1, 10, N_("u: use history display"),
         N_("\t\tu: use history display\n"
         "Makes the currently displaying history display into the current Squares Display.")},
    {'H', 9, 0, 11, N_("H: oldest to newest history"),
         N_("\t\tH: oldest to newest history\n"
         "Shows history; the H hotkey begins with the oldest saved Square Display and\n"
         "moves forward in the list (also see h and u)")},
    {'w', 24, 1, 11, N_("w: write"),
         N_("\t\tw: write\n"
         "The \"w\" hotkey tells Dorvels to write the [clubname].dorvel file with the dancer\n"
         "information (but not the number of dances danced).")},
    {'I', 10, 0, 12, N_("I: info on rfid association"),
         N_("\t\tI: info on rfid association\n"
         "Press 'I' then swipe a rfid tag.\n"
         "Will show the rfid tag number and the name of the associated square dancer.\n"
         "Use 't' to clear the message.")},
    {'W', 23, 1, 12, N_("W: write+save dance counts"),
         N_("\t\tW: write+save dance counts\n"
         "The \"W\" hotkey tells Dorvels to write the [clubname].dorvel file with the dancer\n"
         "information (including the number of dances danced).")},
    {'l', 11, 0, 13, N_("l: decrease program level"),
         N_("\t\tl: decrease program level\n"
         "A 'l' will decrease the current program level.\n"
         "The program level order is:\n"
         "\tBasic, SSD, Main, Plus, DBD, A1, A2, C1, C2, C3A, C3B, and C4.\n"
         "The club's current program level is shown in the main display titles\n"
         "(Edit, Present, Squares, History) and in the Setup Display.\n"
         "Program level is used to select which dancers are capable of dancing the\n"
         "current club's level and so modifies the 'r' key's action (roll squares).")},
    {'x', 26, 1, 13, N_("x: save using w then exit"),
         N_("\t\tx: save using w then exit\n"
         "The \"x\" hotkey tells Dorvels to do a \"w\" (write the [clubname].dorvel data) and\n"
         "then to exit. Does not include the quantity of dances each dancer danced.")},
    {'L', 12, 0, 14, N_("L: increase program level"),
         N_("\t\tL: increase program level\n"
         "A 'L' will increase the current program level.\n"
         "The program level order is:\n"
         "\tBasic, SSD, Main, Plus, DBD, A1, A2, C1, C2, C3A, C3B, and C4.\n"
         "The club's current program level is shown in the main display titles\n"
         "(Edit, Present, Squares, History) and in the Setup Display.\n"
         "Program level is used to select which dancers are capable of dancing the\n"
         "current club's level and so modifies the 'r' key's action (roll squares).")},
    {'X', 25, 1, 14, N_("X: save using W then exit"),
         N_("\t\tX: save using W then exit\n"
         "The \"X\" hotkey tells Dorvels to do a \"W\" (write the [clubname].dorvel data) and\n"
         "then to exit. Includes the quantity of dances each dancer danced.")},
    {'M', 13, 0, 15, N_("M: multiple rfid associate"),
         N_("\t\tM: multiple rfid associate\n"
         "Used to generate a lot of rfid tag associations with anonymous dancers.\n"
         "Select dancing style (couple, M, F, MF, FM, E) and program level (Basic ... C4).\n"
         "Then begin swiping rfid cards; the anonymous dancer number will increase by\n"
         "one on each swipe.")},
    {'z', 29, 1, 15, N_("z: command-card setup"),
         N_("\t\tz: the next card swiped will become a command card - the z display will then show allowing you to select which command.")},
    // The third column: the commands beyond the thirty above (hall view, projector window,
    // fairness, chart, phone page, printing, Escape); two columns of them would not fit a
    // screen 768 pixels high.
    {'V', 30, 2, 1, N_("V: hall view on/off"),
         N_("\t\tV: hall view on/off\n"
         "Shows the Squares Display for the back of the hall: the tip number large at the\n"
         "top, every name with its square number or \"Out\" as large as the screen allows,\n"
         "in pages that follow each other when there are too many names for one screen.\n"
         "The choice stays for the next tips, for c, h and H, and is kept in the club file.")},
    {'D', 40, 2, 2, N_("D: projector window on/off"),
         N_("\t\tD: projector window on/off\n"
         "Opens a second window for a projector or a TV in the hall: it shows the squares\n"
         "of the current tip in large letters (an earlier tip while the history is shown),\n"
         "while this window stays yours for Edit, Present and Setup. D again closes it.\n"
         "With a second screen it opens full-screen there; F11 or a double click in it\n"
         "switches full-screen on or off, Escape leaves full-screen.")},
    {'v', 31, 2, 3, N_("v: fairness of the evening"),
         N_("\t\tv: fairness of the evening\n"
         "Shows how fair and how mixed the evening has been: the spread of dance counts,\n"
         "who sat out most, and the share of the possible square-mates met.\n"
         "A second \"v\" clears the message.")},
    {'b', 32, 2, 4, N_("b: dance-count chart"),
         N_("\t\tb: dance-count chart\n"
         "Draws a bar chart of the tips each present dancer has danced tonight, with the\n"
         "dancers' names under the bars: in a window and in the file dorvelbars##.png.")},
    {'i', 33, 2, 5, N_("i: phone page address"),
         N_("\t\ti: phone page address\n"
         "Shows the address of the phone page and its QR code, so that dancers can look up\n"
         "their square on their phones. Switch the phone page on in the Setup Display (\"s\").\n"
         "A second \"i\" clears it.")},
    {'P', 34, 2, 6, N_("P: print the display shown"),
         N_("\t\tP: print the display shown\n"
         "Prints the Squares, Present or History Display as it is shown,\n"
         "or the club's roster from the Edit Display.")},
    {27, 35, 2, 7, N_("Esc: leave view, or quit"),
         N_("\t\tEsc: leave view, or quit\n"
         "Leaves the \"absent without notification\" display (A) for the Present Display,\n"
         "or finishes the open dancer pop-up; with nothing of that open it asks, as \"q\"\n"
         "does, whether to quit: QUIT then saves as closing the window does.")},
    {ATTENDANCEKEY, 41, 2, 8, N_("season attendance"),
         N_("\t\tseason attendance\n"
         "Shows who came on the evenings of the season and how many tips each danced,\n"
         "every evening with its dancers and tips, and who has not been seen for 4 weeks\n"
         "or more. The window saves the report as CSV and prints it.")},
};

struct LegendLine {
    const char* mouse;
    const char* action;
};
const LegendLine legend[] = {
    {N_("leftmouse"), N_(" : avail on/off")},
    {N_("ctrl-leftmouse"), N_(" : skip tip once")},
    {N_("luck, ctrl-leftmouse"), N_(" : must once")},
    {N_("avail off, S"), N_(" : skip alternate tips - last selected dancer")},
    {N_("avail on, S"), N_(" : remove all skips - last selected dancer")},
    {"+", N_(" : increase fontsize")},
    {"-", N_(" : decrease fontsize")},
};
}  // namespace

void MenuDestroy() {
    GtkWidget* w = menubttnpopup;
    menubttnpopup = nullptr;
    if (w) gtk_widget_destroy(w);
}

void ResetBttnPress() {
    MenuDestroy();
    lasttime = 0;
}

static void MenuGone(GtkWidget* w, gpointer) {
    if (menubttnpopup == w) menubttnpopup = nullptr;
}

// An entry's label in the operator's language, padded with blanks to 30 characters.
static std::string MenuLabel(const char* label) {
    std::string text = _(label);
    int chars = 0;
    for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
    if (chars < 30) text.append(30 - chars, ' ');
    return text;
}

// Builds and shows the menu: at the mouse, or centred on the main window for the menu keys.
static void MenuOpen(bool centred) {
    GtkWidget* win = gtk_window_new(GTK_WINDOW_POPUP);
    menubttnpopup = win;
    PopupBelongs(win, !centred);
    g_signal_connect(win, "destroy", G_CALLBACK(MenuGone), nullptr);
    // A right click on the menu closes it.
    gtk_widget_add_events(win, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(win, "button-press-event", G_CALLBACK(BttnPress), nullptr);

    // A pop-up window has no border of its own: the frame sets the menu off from the board.
    GtkWidget* frame = gtk_frame_new(nullptr);
    gtk_container_add(GTK_CONTAINER(win), frame);
    GtkWidget* vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, sp2);
    gtk_container_add(GTK_CONTAINER(frame), vbox);

    GtkWidget* bttns = gtk_grid_new();  // row 0 stays empty
    for (const MenuEntry& e : menuentries) {
        GtkWidget* b = gtk_button_new_with_label(MenuLabel(e.label).c_str());
        // The hotkeys line up at the left edge of each column.
        gtk_label_set_xalign(GTK_LABEL(gtk_bin_get_child(GTK_BIN(b))), 0);
        std::string tip = _(e.tooltip);
        std::replace(tip.begin(), tip.end(), '\n', '\r');
        gtk_widget_set_tooltip_text(b, tip.c_str());
        g_signal_connect(b, "clicked", G_CALLBACK(MenuCallback), GINT_TO_POINTER(e.id));
        gtk_grid_attach(GTK_GRID(bttns), b, e.col, e.row, 1, 1);
    }
    gtk_box_pack_start(GTK_BOX(vbox), bttns, FALSE, FALSE, 0);

    GtkWidget* mouse = gtk_grid_new();
    gtk_grid_attach(GTK_GRID(mouse), gtk_label_new("-----------------------------"), 0, 0, 2, 1);
    int row = 1;
    for (const LegendLine& l : legend) {
        gtk_grid_attach(GTK_GRID(mouse), gtk_label_new(_(l.mouse)), 0, row, 1, 1);
        GtkWidget* action = gtk_label_new(_(l.action));
        gtk_widget_set_halign(action, GTK_ALIGN_START);
        gtk_grid_attach(GTK_GRID(mouse), action, 1, row, 1, 1);
        ++row;
    }
    gtk_box_pack_start(GTK_BOX(vbox), mouse, FALSE, FALSE, 0);
    gtk_widget_show_all(frame);
    PlaceOverParent(win);
    gtk_widget_show(win);
}

void MenuCallback(GtkWidget*, void* ptr) {
    int id = GPOINTER_TO_INT(ptr);
    DPRINTF(1, "MenuCallback(id=%d)\n", id);
    // A command that runs a dialog of its own runs a main loop inside this handler: a click
    // that reaches the menu meanwhile is not acted on.
    static int nesting = 0;
    if (nesting > 0) return;
    const MenuEntry* entry = nullptr;
    for (const MenuEntry& e : menuentries)
        if (e.id == id) entry = &e;
    if (!entry) {
        Record("(MenuCallback) -\n");
        return;
    }
    ++nesting;
    // The menu steps aside at once, so that no dialog the command opens is hidden under it.
    if (menubttnpopup) gtk_widget_hide(menubttnpopup);
    if (entry->key == ATTENDANCEKEY) {
        Record("(MenuCallback) <attendance>\n");
        MenuDestroy();
        AttendanceWindow();
    } else {
        MenuCmd(entry->key);
        MenuDestroy();
    }
    --nesting;
}

static const char* strevent(GdkEventType type) {
    switch (type) {
        case GDK_BUTTON_PRESS: return "bttn-press";
        case GDK_2BUTTON_PRESS: return "2bttn-press";
        case GDK_3BUTTON_PRESS: return "3bttn-press";
        default: return "other";
    }
}

// The name button of sd on the current grid, or null. The edit display makes the cell of a
// dancer out of view first.
static GtkWidget* GridButton(SqrDancer* sd) {
    if (!gridbttn || sd->gridposn < 0 || sd->gridposn >= gridbttnqty) return nullptr;
    if (editmode == EDIT) EditCellMade(sd);
    return gridbttn[sd->gridposn];
}

// What a press does, once it is recorded: a right press opens or closes (unless within the
// second of the last one), a left double click on a couple's name gives the partner the
// opposite presence.
static gboolean PressActs(GdkEventType type, guint button, bool centred, bool taken) {
    if (type == GDK_BUTTON_PRESS && button == 3) {
        ++menubttnhit;
        if (!taken) return TRUE;
        if (sdpop) {
            // The menu key asks for the menu: a note in its way closes and the menu opens.
            // A right click only closes what is open.
            bool note = centred && PopupIsNote();
            GtkWidget* w = sdpop;
            sdpop = nullptr;
            gtk_widget_destroy(w);
            if (note && !menubttnpopup) MenuOpen(centred);
        } else if (menubttnpopup) {
            MenuDestroy();
            sdtoggled = nullptr;
        } else {
            MenuOpen(centred);
        }
        return TRUE;
    }

    if (type == GDK_2BUTTON_PRESS && button == 1 && sdtoggled && sdtoggled->partner) {
        // A double click on a name button of a couple: the clicked dancer keeps the presence it
        // had, and the partner gets the opposite. GTK reports the double click between the
        // second press and the second release, and that release toggles the clicked dancer
        // back to where it started; so the partner takes the state the first click gave,
        // which the clicked dancer is about to leave. (Setting the clicked dancer's button
        // here as well would be undone by the release and leave both in the same state.)
        // The partner changes through its grid button, whose "toggled" handler does the work.
        SqrDancer* sd = sdtoggled;
        if (GtkWidget* partner = GridButton(sd->partner))
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(partner), !sd->avail);  // pressed in = absent
        sdtoggled = nullptr;
    }
    return FALSE;
}

gboolean BttnPress(GtkWidget*, GdkEventButton* event, gpointer data) {
    if (!event) return FALSE;
    DPRINTF(1, "BttnPress(event<%s> button=%u x=%g y=%g)\n", strevent(event->type), event->button, event->x, event->y);
    // The button, and a right press within the second of the last one (which does nothing),
    // are recorded too, so that a replay does what the press did.
    bool right = event->type == GDK_BUTTON_PRESS && event->button == 3;
    time_t now = time(nullptr);
    bool taken = !right || now > lasttime;
    if (right) lasttime = now;
    bool centred = event->x == 0 && event->y == 0;
    Record("(BttnPress) event<%s> data=%d button=%u%s%s\n", strevent(event->type), GPOINTER_TO_INT(data),
           event->button, centred ? " centred" : "", taken ? "" : " ignored");
    return PressActs(event->type, event->button, centred, taken);
}

void ReplayBttnPress(const std::string& text) {
    unsigned button = 0;
    size_t at = text.find(" button=");
    if (at == std::string::npos || sscanf(text.c_str() + at, " button=%u", &button) != 1) return;
    GdkEventType type = text.compare(0, 18, "event<2bttn-press>") == 0 ? GDK_2BUTTON_PRESS
                        : text.compare(0, 17, "event<bttn-press>") == 0 ? GDK_BUTTON_PRESS
                                                                         : GDK_NOTHING;
    PressActs(type, button, text.find(" centred") != std::string::npos,
              text.find(" ignored") == std::string::npos);
}

void ReplayMenuCallback(const std::string& text) {
    // The entry of the recorded hotkey, as if its button were clicked.
    // The attendance window changes nothing: a replay passes it by.
    if (text == "<attendance>") return;
    char key = text == "<esc>" ? 27 : text.empty() ? 0 : text[0];
    for (const MenuEntry& e : menuentries)
        if (key && e.key == key) return MenuCallback(nullptr, GINT_TO_POINTER(e.id));
}
