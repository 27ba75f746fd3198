// SPDX-License-Identifier: GPL-3.0-or-later
// Keys that could cost an evening: the font keys change nothing of it on any display, k
// leaves no button holding a dancer that is gone, the quit confirmation does not take a
// card's Enter as QUIT, a reset file that cannot be written is asked about, names in any
// script come out whole and aligned on every board, and a traced roll's warnings in a row
// keep one pop-up window.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <set>

#include "assign/assign.h"
#include "commands/keys.h"
#include "display/boards.h"
#include "display/display.h"
#include "files/clubfile.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {

// The displays the operator can be looking at, each reached with the keys.
struct Display {
    const char* name;
    const char* keys;  // typed after two tips were rolled
    EDITMODE mode;
    bool aflag;
};
const Display kDisplays[] = {
    {"edit", "e", EDIT, false},          {"squares", "r", SQUARES, false},
    {"present", "p", PRESENT, false},    {"absent view", "pA", PRESENT, true},
    {"history", "h", HISTORY, false},
};

std::string HistoryTexts() {
    std::string all;
    for (History* h = histhd; h; h = h->nxt) {
        all += strprintf("tip %d:", h->tipcnt);
        for (int i = 0; h->sqrlist && i < 2 * h->totdancers; ++i)
            all += std::string("|") + (h->sqrlist[i] ? h->sqrlist[i] : "");
        all += "\n";
    }
    return all;
}

// 8 couples and 4 singles, two tips rolled.
class EveryDisplay : public KeysWindow {
protected:
    void SetUp() override {
        KeysWindow::SetUp();
        BuildClub(8, 2, 2);
        SwitchDisplay(EDIT);
        Type("rr");
        ASSERT_EQ(tipcnt, 2);
    }
    void Show(const Display& d) {
        Type(d.keys);
        ASSERT_EQ(editmode, d.mode) << d.name;
        ASSERT_EQ(Aflag, d.aflag ? 1 : 0) << d.name;
    }
};

TEST_F(EveryDisplay, FontKeysChangeNoCountTipOrRecord) {
    for (const Display& d : kDisplays) {
        SCOPED_TRACE(d.name);
        Show(d);
        std::string title = Title();
        RosterFacts facts = RosterNow(true);
        std::string records = HistoryTexts();
        std::vector<std::string> board = BoardTexts();
        int tip = tipcnt;
        std::set<int> steps{fontsizechg};
        // Down and up again, then up and down: the font really changes on the way.
        for (const char* keys : {"-", "+", "+", "-"}) {
            Type(keys);
            steps.insert(fontsizechg);
            EXPECT_EQ(Title(), title) << "after " << keys;
            EXPECT_EQ(tipcnt, tip);
            EXPECT_EQ(FactsDiff(RosterNow(true), facts), "") << "after " << keys;
            EXPECT_EQ(HistoryTexts(), records) << "after " << keys;
            EXPECT_EQ(editmode, d.mode);
            if (d.mode != EDIT) {
                EXPECT_EQ(BoardTexts(), board) << "after " << keys;
            }
        }
        EXPECT_GT(steps.size(), 1u);
        // The next roll is a new tip, not the last one again.
        Type("r");
        EXPECT_EQ(tipcnt, tip + 1);
        if (HasFailure()) break;
    }
}

TEST_F(EveryDisplay, FontKeysShowThePresentBoardInTheNewFont) {
    Type("p");
    GtkWidget* cell = BoardCell(0);
    ASSERT_NE(cell, nullptr);
    std::string before = sqrres->sdfont;
    Type("-");
    ASSERT_EQ(fontsizechg, -1);
    EXPECT_NE(sqrres->sdfont, before);
    // The cell shows the font of the set now chosen.
    PangoAttrList* attrs = gtk_label_get_attributes(GTK_LABEL(BoardCell(0)));
    ASSERT_NE(attrs, nullptr);
    PangoAttrIterator* it = pango_attr_list_get_iterator(attrs);
    auto* font = reinterpret_cast<PangoAttrFontDesc*>(pango_attr_iterator_get(it, PANGO_ATTR_FONT_DESC));
    ASSERT_NE(font, nullptr);
    PangoFontDescription* want = pango_font_description_from_string(sqrres->sdfont.c_str());
    EXPECT_TRUE(pango_font_description_equal(font->desc, want));
    pango_font_description_free(want);
    pango_attr_iterator_destroy(it);
}

