// SPDX-License-Identifier: GPL-3.0-or-later
#include "test_keys_util.h"

#include "test_boards_util.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "commands/keys.h"
#include "commands/menu.h"
#include "dialogs/dancer.h"
#include "display/display.h"
#include "display/projector.h"
#include "files/clubfile.h"
#include "registry/registry.h"
#include "rfid/rfid.h"
#include "support/helmtext.h"

std::vector<std::string> answered_buttons;

RosterFacts RosterNow(bool counts) {
    RosterFacts facts;
    // A dancer whose partner is absent dances single tonight and loses its own link, while
    // the absent partner keeps pointing at it: the couple is the same either way.
    std::map<const SqrDancer*, const SqrDancer*> pointedby;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->partner && sd->partner != sd) pointedby[sd->partner] = sd;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        DancerFacts f;
        f.sex = strsex(sd->sex);
        f.pgm = strpgm(sd->pgm);
        const SqrDancer* p = sd->partner && sd->partner != sd ? sd->partner : pointedby[sd];
        f.partner = p ? p->firstname + " " + p->lastname : "";
        f.dances = counts ? sd->dances : 0;
        f.avail = sd->avail;
        f.priority = sd->priority == MUST ? 1 : 0;
        f.rfid = sd->rfid;
        facts[sd->firstname + " " + sd->lastname] = f;
    }
    return facts;
}

void PrintTo(const DancerFacts& f, std::ostream* os) {
    *os << "{" << f.sex << " " << f.pgm << " dances=" << f.dances << " avail=" << f.avail
        << " must=" << f.priority << " rfid=" << f.rfid << " partner<" << f.partner << ">}";
}

std::string FactsDiff(const RosterFacts& a, const RosterFacts& b) {
    std::ostringstream out;
    auto show = [&](const std::string& name, const RosterFacts& x) {
        auto it = x.find(name);
        if (it == x.end()) {
            out << "-";
        } else {
            PrintTo(it->second, &out);
        }
    };
    std::map<std::string, int> names;
    for (auto& [n, f] : a) names[n] |= 1;
    for (auto& [n, f] : b) names[n] |= 2;
    for (auto& [n, where] : names) {
        if (where == 3 && a.at(n) == b.at(n)) continue;
        out << n << ": ";
        show(n, a);
        out << " vs ";
        show(n, b);
        out << "\n";
    }
    return out.str();
}

// Names compared with an underscore and a blank taken as the same.
static std::string Blanks(std::string s) {
    for (char& c : s)
        if (c == '_') c = ' ';
    return s;
}

// Dance counts of the dancer lines: "first last role L|M dances avail pgm ...".
static std::map<std::string, int> FileCounts(const std::string& path) {
    std::map<std::string, int> counts;
    for (const std::string& line : FileLines(path)) {
        std::istringstream in(line);
        std::vector<std::string> w;
        for (std::string t; in >> t;) w.push_back(t);
        if (w.size() < 7 || w[0][0] == '%' || (w[3] != "M" && w[3] != "L")) continue;
        counts[Blanks(w[0] + " " + w[1])] = atoi(w[4].c_str());
    }
    return counts;
}

