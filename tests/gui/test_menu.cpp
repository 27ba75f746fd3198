// SPDX-License-Identifier: GPL-3.0-or-later
// The pop-up menu and the mouse on the main window, driven through GTK's event dispatch:
// right presses open and close the menu, its entries do what their keys do, the menu keys
// open it centred, and a double click on one dancer of a couple sets the partner.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "commands/keys.h"
#include "commands/menu.h"
#include "display/boards.h"
#include "display/display.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/rndm.h"
#include "dialogs/spreadsheet.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {

// Waits for a new clock second: the menu acts on at most one right press per second, so the
// presses that follow fall into the same second, and one after the next wait into another.
void NextSecond() {
    time_t t = time(nullptr);
    while (time(nullptr) == t) g_usleep(2000);
}

bool StartsWith(const std::string& s, const std::string& head) { return s.rfind(head, 0) == 0; }

class Menu : public ClubWindow {
protected:
    void RightClick() { PressButton(sdwin, 3, 200, 150); }
    // Opens the menu with a right click and chooses the entry of key.
    void Choose(char key) {
        if (!menubttnpopup) {
            ResetBttnPress();  // whatever second the last right press fell into
            RightClick();
        }
        ASSERT_NE(menubttnpopup, nullptr);
        ASSERT_TRUE(ClickButton(MenuButton(key))) << key;
        Pump();
    }
};

// Thirty entries in two columns, the eight beyond them in a third; it fits 1024x768.
TEST_F(Menu, EntriesInThreeColumnsAndTheMouseLegend) {
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
    gdk_device_warp(pointer, gdk_screen_get_default(), 250, 180);
    gdk_display_sync(gdk_display_get_default());
    RightClick();
    ASSERT_NE(menubttnpopup, nullptr);
    EXPECT_EQ(gtk_window_get_window_type(GTK_WINDOW(menubttnpopup)), GTK_WINDOW_POPUP);
    Pump();
    int x = 0, y = 0;  // at the pointer
    gdk_window_get_origin(gtk_widget_get_window(menubttnpopup), &x, &y);
    EXPECT_EQ(x, 250);
    EXPECT_EQ(y, 180);
    GtkRequisition size;
    gtk_widget_get_preferred_size(menubttnpopup, nullptr, &size);
    EXPECT_TRUE(size.width <= 1024 && size.height <= 768) << size.width << "x" << size.height;

    std::vector<GtkWidget*> bttns = MenuButtons();
    ASSERT_EQ(bttns.size(), 38u);
    GtkWidget* attendancebttn = nullptr;  // opens the season attendance window
    std::string columns[3] = {std::string(15, ' '), std::string(15, ' '), std::string(15, ' ')};
    for (GtkWidget* b : bttns) {
        std::string label = gtk_button_get_label(GTK_BUTTON(b));
        EXPECT_EQ(label.size(), 30u) << label;
        bool esc = StartsWith(label, "Esc: "), attendance = StartsWith(label, "season attendance");
        EXPECT_TRUE(esc || attendance || label.substr(1, 2) == ": ") << label;
        int col = -1, row = -1;
        gtk_container_child_get(GTK_CONTAINER(gtk_widget_get_parent(b)), b, "left-attach", &col,
                                "top-attach", &row, nullptr);
        ASSERT_TRUE(col >= 0 && col <= 2 && row >= 1 && row <= 15) << label << " at " << col << "," << row;
        columns[col][row - 1] = esc ? '^' : attendance ? '*' : label[0];
        if (attendance) attendancebttn = b;
        gchar* tip = gtk_widget_get_tooltip_text(b);
        ASSERT_NE(tip, nullptr) << label;
        EXPECT_TRUE(StartsWith(tip, "\t\t")) << label;
        g_free(tip);
    }
    EXPECT_EQ(columns[0], "aABcdeEfFhHIlLM");
    EXPECT_EQ(columns[1], "nopqRrstTuwWxXz");
    EXPECT_EQ(columns[2], "VDvbiP^*       ");

    // The legend: the dashes over seven rows of a mouse action and what it does.
    GtkWidget* frame = gtk_bin_get_child(GTK_BIN(menubttnpopup));
    GList* grids = gtk_container_get_children(GTK_CONTAINER(gtk_bin_get_child(GTK_BIN(frame))));
    ASSERT_EQ(g_list_length(grids), 2u);
    GtkGrid* legend = GTK_GRID(g_list_nth_data(grids, 1));
    g_list_free(grids);
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(gtk_grid_get_child_at(legend, 0, 0))), "-----------------------------");
    for (int row = 1; row <= 7; ++row) {
        GtkWidget* action = gtk_grid_get_child_at(legend, 1, row);
        ASSERT_NE(action, nullptr) << row;
        EXPECT_TRUE(StartsWith(gtk_label_get_text(GTK_LABEL(action)), " : ")) << row;
        EXPECT_EQ(gtk_widget_get_halign(action), GTK_ALIGN_START);
    }
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(gtk_grid_get_child_at(legend, 0, 1))), "leftmouse");

    ASSERT_TRUE(ClickButton(attendancebttn));
    EXPECT_EQ(menubttnpopup, nullptr);
    ASSERT_NE(attendancewin, nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(attendancewin));
    gtk_widget_destroy(attendancewin);
}