// Clicks every button of the board (or of the edit grid); a button that still carried a
// deleted dancer would write into freed memory, which the sanitizer build reports.
void ClickEverything() {
    if (editmode == EDIT) {
        std::vector<SqrDancer*> all;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) all.push_back(sd);
        for (SqrDancer* sd : all) {
            ClickName(sd);  // absent, and present again
            ClickName(sd);
        }
        return;
    }
    for (int i = 0; i < BoardCellQty(); ++i) {
        GtkWidget* w = BoardCell(i);
        if (GTK_IS_TOGGLE_BUTTON(w)) ClickButton(w);
    }
}

TEST_F(EveryDisplay, NewestDancerRemovedLeavesNoDisplayHoldingIt) {
    char family = 'a';
    for (const Display& d : kDisplays) {
        SCOPED_TRACE(d.name);
        // A new couple, last in name order, present and on the boards.
        AddCouple("Zed", "Zoe", std::string("Zzyzx") + family++);
        SortByName();
        Type("rr");
        Show(d);
        // k removes the last dancer in the order shown (the absent view orders by square),
        // with a partner.
        std::set<std::string> removed{sdtl->firstlast};
        if (sdtl->partner) removed.insert(sdtl->partner->firstlast);
        // Every board shows the family name (alone, with an initial or with the square).
        std::string gone = sdtl->lastname;
        bool shared = false;  // another dancer of the same family
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) shared |= !removed.count(sd->firstlast) && sd->lastname == gone;
        bool shown = false;
        for (const std::string& t : BoardTexts()) shown |= t.find(gone) != std::string::npos;
        if (d.mode != EDIT && d.mode != HISTORY) {
            EXPECT_TRUE(shown);
        }
        Type("k");
        ASSERT_NE(sdwin, nullptr);
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) ASSERT_EQ(removed.count(sd->firstlast), 0u) << sd->firstlast;
        if (editmode != HISTORY && !shared) {
            for (const std::string& t : BoardTexts()) EXPECT_EQ(t.find(gone), std::string::npos) << t;
        }
        ClickEverything();
        Type("e");
        if (HasFailure()) break;
    }
}