RosterFacts ReadBack(const std::string& path) {
    // The reader appends to the roster and sets the club's settings: put the evening aside,
    // read into an empty roster, take its facts, then free it and bring the evening back.
    SqrDancer *hd = sdhd, *tl = sdtl;
    PS* savedps = ps;
    VarHash* savedhash = varhash;
    FILE* savedrflag = rflag;
    std::string club = clubname, call = caller, out = outputfilename, in = inputfilename;
    SDPGM floor = pgmfloor;
    int size = squaresize, ask = askflag, scroll = scrollerincrchg, rw = Rflag, st = Sflag;
    int acnt = anoncnt;
    int acounts[6];
    memcpy(acounts, anoncounts, sizeof acounts);
    uint64_t cards[SPECCARDQTY];
    memcpy(cards, speccard, sizeof cards);
    DISPNAME style = dispnamestyle;
    EDITMODE mode = editmode;

    sdhd = sdtl = nullptr;
    ps = nullptr;
    varhash = nullptr;
    rflag = nullptr;
    RosterFacts facts;
    if (FILE* fp = fopen(path.c_str(), "r")) {
        ReadDorvels(fp);
        fclose(fp);
        facts = RosterNow(true);
        std::map<std::string, int> counts = FileCounts(path);
        for (auto& [name, f] : facts) {
            auto it = counts.find(Blanks(name));
            f.dances = it == counts.end() ? -1 : it->second;
        }
    }
    while (sdhd) DelDancer(sdhd);
    if (ps) ps_free(ps, 0);
    if (varhash) VarHashFree(varhash, 0);
    if (rflag) fclose(rflag);

    sdhd = hd;
    sdtl = tl;
    ps = savedps;
    varhash = savedhash;
    rflag = savedrflag;
    clubname = club;
    caller = call;
    outputfilename = out;
    inputfilename = in;
    pgmfloor = floor;
    squaresize = size;
    askflag = ask;
    scrollerincrchg = scroll;
    Rflag = rw;
    Sflag = st;
    anoncnt = acnt;
    memcpy(anoncounts, acounts, sizeof acounts);
    memcpy(speccard, cards, sizeof cards);
    dispnamestyle = style;
    editmode = mode;
    return facts;
}

void Pump() {
    for (int i = 0; i < 10000 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
}

void KeysWindow::SetUp() {
    Evening::SetUp();
    ResetKeybrd();
    ResetBttnPress();
    dir = EnterNewDir("keys", &saved_cwd);
    outputfilename = "club.dorvel";
    ResetResolutions();
    SetupResolutionList();
    sdwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_add_events(sdwin, GDK_BUTTON_PRESS_MASK);
    g_signal_connect(sdwin, "button-press-event", G_CALLBACK(BttnPress), nullptr);
    gtk_window_maximize(GTK_WINDOW(sdwin));
    GtkInitColors();
    KeybrdHandlerRestore();
    gtk_widget_show_all(sdwin);
    Pump();
}

void ClubWindow::SetUp() {
    KeysWindow::SetUp();
    BuildClub(8, 2, 2);
    SwitchDisplay(EDIT);
    Pump();
}

void KeysWindow::TearDown() {
    ProjectorClose();
    CancelAnswers();
    StopIntervalTimer();
    ResetBttnPress();
    CleanupMainWindow();
    GtkWidget* w = sdwin;
    sdwin = nullptr;
    if (w) gtk_widget_destroy(w);
    KeybrdHandlerSuspend();
    Pump();
    ResetKeybrd();
    LeaveDir(saved_cwd);
    Evening::TearDown();
}

std::string KeysWindow::StartRecording() {
    rflag = fopen("keys.record", "w");
    EXPECT_NE(rflag, nullptr);
    return "keys.record";
}

std::vector<std::string> KeysWindow::Recorded() {
    if (rflag) fflush(rflag);
    return FileLines("keys.record");
}

int DanceSum() {
    int n = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) n += sd->dances;
    return n;
}

int HistoryQty() {
    int n = 0;
    for (History* h = histhd; h; h = h->nxt) ++n;
    return n;
}

// Hands GTK a mouse event for the window of w as if the X server had sent it, then lets GTK
// finish what it causes.
static void Deliver(GdkEvent* ev, GtkWidget* w) {
    GdkWindow* gw = w ? gtk_widget_get_window(w) : nullptr;
    if (!gw) {
        gdk_event_free(ev);
        ADD_FAILURE() << "no window to send the event to";
        return;
    }
    ev->any.window = GDK_WINDOW(g_object_ref(gw));
    ev->any.send_event = TRUE;
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    gdk_event_set_device(ev, gdk_seat_get_pointer(seat));
    gtk_main_do_event(ev);
    gdk_event_free(ev);
    Pump();
}