TEST_F(Menu, RightPressesOpenAndCloseAtMostOncePerSecond) {
    StartRecording();
    unsigned int hits = menubttnhit;
    NextSecond();
    RightClick();
    ASSERT_NE(menubttnpopup, nullptr);
    RightClick();  // the same second: ignored
    PressButton(sdwin, 3, 200, 150, GDK_2BUTTON_PRESS);  // a double press is not a plain press
    EXPECT_NE(menubttnpopup, nullptr);
    EXPECT_EQ(menubttnhit, hits + 2);
    PressButton(sdwin, 1, 200, 150);  // a left press only records
    EXPECT_NE(menubttnpopup, nullptr);

    NextSecond();
    sdtoggled = sdhd;
    RightClick();
    EXPECT_EQ(menubttnpopup, nullptr);
    EXPECT_EQ(sdtoggled, nullptr);

    // An open note is closed first, and nothing else happens.
    NextSecond();
    GtkNote("a note");
    RightClick();
    EXPECT_EQ(sdpop, nullptr);
    EXPECT_EQ(menubttnpopup, nullptr);

    // A right press on the menu itself closes it.
    NextSecond();
    RightClick();
    ASSERT_NE(menubttnpopup, nullptr);
    NextSecond();
    PressButton(menubttnpopup, 3, 5, 5);
    EXPECT_EQ(menubttnpopup, nullptr);

    std::vector<std::string> lines = Recorded();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "(BttnPress) event<bttn-press> data=0 button=3");
    EXPECT_EQ(lines[2], "(BttnPress) event<2bttn-press> data=0 button=3");
    EXPECT_EQ(menubttnhit, hits + 6);
}

TEST_F(Menu, MenuKeysOpenItCentredAndKeepTheToggledDancer) {
    SqrDancer* sd = sdhd;
    auto f1 = [] { SendKey(GDK_KEY_F1, ""); };
    auto m = [] { Type("m"); };
    auto question = [] { Type("?"); };
    for (auto* key : {+m, +f1, +question}) {
        ASSERT_TRUE(ClickName(sd));
        NextSecond();
        GtkNote("a note");
        key();  // closes the note and opens the menu
        EXPECT_EQ(sdpop, nullptr);
        ASSERT_NE(menubttnpopup, nullptr);
        EXPECT_EQ(sdtoggled, sd);  // where it opens: PopupsAndWindowsOpenOverTheMainWindow
        EXPECT_EQ(MenuButtons().size(), 38u);
        NextSecond();
        key();  // pressed again: closed, and the toggled dancer forgotten
        EXPECT_EQ(menubttnpopup, nullptr);
        EXPECT_EQ(sdtoggled, nullptr);
    }
}