// Enter pressed in the quit confirmation: the reader's Enter after a card number. Escape
// with nothing open asks the same question (it is pressed to close a note already gone).
TEST_F(EveryDisplay, QuitConfirmationTakesEnterAsCancel) {
    static int response;
    static GtkWidget* open;  // the dialog while it exists
    for (const char* key : {"q", "\x1b"}) {
        response = 0;
        auto typed = WhenDialog("Are you sure?", [](GtkWidget* dlg) {
            g_signal_connect(dlg, "response", G_CALLBACK(+[](GtkDialog*, int id, gpointer) { response = id; }),
                             nullptr);
            for (const char* digit : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"})
                SendKeyTo(dlg, gdk_unicode_to_keyval((guint32)digit[0]), digit);
            SendKeyTo(dlg, GDK_KEY_Return, "\r");
            // A button pressed by a key answers after a short show of being pressed; a dialog
            // that ignored the keys is closed later on, so that the test fails, not hangs.
            open = dlg;
            g_object_add_weak_pointer(G_OBJECT(dlg), reinterpret_cast<gpointer*>(&open));
            g_timeout_add(3000, [](gpointer) -> gboolean {
                if (open) gtk_dialog_response(GTK_DIALOG(open), GTK_RESPONSE_NONE);
                return G_SOURCE_REMOVE;
            }, nullptr);
        });
        Type(key);
        EXPECT_TRUE(*typed) << key;
        EXPECT_EQ(response, GTK_RESPONSE_REJECT);
        ASSERT_NE(sdwin, nullptr);  // the program goes on
        EXPECT_EQ(tipcnt, 2);
    }
    // QUIT still quits when chosen.
    auto quit = AnswerDialog("Are you sure?", GTK_RESPONSE_ACCEPT);
    Type("q");
    EXPECT_TRUE(*quit);
    EXPECT_EQ(sdwin, nullptr);
}

TEST_F(EveryDisplay, AResetFileThatCannotBeWrittenIsAskedAboutAfterTheRedraw) {
    inputfilename = "club.dorvel";
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->avail = 0;
    Type("e");
    ASSERT_EQ(mkdir("ro", 0755), 0);
    ASSERT_EQ(chmod("ro", 0555), 0);
    outputfilename = "ro/club.dorvel";
    auto yes = AnswerDialog("Reset Dialog", 1);
    static std::string shown;
    shown.clear();
    auto asked = WhenDialog("Club file not saved", [](GtkWidget* dlg) {
        shown = Title();  // the present board is up behind the question
        gtk_dialog_response(GTK_DIALOG(dlg), SAVE_NOT);
    });
    Type("B");
    ASSERT_EQ(chmod("ro", 0755), 0);
    EXPECT_TRUE(*yes);
    EXPECT_TRUE(*asked);
    EXPECT_EQ(answered_buttons, (std::vector<std::string>{"_Try again", "_Save as...", "_Do not save"}));
    EXPECT_EQ(shown.rfind("PRESENT : ", 0), 0u) << shown;
    EXPECT_NE(sdwin, nullptr);
    EXPECT_EQ(RosterCount(), 20);
}

// ---- names in any script ----------------------------------------------------------------------

class Scripts : public KeysWindow {
protected:
    void SetUp() override {
        KeysWindow::SetUp();
        AddCouple("élodie", "Åsa", "Øster");
        AddCouple("ωmega", "Ξένια", "παππάς");
        AddCouple("明", "美", "王");
        AddCouple("Al", "Bea", "Adams");
        AddCouple("ñandú", "Ümit", "Çelik");
        AddCouple("Ǆemal", "Ida", "Ivić");  // a title-case digraph
        AddDancer("Zoë", "Żak", M);
        AddDancer("Ann", "Ng", F);
        SortByName();
        SwitchDisplay(EDIT);
    }
};

// Columns of the text before the last ": " of a cell (the name part, padded).
int NameColumns(const std::string& cell) {
    size_t colon = cell.rfind(": ");
    return colon == std::string::npos ? -1 : ShownWidth(cell.substr(0, colon));
}

TEST_F(Scripts, InitialsAreWholeCharactersAndBoardsStayAligned) {
    for (DISPNAME style : {LASTFI, FIRSTLI, LASTNAME, FIRSTNAME}) {
        SCOPED_TRACE(strprintf("style %d", (int)style));
        dispnamestyle = style;
        SetupDispNames();
        SortByName();
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            EXPECT_TRUE(g_utf8_validate(sd->dispname.c_str(), -1, nullptr)) << sd->firstlast;
        Type("e");
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            EXPECT_TRUE(g_utf8_validate(CellText(sd->availbttn).c_str(), -1, nullptr));
        Type("r");
        ASSERT_EQ(editmode, SQUARES);
        std::vector<std::string> squares = BoardTexts();
        ASSERT_FALSE(squares.empty());
        for (const std::string& t : squares) {
            EXPECT_TRUE(g_utf8_validate(t.c_str(), -1, nullptr)) << t;
            EXPECT_EQ(NameColumns(t), NameColumns(squares[0])) << t << " | " << squares[0];
        }
        Type("p");
        for (const std::string& t : BoardTexts()) EXPECT_TRUE(g_utf8_validate(t.c_str(), -1, nullptr)) << t;
        Type("c");
        ASSERT_EQ(editmode, HISTORY);
        EXPECT_EQ(BoardTexts(), squares);
    }
    // The initial is the upper case of the whole first character.
    SqrDancer* elodie = nullptr;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->firstname == "élodie") elodie = sd;
    ASSERT_NE(elodie, nullptr);
    dispnamestyle = LASTFI;
    SetupDispName(elodie);
    EXPECT_EQ(elodie->dispname, "ØsterÉ");
    dispnamestyle = FIRSTLI;
    SetupDispName(elodie);
    EXPECT_EQ(elodie->dispname, "élodieØ");
}