// A key press for the window win as the X server delivers it.
static GdkEvent* KeyEvent(GtkWidget* win, guint keyval, const char* text, guint state) {
    GdkWindow* gw = win ? gtk_widget_get_window(win) : nullptr;
    if (!gw) return nullptr;
    GdkEvent* ev = gdk_event_new(GDK_KEY_PRESS);
    ev->key.window = GDK_WINDOW(g_object_ref(gw));
    ev->key.send_event = TRUE;
    ev->key.time = GDK_CURRENT_TIME;
    ev->key.state = state;
    ev->key.keyval = keyval;
    ev->key.string = g_strdup(text);
    ev->key.length = (gint)strlen(text);
    // Key bindings (Enter activating an entry) go by the key's hardware code.
    GdkKeymapKey* keys = nullptr;
    gint nkeys = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()), keyval, &keys,
                                          &nkeys) && nkeys > 0) {
        ev->key.hardware_keycode = (guint16)keys[0].keycode;
        ev->key.group = (guint8)keys[0].group;
    }
    g_free(keys);
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    gdk_event_set_device(ev, gdk_seat_get_keyboard(seat));
    return ev;
}

// The release of the key pressed in ev. A keyboard lets every key go at once: a button
// pressed with Enter or space is clicked then, not a quarter second later by GTK's timer.
static GdkEvent* KeyRelease(const GdkEvent* press) {
    GdkEvent* ev = gdk_event_copy(press);
    ev->type = GDK_KEY_RELEASE;
    return ev;
}

void SendKeyTo(GtkWidget* win, guint keyval, const char* text, guint state) {
    GdkEvent* ev = KeyEvent(win, keyval, text, state);
    ASSERT_NE(ev, nullptr);
    GdkEvent* up = KeyRelease(ev);
    g_object_add_weak_pointer(G_OBJECT(win), (gpointer*)&win);
    gtk_main_do_event(ev);
    if (win) {  // unless the press closed the window
        g_object_remove_weak_pointer(G_OBJECT(win), (gpointer*)&win);
        gtk_main_do_event(up);
    }
    gdk_event_free(up);
    gdk_event_free(ev);
    Pump();
}

void QueueKeys(GtkWidget* win, const std::string& s, bool keypad, uint32_t gapms) {
    uint32_t t = (uint32_t)(g_get_monotonic_time() / 1000);
    for (char c : s) {
        char text[2] = {c, 0};
        guint keyval = gdk_unicode_to_keyval((guint32)(unsigned char)c);
        if (c == '\r') keyval = keypad ? GDK_KEY_KP_Enter : GDK_KEY_Return;
        else if (keypad && c >= '0' && c <= '9') keyval = GDK_KEY_KP_0 + (guint)(c - '0');
        GdkEvent* ev = KeyEvent(win, keyval, text, 0);
        ASSERT_NE(ev, nullptr);
        if (gapms) ev->key.time = t += gapms;
        GdkEvent* up = KeyRelease(ev);
        gdk_event_put(ev);
        gdk_event_put(up);
        gdk_event_free(up);
        gdk_event_free(ev);
    }
}

void SendKey(guint keyval, const char* text, guint state) {
    SendKeyTo(DancerPopupOpen() ? sdpop : sdwin, keyval, text, state);
}

void TypeTo(GtkWidget* win, const std::string& s) {
    if (!win) return;
    g_object_add_weak_pointer(G_OBJECT(win), (gpointer*)&win);
    for (char c : s) {
        if (c == '\r')
            SendKeyTo(win, GDK_KEY_Return, "\r");
        else if (c == '\n')
            SendKeyTo(win, GDK_KEY_Linefeed, "\n");
        else if (c == 27)
            SendKeyTo(win, GDK_KEY_Escape, "\x1b");
        else {
            char text[2] = {c, 0};
            SendKeyTo(win, gdk_unicode_to_keyval((guint32)(unsigned char)c), text);
        }
        if (!win || !sdwin) break;  // the window went away (the dialog closed, the program ended)
    }
    // Also when the program ended: its window lives on, and its end must not write into a
    // stack frame long gone.
    if (win) g_object_remove_weak_pointer(G_OBJECT(win), (gpointer*)&win);
}