// Notes, warnings, the menu and the operator's windows are transient for the main window and
// centred on it wherever it stands, not on the pointer's monitor. A card typed meanwhile arrives.
TEST_F(Menu, PopupsAndWindowsOpenOverTheMainWindow) {
    gtk_window_unmaximize(GTK_WINDOW(sdwin));
    gtk_window_move(GTK_WINDOW(sdwin), 300, 200);
    int ox = 0, oy = 0;
    for (int i = 0; i < 300 && (ox != 300 || oy != 200); ++i, g_usleep(5000)) {
        Pump();
        gdk_window_get_origin(gtk_widget_get_window(sdwin), &ox, &oy);
    }
    ASSERT_TRUE(ox == 300 && oy == 200) << ox << "," << oy;
    int W = gtk_widget_get_allocated_width(sdwin), H = gtk_widget_get_allocated_height(sdwin);
    GdkRectangle mon;  // the pointer's monitor as well
    gdk_monitor_get_geometry(gdk_display_get_monitor(gdk_display_get_default(), 0), &mon);
    const std::pair<const char*, GtkWidget* (*)()> popups[] = {
        {"note", [] { GtkNote("a note"); return sdpop; }},
        {"long warning", [] { GtkWarningText(std::string(400, 'w') + " end"); return sdpop; }},
        {"head count", [] { Type("t"); return sdpop; }},
        {"menu key", [] { Type("m"); return menubttnpopup; }},
    };
    for (const auto& [what, open] : popups) {
        SCOPED_TRACE(what);
        DestroyWidget(sdpop);
        MenuDestroy();
        NextSecond();
        GtkWidget* w = open();
        Pump();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(gtk_window_get_window_type(GTK_WINDOW(w)), GTK_WINDOW_POPUP);
        EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(w)), GTK_WINDOW(sdwin));
        int x = 0, y = 0, w0 = gtk_widget_get_allocated_width(w), h0 = gtk_widget_get_allocated_height(w);
        gdk_window_get_origin(gtk_widget_get_window(w), &x, &y);  // centred, and whole on the monitor
        EXPECT_NEAR(x, std::clamp(300 + (W - w0) / 2, mon.x, mon.x + mon.width - w0), 2);
        EXPECT_NEAR(y, std::clamp(200 + (H - h0) / 2, mon.y, mon.y + mon.height - h0), 2);
    }
    // With the menu open, a card checks its dancer out; its note takes the menu's place.
    sdhd->rfid = 4100000001;
    RfidInsert(sdhd);
    Swipe(4100000001);
    EXPECT_EQ(sdhd->avail, 0);
    EXPECT_EQ(menubttnpopup, nullptr);
    EXPECT_TRUE(PopupIsNote());
    for (const char* key : {"a", "s"}) {
        SCOPED_TRACE(key);
        DestroyWidget(sdpop);
        Type(key);
        GtkWidget* w = *key == 'a' ? sdavail : sdnew;
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(w)), GTK_WINDOW(sdwin));
        GtkWindowPosition pos = GTK_WIN_POS_NONE;
        g_object_get(w, "window-position", &pos, nullptr);
        EXPECT_EQ(pos, GTK_WIN_POS_CENTER_ON_PARENT);
        gtk_widget_destroy(w);
    }
}

TEST_F(Menu, EscapeClosesTheMenuAndTheEveningGoesOn) {
    RightClick();
    ASSERT_NE(menubttnpopup, nullptr);
    Type("\x1b");
    ASSERT_NE(sdwin, nullptr);
    EXPECT_EQ(menubttnpopup, nullptr);
}

TEST_F(Menu, AnEntryKeepsPendingStatesAndActsOnTheDancerToggledBefore) {
    Type("E");
    ASSERT_EQ(Eflag, 1);
    SqrDancer* sd = sdhd;
    ASSERT_TRUE(ClickName(sd));  // absent, and the toggled dancer
    ASSERT_EQ(sd->avail, 0);
    RightClick();  // closes the note of E
    ASSERT_EQ(sdpop, nullptr);
    StartRecording();
    Choose('T');
    EXPECT_EQ(sd->tagged, 1);
    EXPECT_EQ(sd->avail, 1);  // the tag gives back the presence the click took
    EXPECT_EQ(Eflag, 1);
    EXPECT_EQ(menubttnpopup, nullptr);
    MenuCallback(nullptr, GINT_TO_POINTER(36));  // no such entry
    std::vector<std::string> lines = Recorded();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "(MenuCallback) T"), 1);
    EXPECT_EQ(lines.back(), "(MenuCallback) -");
}

// ---- every entry against its key --------------------------------------------------------------

// Starting states of the evening in which each entry is compared with its key.
struct Start {
    const char* name;
    const char* keys;  // typed after the roster is on the edit display
    bool click;        // then a click on a name (the toggled dancer)
};
const Start kStarts[] = {
    {"edit display before the first tip, a name just clicked", "", true},
    {"squares board of the second tip", "rr", false},
    {"history showing tip 2 of 3", "rrrhh", false},
};

// What the operator and the files see, field by field.
using Outcome = std::map<std::string, std::string>;