// Pop-up windows made (realized) while the test looks.
int popupsmade = 0;
gboolean CountPopup(GSignalInvocationHint*, guint, const GValue* args, gpointer) {
    GObject* w = G_OBJECT(g_value_get_object(&args[0]));
    if (GTK_IS_WINDOW(w) && gtk_window_get_window_type(GTK_WINDOW(w)) == GTK_WINDOW_POPUP) ++popupsmade;
    return TRUE;
}

// With tracing on, the roll checks itself and warns once per fault, one warning replacing the
// other with no redraw between them. They share one pop-up window: a window for each would
// live for an instant, and a program that lists the screen's windows meanwhile (xdotool
// search) died of an X error BadWindow asking about one already gone. Rolled with no pop-up
// open and with a note on screen.
TEST_F(KeysWindow, TracedRollWarningsInARowKeepOnePopupWindow) {
    BuildClub(8, 2, 2);
    int n = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->pgm = n++ % 4 ? Main : Basic;  // 5 below the floor
    pgmfloor = Main;
    SwitchDisplay(EDIT);
    Pump();
    setdbglevel(1);
    sanitypauseseconds = 0;
    struct Restore {
        ~Restore() {
            setdbglevel(0);
            sanitypauseseconds = 2;
        }
    } restore;
    guint signal = g_signal_lookup("realize", GTK_TYPE_WIDGET);
    gulong hook = g_signal_add_emission_hook(signal, 0, CountPopup, nullptr, nullptr);
    for (bool noteshown : {false, true, false}) {
        if (noteshown) {
            GtkNote("a note on screen");
            Pump();
            ASSERT_TRUE(sdpop && gtk_widget_get_mapped(sdpop));
        }
        popupsmade = 0;
        int tip = tipcnt;
        SendKey(GDK_KEY_r, "r");
        ASSERT_EQ(tipcnt, tip + 1);
        EXPECT_EQ(rollsanityfailed, 1);
        EXPECT_EQ(popupsmade, 1) << "tip " << tipcnt << (noteshown ? " (a note shown)" : "");
        ASSERT_TRUE(sdpop && gtk_widget_get_mapped(sdpop));
        EXPECT_NE(PopupText().find("< pgmfloor<Main>"), std::string::npos) << PopupText();
        // Warnings called one after the other onto the pop-up on screen: its window stays,
        // showing the last, sized to it.
        GdkWindow* shown = gtk_widget_get_window(sdpop);
        int wide = 0;
        for (const char* text : {"a warning much longer than the one that comes after it", "short"}) {
            GtkWarning("%s", text);
            Pump();
            ASSERT_TRUE(sdpop && gtk_widget_get_mapped(sdpop));
            EXPECT_EQ(gtk_widget_get_window(sdpop), shown);
            EXPECT_EQ(PopupText(), text);
            // The X server confirms the new size a moment later.
            int fits = 0;
            gtk_widget_get_preferred_width(sdpop, nullptr, &fits);
            for (int i = 0; i < 200 && gtk_widget_get_allocated_width(sdpop) != fits; ++i) {
                g_usleep(10000);
                Pump();
            }
            EXPECT_EQ(gtk_widget_get_allocated_width(sdpop), fits) << text;
            if (!wide) wide = gtk_widget_get_allocated_width(sdpop);
        }
        EXPECT_LT(gtk_widget_get_allocated_width(sdpop), wide);
        EXPECT_EQ(popupsmade, 1);
    }
    g_signal_remove_emission_hook(signal, hook);
}

}  // namespace