void Type(const std::string& s) {
    if (sdwin) TypeTo(sdwin, s);
}

std::string Title() {
    if (!sdwin) return "";
    const char* t = gtk_window_get_title(GTK_WINDOW(sdwin));
    return t ? t : "";
}

bool ClickName(SqrDancer* sd, guint state) {
    if (!sd || !ClickButton(sd->availbttn, state)) return false;
    Pump();
    return true;
}

void PressButton(GtkWidget* w, guint button, double x, double y, GdkEventType type) {
    GdkEvent* ev = gdk_event_new(type);
    ev->button.x = x;
    ev->button.y = y;
    ev->button.button = button;
    Deliver(ev, w);
}

static void CollectMenuButtons(GtkWidget* w, gpointer data) {
    if (GTK_IS_BUTTON(w))
        static_cast<std::vector<GtkWidget*>*>(data)->push_back(w);
    else if (GTK_IS_CONTAINER(w))
        gtk_container_forall(GTK_CONTAINER(w), CollectMenuButtons, data);
}

std::vector<GtkWidget*> MenuButtons() {
    std::vector<GtkWidget*> out;
    if (menubttnpopup) CollectMenuButtons(menubttnpopup, &out);
    // gtk_container_forall on a grid gives its children newest first.
    std::reverse(out.begin(), out.end());
    return out;
}

GtkWidget* MenuButton(char key) {
    for (GtkWidget* b : MenuButtons()) {
        const char* l = gtk_button_get_label(GTK_BUTTON(b));
        if (l && (key == 27 ? strncmp(l, "Esc:", 4) == 0 : l[0] == key && l[1] == ':')) return b;
    }
    return nullptr;
}

static void CollectButtons(GtkWidget* w, gpointer data) {
    auto* out = static_cast<std::vector<std::string>*>(data);
    if (GTK_IS_BUTTON(w)) {
        const char* l = gtk_button_get_label(GTK_BUTTON(w));
        if (l) out->push_back(l);
    }
    if (GTK_IS_CONTAINER(w)) gtk_container_forall(GTK_CONTAINER(w), CollectButtons, data);
}

namespace {
struct Answer {
    std::string title;
    std::function<void(GtkWidget*)> act;
    int tries = 0;
    std::shared_ptr<bool> done;
    guint source = 0;
};
std::vector<guint> pending_answers;  // answerers still waiting for their dialog
}  // namespace

static gboolean AnswerTick(gpointer data) {
    auto* a = static_cast<Answer*>(data);
    GList* tops = gtk_window_list_toplevels();
    GtkWidget* found = nullptr;
    for (GList* l = tops; l; l = l->next) {
        GtkWidget* w = GTK_WIDGET(l->data);
        const char* t = gtk_window_get_title(GTK_WINDOW(w));
        if (GTK_IS_DIALOG(w) && gtk_widget_get_visible(w) && t && a->title == t) found = w;
    }
    g_list_free(tops);
    if (found || ++a->tries > 250) std::erase(pending_answers, a->source);
    if (found) {
        answered_buttons.clear();
        CollectButtons(found, &answered_buttons);
        *a->done = true;
        a->act(found);
    }
    return found || a->tries > 250 ? G_SOURCE_REMOVE : G_SOURCE_CONTINUE;
}