class MenuVersusKey : public Menu {
protected:
    // A fresh evening in a new folder, brought to the starting state.
    void Begin(const Start& start) {
        if (!sdwin) sdwin = oldwin;   // a command ended the evening: the window is still ours
        if (sdavail) KeybrdCmd('a');  // closed as its key closes it
        TearDown();
        SetUp();
        ResetTimeNote();
        oldwin = sdwin;
        set_rndm(5, 6, 7);
        Type(start.keys);
        if (start.click) ClickName(sdhd->nxt);
        Pump();
        ASSERT_EQ(sdpop, nullptr) << start.name;  // a right click would only close it
    }
    Outcome Now() {
        Outcome o;
        o["window"] = sdwin ? "open" : "gone";
        o["mode"] = streditmode();
        o["title"] = Title();
        o["tips"] = strprintf("tip %d, prehistory %d, %d in history, shown %d", tipcnt, prehistory,
                              HistoryQty(), hist ? hist->tipcnt : 0);
        o["settings"] = strprintf("level %s, names %s, scroll %d", strpgm(pgmfloor), strdispnamestyle(),
                                  scrollerincrchg);
        o["pending"] = strprintf("E%d I%d M%d z%d A%d", Eflag, Iflag, Mflag, zflag, Aflag);
        o["popup"] = PopupText();
        o["windows"] = strprintf("availability %d, new %d, menu %d", sdavail != nullptr, sdnew != nullptr,
                                 menubttnpopup != nullptr);
        std::ostringstream board, roster, files;
        for (const std::string& t : BoardTexts()) board << t << "|";
        o["board"] = board.str();
        for (auto& [name, facts] : RosterNow()) {
            roster << name << " ";
            PrintTo(facts, &roster);
            roster << "\n";
        }
        o["roster"] = roster.str();
        for (const auto& f : std::filesystem::directory_iterator(".")) {
            std::string name = f.path().filename();
            // A file written while the test records says so ("Record"); which files were
            // written with what is what counts.
            std::string text = ReadFile(name);
            if (size_t r = text.find("\nRecord\n"); r != std::string::npos) text.erase(r, 7);
            // The evening file's times are the moments it was written.
            for (const char* stamp : {"\nsaved=", "\nlastroll=", "\nattendance="})
                if (size_t r = text.find(stamp); r != std::string::npos) text.erase(r + 1, text.find('\n', r + 1) - r);
            // So is the attendance file's evening: the moment its first tip was rolled.
            if (name == "club.attendance") text = std::regex_replace(text, std::regex("\t[0-9]+\t"), "\tT\t");
            if (name != "keys.record") files << name << ":\n" << text << "\n";
        }
        o["files"] = files.str();
        std::string rec;
        for (std::string line : FileLines("keys.record")) {
            if (StartsWith(line, "(MenuCallback)")) line.replace(1, 12, "KeybrdCmd");
            rec += line + "\n";
        }
        o["record"] = rec;
        return o;
    }
    Outcome ByKey(const Start& start, char key) {
        Begin(start);
        StartRecording();
        AnswerDialog("Are you sure?", GTK_RESPONSE_REJECT);
        AnswerDialog("Reset Dialog", 0);
        Type(std::string(1, key));
        return Now();
    }
    Outcome ByMenu(const Start& start, char key) {
        Begin(start);
        RightClick();
        StartRecording();
        AnswerDialog("Are you sure?", GTK_RESPONSE_REJECT);
        AnswerDialog("Reset Dialog", 0);
        EXPECT_TRUE(ClickButton(MenuButton(key))) << key;
        return Now();
    }
    void TearDown() override {
        if (!sdwin && oldwin) gtk_widget_destroy(oldwin);
        oldwin = nullptr;
        Menu::TearDown();
    }
    GtkWidget* oldwin = nullptr;
};

// The differences between an entry and its key that the menu is meant to have.
void MenuDifferences(char key, Outcome& want) {
    if (key == 'z') want["popup"] = "z pending - swipe a card";
    if (key == 'o' && want["mode"] != "edit" && want["mode"] != "present")
        want["popup"] = "need to be in Edit or Present Displays!\n";
    // c: the key shows the current tip from the history; the menu rolls the same tip once
    // more on the squares board. The squares are the same.
    if (key == 'c' && want["mode"] == "history" && StartsWith(want["title"], "HISTORY : ")) {
        want["mode"] = "squares";
        want["title"].erase(0, strlen("HISTORY : "));
        std::string& tips = want["tips"];
        tips = tips.substr(0, tips.rfind("shown ")) + "shown 0";
    }
}

TEST_F(MenuVersusKey, EveryEntryDoesWhatItsKeyDoes) {
    RightClick();
    std::string keys;
    for (GtkWidget* b : MenuButtons()) {
        std::string label = gtk_button_get_label(GTK_BUTTON(b));
        // The chart and printing hand their work to programs and dialogs of their own; the
        // season attendance has no key.
        if (label[0] == 'b' || label[0] == 'P' || StartsWith(label, "season attendance")) continue;
        keys += StartsWith(label, "Esc:") ? '\x1b' : label[0];
    }
    ASSERT_EQ(keys.size(), 35u);
    for (const Start& start : kStarts) {
        for (char key : keys) {
            Outcome want = ByKey(start, key);
            Outcome got = ByMenu(start, key);
            MenuDifferences(key, want);
            for (auto& [field, value] : want)
                EXPECT_EQ(got[field], value) << "entry " << key << ", " << field << ", from the " << start.name;
        }
    }
}

// The menu's c rolls the current tip again only when that gives the same squares.
TEST_F(Menu, CurrentSquaresNeverShowsANewRollAsTheCurrentTip) {
    Type("rr");
    std::vector<std::string> tip2 = BoardTexts();
    int sum = DanceSum();
    auto showsTip2 = [&](EDITMODE mode) {
        EXPECT_EQ(editmode, mode);
        EXPECT_EQ(tipcnt, 2);
        EXPECT_EQ(HistoryQty(), 2);
        EXPECT_EQ(DanceSum(), sum);
        EXPECT_EQ(BoardTexts(), tip2);
    };

    // A dancer leaves after the roll: rolled again, the tip would come out different.
    Type("e");
    SqrDancer* leaving = sdhd;
    while (leaving && leaving->dances == 0) leaving = leaving->nxt;  // back later without a new count
    ASSERT_NE(leaving, nullptr);
    ASSERT_TRUE(ClickName(leaving));
    ASSERT_EQ(leaving->avail, 0);
    Type("h");
    Choose('c');
    showsTip2(HISTORY);

    // Back as it was: the entry shows the tip on the squares board, the same squares.
    Type("e");
    ASSERT_TRUE(ClickName(leaving));
    Choose('c');
    showsTip2(SQUARES);

    // An older tip put back in use is shown, not rolled anew under its number.
    Type("rhh");
    Type("u");
    ASSERT_EQ(tipcnt, 2);
    Choose('c');
    EXPECT_EQ(editmode, HISTORY);
    EXPECT_EQ(HistoryQty(), 2);
    EXPECT_EQ(tipcnt, 2);
}

// ---- the left double click -----------------------------------------------------------------------

TEST_F(Menu, DoubleClickGivesThePartnerThePresenceOppositeTheClickedDancer) {
    SqrDancer* a = nullptr;
    for (SqrDancer* sd = sdhd; sd && !a; sd = sd->nxt)
        if (sd->partner) a = sd;
    ASSERT_NE(a, nullptr);
    SqrDancer* b = a->partner;
    SqrDancer* single = sdtl;
    ASSERT_EQ(single->partner, nullptr);
    for (int start = 0; start < 4; ++start) {
        a->avail = start & 1;
        b->avail = (start >> 1) & 1;
        SwitchDisplay(EDIT);
        Pump();
        RosterFacts others = RosterNow();
        others.erase(a->firstlast);
        others.erase(b->firstlast);
        ASSERT_TRUE(ClickButton(a->availbttn, 0, 2));
        EXPECT_EQ(a->avail, start & 1) << "start " << start;
        EXPECT_EQ(b->avail, !(start & 1)) << "start " << start;
        // The buttons show it: pressed in means absent.
        EXPECT_EQ(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(a->availbttn)), !a->avail);
        EXPECT_EQ(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(b->availbttn)), !b->avail);
        RosterFacts after = RosterNow();
        after.erase(a->firstlast);
        after.erase(b->firstlast);
        EXPECT_EQ(after, others);
    }
    // A single dancer has nobody to set: the two clicks cancel out.
    int was = single->avail;
    ASSERT_TRUE(ClickButton(single->availbttn, 0, 2));
    EXPECT_EQ(single->avail, was);
}

}  // namespace