std::shared_ptr<bool> WhenDialog(const char* title, std::function<void(GtkWidget*)> act) {
    auto done = std::make_shared<bool>(false);
    auto* a = new Answer{title, std::move(act), 0, done};
    a->source = g_timeout_add_full(G_PRIORITY_DEFAULT, 20, AnswerTick, a,
                                   [](gpointer p) { delete static_cast<Answer*>(p); });
    pending_answers.push_back(a->source);
    return done;
}

std::shared_ptr<bool> AnswerDialog(const char* title, int response) {
    return WhenDialog(title, [response](GtkWidget* dlg) { gtk_dialog_response(GTK_DIALOG(dlg), response); });
}

void CancelAnswers() {
    for (guint id : pending_answers) g_source_remove(id);
    pending_answers.clear();
}

void BuildClub(int couples, int singlesM, int singlesF) {
    static const char* last[] = {"Adams", "Baker", "Clark", "Davis", "Evans", "Fox", "Green",
                                 "Hill", "Irwin", "Jones", "King", "Lee", "Moore", "Nash",
                                 "Owens", "Price", "Quinn", "Reed", "Stone", "Young"};
    for (int i = 0; i < couples; ++i)
        AddCouple(strprintf("Al%d", i), strprintf("Bea%d", i), last[i % 20] + std::to_string(i / 20));
    for (int i = 0; i < singlesM; ++i) AddDancer(strprintf("Mo%d", i), "Single", M);
    for (int i = 0; i < singlesF; ++i) AddDancer(strprintf("Flo%d", i), "Single", F);
    SortByName();
}

std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

GtkWidget* KeyTarget() {
    if (DancerPopupOpen()) return sdpop;
    return sdnew && gtk_widget_get_visible(sdnew) ? sdnew : sdwin;
}

void Swipe(uint64_t card, bool keypad) {
    QueueKeys(KeyTarget(), strprintf("%010lu\r", card), keypad);
    Pump();
}

static void AddButtons(GtkWidget* w, gpointer data) {
    if (GTK_IS_BUTTON(w)) static_cast<std::vector<GtkWidget*>*>(data)->push_back(w);
    else if (GTK_IS_CONTAINER(w)) gtk_container_forall(GTK_CONTAINER(w), AddButtons, data);
}

std::vector<GtkWidget*> ButtonsOf(GtkWidget* root) {
    std::vector<GtkWidget*> found;
    if (root) gtk_container_forall(GTK_CONTAINER(root), AddButtons, &found);
    return found;
}

GtkWidget* ButtonLabelled(GtkWidget* root, const std::string& label) {
    for (GtkWidget* b : ButtonsOf(root)) {
        const char* l = gtk_button_get_label(GTK_BUTTON(b));
        if (l && label == l) return b;
    }
    return nullptr;
}

bool ActOnCardWindows(unsigned pick) {
    if (speccardgrid && sdpop) {
        std::vector<GtkWidget*> bs = ButtonsOf(sdpop);
        GtkToggleButton* b = GTK_TOGGLE_BUTTON(bs[pick % bs.size()]);
        gtk_toggle_button_set_active(b, !gtk_toggle_button_get_active(b));
    } else if (rfidslider && sdpop) {
        GtkAdjustment* adj = gtk_range_get_adjustment(GTK_RANGE(rfidslider));
        int top = (int)gtk_adjustment_get_upper(adj);
        gtk_range_set_value(GTK_RANGE(rfidslider), pick % (unsigned)(top + 1));
        if (pick % 3) gtk_button_clicked(GTK_BUTTON(rfidsliderbttn));
    } else if (sdnew && gtk_widget_get_visible(sdnew)) {
        std::vector<GtkWidget*> bs = ButtonsOf(sdnew);
        if (bs.empty()) return false;
        GtkWidget* b = bs[pick % bs.size()];
        if (GTK_IS_RADIO_BUTTON(b)) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(b), TRUE);
        else gtk_button_clicked(GTK_BUTTON(b));
    } else {
        return false;
    }
    Pump();
    return true;
}
