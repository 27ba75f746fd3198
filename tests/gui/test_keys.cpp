// SPDX-License-Identifier: GPL-3.0-or-later
// The hotkeys driven through the real key handler: synthesised key presses delivered to
// the main window by GTK's event dispatch, outcomes read from the window, the pop-ups and
// the files written.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <numeric>
#include <set>
#include <tuple>

#include "assign/assign.h"
#include "commands/keys.h"
#include "display/boards.h"
#include "display/display.h"
#include "files/clubfile.h"
#include "files/season.h"
#include "history/history.h"
#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
bool StartsWith(const std::string& s, const std::string& head) { return s.rfind(head, 0) == 0; }
bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

class Keys : public ClubWindow {};

// ---- rolling, the files written, the boards -----------------------------------------------

TEST_F(Keys, EachRollWritesTheClubFileWithTheCountsSoFar) {
    for (int tip = 1; tip <= 3; ++tip) {
        Type("r");
        EXPECT_EQ(editmode, SQUARES);
        EXPECT_TRUE(EndsWith(Title(), strprintf("tip#%d", tip))) << Title();
        EXPECT_EQ(DanceSum(), 16 * tip);  // two squares of eight each tip
        RosterFacts file = ReadBack("club.dorvel");
        ASSERT_EQ(file.size(), 20u);
        EXPECT_EQ(file, RosterNow(true)) << "after tip " << tip;
        EXPECT_GT(BoardCellQty(), 0);
    }
}

TEST_F(Keys, PresentShowsThePresentBoardWithoutRolling) {
    Type("p");
    EXPECT_EQ(editmode, PRESENT);
    EXPECT_TRUE(StartsWith(Title(), "PRESENT : ")) << Title();
    EXPECT_GT(BoardCellQty(), 0);
    EXPECT_EQ(tipcnt, 0);
    EXPECT_FALSE(Exists("club.dorvel"));  // only a roll writes the club file
}

TEST_F(Keys, HistoryWalksBackAndForthAndUsesTheSecondTip) {
    Type("rrr");
    ASSERT_EQ(HistoryQty(), 3);
    Type("h");
    EXPECT_EQ(editmode, HISTORY);
    EXPECT_TRUE(StartsWith(Title(), "HISTORY : ")) << Title();
    EXPECT_TRUE(EndsWith(Title(), "tip#3")) << Title();
    Type("h");
    EXPECT_TRUE(EndsWith(Title(), "tip#2")) << Title();
    Type("H");
    EXPECT_TRUE(EndsWith(Title(), "tip#3")) << Title();
    Type("H");  // the newest stays shown
    EXPECT_TRUE(EndsWith(Title(), "tip#3")) << Title();
    Type("h");
    ASSERT_TRUE(EndsWith(Title(), "tip#2")) << Title();
    EXPECT_FALSE(BoardTexts().empty());

    Type("u");
    // The third tip is gone; the evening goes on from the second.
    EXPECT_EQ(HistoryQty(), 2);
    ASSERT_NE(histtl, nullptr);
    EXPECT_EQ(histtl->tipcnt, 2);
    EXPECT_EQ(hist, nullptr);
    EXPECT_EQ(tipcnt, 2);
    EXPECT_EQ(DanceSum(), 32);
    Type("r");
    EXPECT_EQ(editmode, SQUARES);
    EXPECT_TRUE(EndsWith(Title(), "tip#3")) << Title();
    EXPECT_EQ(DanceSum(), 48);
    EXPECT_EQ(HistoryQty(), 3);
}

TEST_F(Keys, HistoryBeforeAnyRollWarns) {
    Type("h");
    EXPECT_EQ(PopupText(), "No history available!\nHave you rolled up any squares yet?");
    Type("c");
    EXPECT_EQ(PopupText(), "no current Squares display yet");
    EXPECT_EQ(editmode, EDIT);
}

TEST_F(Keys, ProgramLevelStopsAtBothEnds) {
    Type("l");
    EXPECT_EQ(pgmfloor, Basic);
    EXPECT_EQ(editmode, EDIT);
    for (int i = 0; i < 11; ++i) Type("L");
    EXPECT_EQ(pgmfloor, C4);
    EXPECT_NE(Title().find(" C4 Square Dance"), std::string::npos) << Title();
    Type("L");
    EXPECT_EQ(pgmfloor, C4);
    Type("l");
    EXPECT_EQ(pgmfloor, C3B);
    EXPECT_NE(Title().find(" C3B Square Dance"), std::string::npos) << Title();

    // Outside Edit and Present the level still changes, with a note.
    while (pgmfloor > Basic) Type("l");
    Type("r");
    ASSERT_EQ(editmode, SQUARES);
    Type("L");
    EXPECT_EQ(pgmfloor, SSD);
    EXPECT_EQ(PopupText(), "must be in Edit or Present mode to use L");
    EXPECT_EQ(tipcnt, 1);
}

TEST_F(Keys, NameStyleCyclesThroughTheFourStyles) {
    // A dancer of a name nobody else has (two of one name show their initials as well).
    SqrDancer* mo = AddDancer("Mo", "Quist", M);
    SwitchDisplay(EDIT);
    std::string rec = StartRecording();
    std::vector<std::string> names;
    const DISPNAME order[] = {LASTFI, FIRSTNAME, FIRSTLI, LASTNAME};
    for (DISPNAME want : order) {
        Type("d");
        EXPECT_EQ(dispnamestyle, want);
        names.push_back(mo->dispname);
        EXPECT_EQ(editmode, EDIT);
    }
    // Four different names for the same dancer, and back to the first.
    std::vector<std::string> sorted = names;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
    std::vector<std::string> lines = Recorded();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "(KeybrdCmd) d style<lastfi>"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "(KeybrdCmd) d style<lastname>"), 1);
}

TEST_F(Keys, NameStyleOnTheSquaresBoardKeepsTheTip) {
    Type("rr");
    int sum = DanceSum();
    std::vector<std::string> before = BoardTexts();
    Type("d");
    EXPECT_EQ(editmode, SQUARES);
    EXPECT_EQ(tipcnt, 2);
    EXPECT_EQ(DanceSum(), sum);
    EXPECT_EQ(HistoryQty(), 2);
    EXPECT_TRUE(EndsWith(Title(), "tip#2")) << Title();
    EXPECT_EQ(BoardTexts().size(), before.size());
}

TEST_F(Keys, ColumnsChangeWithTheirNotes) {
    ASSERT_NE(res, nullptr);
    res->maxeditcolqty = 3;
    Type("J");
    EXPECT_EQ(res->maxeditcolqty, 4u);
    EXPECT_EQ(PopupText(), strprintf("editmode<edit>: screenwidth=%d maxeditcolqty=4\n", (int)res->screenwidth));
    Type("j");
    EXPECT_EQ(res->maxeditcolqty, 3u);
    EXPECT_EQ(PopupText(), strprintf("editmode<edit>: screenwidth=%d maxsqrcolqty=%d\n",
                                     (int)res->screenwidth, (int)res->maxsqrcolqty));
    Type("jjj");
    EXPECT_EQ(res->maxeditcolqty, 1u);
    EXPECT_EQ(PopupText(), "editmode<edit>: cannot decrease qty columns below 1\n");

    Type("r");
    ASSERT_EQ(editmode, SQUARES);
    ASSERT_NE(sqrres, nullptr);
    int tip = tipcnt;
    unsigned cols = sqrres->maxsqrcolqty;
    Type("J");
    EXPECT_EQ(sqrres->maxsqrcolqty, cols + 1);
    EXPECT_EQ(PopupText(), strprintf("editmode<squares>: screenwidth=%d maxsqrcolqty=%d\n",
                                     (int)sqrres->screenwidth, (int)cols + 1));
    sqrres->maxsqrcolqty = 2;
    Type("j");
    EXPECT_EQ(sqrres->maxsqrcolqty, 1u);
    EXPECT_LE(boardcolqty, 1);
    Type("j");
    EXPECT_EQ(sqrres->maxsqrcolqty, 1u);
    EXPECT_EQ(PopupText(), "editmode<squares>: cannot decrease qty columns below 1\n");
    EXPECT_EQ(tipcnt, tip);  // the board was shown again, not rolled anew
}

TEST_F(Keys, EverybodyAvailableOrNot) {
    Type("rr");
    Type("o");  // not on the squares board
    EXPECT_EQ(PopupText(), "\"o\" only works in Edit or Present modes!\n");
    EXPECT_EQ(DanceSum(), 32);
    Type("p");
    Type("o");
    EXPECT_EQ(editmode, PRESENT);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        EXPECT_EQ(sd->avail, 0) << sd->firstlast;
        EXPECT_EQ(sd->dances, 0) << sd->firstlast;
    }
    Type("o");
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) EXPECT_EQ(sd->avail, 1) << sd->firstlast;
    // One present dancer is enough for everybody to go.
    sdhd->avail = 0;
    Type("o");
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) EXPECT_EQ(sd->avail, 0) << sd->firstlast;
}

TEST_F(Keys, WriteWithAndWithoutCounts) {
    Type("rr");
    ASSERT_EQ(unlink("club.dorvel"), 0);
    Type("w");
    EXPECT_EQ(PopupText(), "wrote <club.dorvel>");
    RosterFacts zero = ReadBack("club.dorvel");
    EXPECT_EQ(zero, RosterNow(false));
    EXPECT_NE(zero, RosterNow(true));
    Type("W");
    EXPECT_EQ(PopupText(), "wrote <club.dorvel>");
    EXPECT_EQ(ReadBack("club.dorvel"), RosterNow(true));
}

// k removes only a dancer entered this evening, the newest, with a partner entered with it,
// after a question naming them; it never rolls, and nobody read from the club file goes.
TEST_F(Keys, KRemovesTheDancerEnteredLastAfterAskingAndNeverRolls) {
    ASSERT_TRUE(WriteDorvels(1));  // the evening starts from the club file
    std::rename("club.dorvel", "start.dorvel");
    const RosterFacts club = ReadBack("start.dorvel");
    const struct {
        std::vector<std::pair<const char*, const char*>> entered;  // as the new-dancer dialog takes them
        const char* keys;   // typed after the entries
        int answer;         // to the question naming `asked`; 0: none is asked
        const char* asked;
        std::set<std::string> gone;
    } cases[] = {
        {{}, "", 0, "", {}},
        {{}, "rrr", 0, "", {}},
        {{{"Aaron", "Adams"}}, "", GTK_RESPONSE_ACCEPT, "Aaron Adams", {"Aaron Adams"}},
        {{{"Aaron", "Adams"}}, "", GTK_RESPONSE_REJECT, "Aaron Adams", {}},
        {{{"Aaron & Amy", "Adams"}}, "p", GTK_RESPONSE_ACCEPT, "Aaron Adams and Amy Adams", {"Aaron Adams", "Amy Adams"}},
        {{{"Aaron", "Adams"}, {"Zoe", "Zulu"}}, "", GTK_RESPONSE_ACCEPT, "Zoe Zulu", {"Zoe Zulu"}},
        {{{"Aaron", "Adams"}}, "rrr", GTK_RESPONSE_ACCEPT, "Aaron Adams", {"Aaron Adams"}},  // squares board
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.asked) + " after " + c.keys);
        ResetEvening();
        FILE* fp = fopen("start.dorvel", "r");
        ReadDorvels(fp);
        fclose(fp);
        outputfilename = "club.dorvel";
        for (auto [first, last] : c.entered) ApplyTypedNames(NewPlaceholder(), ReadTypedNames(first, last, nullptr));
        SwitchDisplay(EDIT);
        Type(c.keys);
        EDITMODE mode = editmode;
        int tips = tipcnt, roster = RosterCount();
        std::string question;
        auto answered = WhenDialog("Remove the newest dancer?", [&](GtkWidget* dlg) {
            GtkWidget* l = Find(dlg, [](GtkWidget* w) { return GTK_IS_LABEL(w) && CellText(w).find('?') != std::string::npos; });
            question = l ? CellText(l) : "";
            gtk_dialog_response(GTK_DIALOG(dlg), c.answer);
        });
        Type("k");
        EXPECT_EQ(*answered, c.answer != 0);
        EXPECT_EQ(c.answer ? question : PopupText(), c.answer ? strprintf("Remove %s, entered last this evening?", c.asked)
                                                              : "Nobody has been entered this evening: k removes nobody.");
        EXPECT_TRUE(!c.gone.empty() || editmode == mode);
        EXPECT_EQ(RosterCount(), roster - (int)c.gone.size());
        EXPECT_EQ(tipcnt, tips);  // no roll; the numbers go on after the newest tip
        EXPECT_EQ(NextTipNumber(), tips + 1);
        Type("w");  // the club file written afterwards keeps everybody read from it
        RosterFacts back = ReadBack("club.dorvel");
        for (const auto& [name, facts] : club) EXPECT_EQ(back.count(name), 1u) << name;
        for (const std::string& name : c.gone) EXPECT_EQ(back.count(name), 0u) << name;
        CancelAnswers();
    }
}

// Looking back changes no tip number: only u on an older tip makes the numbers go on from it.
// The title (its end; whether it begins "PREHISTORY : ") says PREHISTORY only while the state is there.
TEST_F(Keys, TipNumbersAreNeverGivenTwice) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"rrrrrhhhher", "tip#6", false},    {"rrrrrhhhhhhr", "tip#6", false},  // from before the first tip
        {"rrrrrhhhhhh", "tip#5", true},     {"rrrrrhhhhhhh", "tip#5", false},  // h there: the state is gone
        {"rrrrrhhhhhhHHr", "tip#6", false}, {"rrrrrhhhherhhr", "tip#7", false},
        {"rrrrrhhhur", "tip#4", false},     {"rrrrrhhhhhhur", "tip#1", false},  // u takes tips back
        {"rrrrrhhcr", "tip#6", false},
    };
    for (auto [keys, title, pre] : cases) {
        SCOPED_TRACE(keys);
        HistoryClear();
        tipcnt = prvtipcnt = prehistory = 0;
        Type("e");
        std::set<int> given;  // the numbers rolls gave (u forgets those it takes back)
        for (const char* k = keys; *k; ++k) {
            if (*k == 'u' && (hist || prehistory)) given.clear();
            Type(std::string(1, *k));
            EXPECT_TRUE(*k != 'r' || given.insert(histtl->tipcnt).second) << "tip#" << histtl->tipcnt << " twice";
        }
        EXPECT_TRUE(EndsWith(Title(), title)) << Title();
        EXPECT_EQ(StartsWith(Title(), "PREHISTORY : "), pre) << Title();
        int expect = 0;
        for (History* h = histhd; h; h = h->nxt) EXPECT_EQ(h->tipcnt, ++expect);
    }
}

// u with no history tip shown warns on screen and leaves the display as it is.
TEST_F(Keys, UseWithoutAShownTipKeepsTheBoardAndItsWarning) {
    for (const char* keys : {"e", "rr", "rrp", "rrhu"}) {
        SCOPED_TRACE(keys);
        Type(keys);
        auto shown = std::make_tuple(editmode, BoardTexts(), HistoryQty());
        Type("u");
        Pump();
        EXPECT_EQ(PopupText(), "Need to use History first! (h or H)");
        EXPECT_TRUE(sdpop && gtk_widget_get_visible(sdpop));
        EXPECT_EQ(std::make_tuple(editmode, BoardTexts(), HistoryQty()), shown);
    }
}

TEST_F(Keys, EscapeLeavesTheAbsentViewInsteadOfQuitting) {
    Type("rr");
    Type("A");
    EXPECT_EQ(Aflag, 1);
    EXPECT_EQ(editmode, PRESENT);
    EXPECT_EQ(PopupText(), "Use c to return to Squares");
    Type("\x1b");
    ASSERT_NE(sdwin, nullptr);
    EXPECT_EQ(Aflag, 0);
    EXPECT_EQ(editmode, PRESENT);
    EXPECT_TRUE(StartsWith(Title(), "PRESENT : ")) << Title();
    // With a note open, Escape closes the note.
    GtkNote("a note");
    Type("\x1b");
    ASSERT_NE(sdwin, nullptr);
    EXPECT_EQ(sdpop, nullptr);
}

TEST_F(Keys, AbsentViewNeedsATip) {
    Type("A");
    EXPECT_EQ(Aflag, 0);
    EXPECT_EQ(PopupText(), "no Squares display yet!");
}

TEST_F(Keys, AvailabilityDialogOpensAndCloses) {
    Type("p");
    Type("a");
    EXPECT_EQ(editmode, EDIT);
    ASSERT_NE(sdavail, nullptr);
    Type("a");
    EXPECT_EQ(sdavail, nullptr);
    EXPECT_EQ(editmode, EDIT);
}

// ---- card numbers and pending states ---------------------------------------------------------

TEST_F(Keys, NumbersOfTheWrongLengthAreRejected) {
    StartRecording();
    Type("1234567\r");
    EXPECT_EQ(PopupText(), "(KeybrdCmd) expecting number with 10 digits, got 7 instead!  (input rejected)\n");
    EXPECT_EQ(KeybrdDigitCount(), 0);
    Type("\r");
    EXPECT_EQ(PopupText(), "(KeybrdCmd) expecting number with 10 digits, got 0 instead!  (input rejected)\n");
    // A long burst neither overruns the buffer nor passes as a card.
    Type(std::string(25, '7'));
    EXPECT_EQ(KeybrdDigitCount(), 25);
    EXPECT_LE(KeybrdNumber().size(), 19u);
    Type("\r");
    EXPECT_EQ(PopupText(), "(KeybrdCmd) expecting number with 10 digits, got 25 instead!  (input rejected)\n");
    EXPECT_EQ(KeybrdNumber(), "");
    std::vector<std::string> lines = Recorded();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "(KeybrdCmd) 1234567");
    EXPECT_EQ(lines[1], "(KeybrdCmd) ");
}

TEST_F(Keys, AnUnknownCardIsRecordedAndChangesNobody) {
    StartRecording();
    RosterFacts before = RosterNow();
    Type("0123456789\r");
    EXPECT_EQ(RosterNow(), before);
    EXPECT_EQ(editmode, EDIT);
    EXPECT_EQ(KeybrdNumber(), "");
    std::vector<std::string> lines = Recorded();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "(KeybrdCmd) 0123456789");
    EXPECT_EQ(lines[1], "(RfidDisplay) generate new square dancer for rfid#123456789");
}

TEST_F(Keys, PendingStatesSurviveDigitsAndEndWithOtherKeys) {
    Type("E");
    EXPECT_EQ(Eflag, 1);
    EXPECT_EQ(PopupText(), "E pending (enter an rfid card)");
    Type("12345\r");  // digits and carriage return keep it
    EXPECT_EQ(Eflag, 1);
    Type("12345\n");  // a line feed cancels it before ending the number
    EXPECT_EQ(Eflag, 0);
    Type("I");
    EXPECT_EQ(Iflag, 1);
    EXPECT_EQ(PopupText(), "I pending (pls swipe rfid card)");
    Type("z");  // a new pending key replaces the old state
    EXPECT_EQ(Iflag, 0);
    EXPECT_EQ(zflag, 1);
    EXPECT_EQ(PopupText(), "z pending - pls swipe a card");
    Type("t");
    EXPECT_EQ(zflag, 0);
}

TEST_F(Keys, PendingCardGoesBackToItsDancer) {
    SqrDancer* holder = sdhd;
    SqrDancer* other = sdhd->nxt;
    other->rfid = 1111111111;
    RfidInsert(other);  // the card table exists
    zflag = 1;
    zflagpending = holder;
    zflagpendingrfid = 2222222222;
    Type("5");
    EXPECT_EQ(holder->rfid, 2222222222u);
    EXPECT_EQ(RfidFind(2222222222), holder);
    EXPECT_EQ(zflagpending, nullptr);
    EXPECT_EQ(zflagpendingrfid, 0u);
    EXPECT_EQ(zflag, 1);  // a digit keeps the pending state
}

TEST_F(Keys, OddKeyTextsAndUnsupportedKeys) {
    StartRecording();
    SendKey(GDK_KEY_a, "ab");  // an input-method string: consumed, nothing happens
    EXPECT_EQ(sdavail, nullptr);
    Type("y");
    SendKey(GDK_KEY_a, "\x01", GDK_CONTROL_MASK);
    Type("Y");
    std::vector<std::string> lines = Recorded();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "(KeybrdCmd) y  (unsupported)");
    EXPECT_EQ(lines[1], "(KeybrdCmd) \\x01  (unsupported)");
    EXPECT_EQ(lines[2], "(KeybrdCmd) Y  (unsupported)");
    // A key without text (a modifier) is left to GTK.
    GdkEvent* ev = gdk_event_new(GDK_KEY_PRESS);
    ev->key.string = g_strdup("");
    ev->key.keyval = GDK_KEY_Shift_L;
    EXPECT_FALSE(KeybrdHandler(sdwin, &ev->key, nullptr));
    gdk_event_free(ev);
}

TEST_F(Keys, SuspendAndRestoreAreIdempotent) {
    int steps = scrollerincrchg;
    KeybrdHandlerSuspend();
    KeybrdHandlerSuspend();
    EXPECT_EQ(didhandler, 0);
    EXPECT_EQ(keybrdhandlerid, 0u);
    Type("F");
    EXPECT_EQ(scrollerincrchg, steps);
    KeybrdHandlerRestore();
    KeybrdHandlerRestore();
    EXPECT_EQ(didhandler, 1);
    EXPECT_NE(keybrdhandlerid, 0u);
    Type("F");  // one handler: one step
    EXPECT_EQ(scrollerincrchg, steps + 1);
    Type("f");
    EXPECT_EQ(scrollerincrchg, steps);
}

TEST_F(Keys, SkipRequestsForTheToggledDancer) {
    Type("S");
    EXPECT_EQ(PopupText(), "toggle a dancer's availability first");
    SqrDancer* sd = sdhd;
    ASSERT_TRUE(ClickName(sd));  // now absent and the toggled dancer
    ASSERT_EQ(sd->avail, 0);
    ASSERT_EQ(sdtoggled, sd);
    Type("S");
    EXPECT_EQ(sd->skip, 2);
    ASSERT_NE(SkipTipFind(sd), nullptr);
    EXPECT_EQ(SkipTipFind(sd)->tip, 2);
    EXPECT_EQ(PopupText(), sd->firstlast + " is available alternately, starting with tip#2");
    EXPECT_EQ(sdtoggled, nullptr);
    ASSERT_TRUE(ClickName(sd));  // present again
    Type("S");
    EXPECT_EQ(sd->skip, 0);
    EXPECT_EQ(SkipTipFind(sd), nullptr);
    EXPECT_EQ(PopupText(), sd->firstlast + " will not skip a tip");
    Type("p");
    Type("S");
    EXPECT_EQ(PopupText(), "S is supported in edit mode only");
}

// ---- the modal dialogs -------------------------------------------------------------------------

TEST_F(Keys, QuitAsksAndCancelKeepsTheEvening) {
    StartRecording();
    GtkNote("a note");
    auto answered = AnswerDialog("Are you sure?", GTK_RESPONSE_REJECT);
    Type("q");
    EXPECT_TRUE(*answered);
    EXPECT_EQ(answered_buttons, (std::vector<std::string>{"QUIT", "CANCEL"}));
    ASSERT_NE(sdwin, nullptr);
    EXPECT_EQ(sdpop, nullptr);
    std::vector<std::string> lines = Recorded();
    EXPECT_EQ(lines, (std::vector<std::string>{"(KeybrdCmd) q", "(KeybrdCmd) q", "(QuitConfirmDialog) CANCEL"}));

    // Each question names its outcome: q quits without writing, Escape writes the club file.
    std::string text;
    for (const auto& [key, says] : {std::pair<std::string, std::string>{"q", "Quit without writing the changes since "},
                                    {"\x1b", "Write the club file <"}}) {
        text.clear();
        auto asked = WhenDialog("Are you sure?", [&](GtkWidget* dlg) {
            Find(dlg, [&](GtkWidget* w) { return GTK_IS_LABEL(w) && (text += gtk_label_get_text(GTK_LABEL(w)), false); });
            gtk_dialog_response(GTK_DIALOG(dlg), GTK_RESPONSE_REJECT);
        });
        Type(key);
        EXPECT_TRUE(*asked) << key;
        EXPECT_NE(text.find(says), std::string::npos) << text;
        ASSERT_NE(sdwin, nullptr);
    }
}

TEST_F(Keys, ResetDialogWritesResetsOrCancels) {
    inputfilename = "club.dorvel";
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->avail = 0;
    RosterFacts original = RosterNow(false);

    auto yes = AnswerDialog("Reset Dialog", 1);
    Type("B");
    EXPECT_TRUE(*yes);
    EXPECT_EQ(answered_buttons, (std::vector<std::string>{"Yes", "No", "Cancel"}));
    EXPECT_TRUE(Exists("club.reset"));
    EXPECT_FALSE(Exists("club.dorvel"));  // the club file itself is not written
    EXPECT_EQ(editmode, PRESENT);
    EXPECT_EQ(ReadBack("club.reset"), original);

    AddDancer("New", "Comer", F)->avail = 0;
    auto cancel = AnswerDialog("Reset Dialog", 0);
    Type("B");
    EXPECT_TRUE(*cancel);
    EXPECT_EQ(RosterCount(), 21);

    auto no = AnswerDialog("Reset Dialog", 2);
    Type("B");
    EXPECT_TRUE(*no);
    EXPECT_EQ(RosterNow(false), original);
    EXPECT_EQ(editmode, PRESENT);
}

TEST_F(Keys, ResetWithDancersPresentDoesNotAsk) {
    inputfilename = "club.dorvel";
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->avail = 0;
    RosterFacts original = RosterNow(false);
    ASSERT_TRUE(WriteDorvels(-1));
    AddDancer("Late", "Arrival", M);  // present
    auto asked = AnswerDialog("Reset Dialog", 0);
    Type("B");
    EXPECT_FALSE(*asked);
    EXPECT_EQ(RosterNow(false), original);
    EXPECT_EQ(editmode, PRESENT);
}

// ---- mixing and the fairness note --------------------------------------------------------

// Every dancer's square number (-1 sitting out).
std::map<std::string, int> SquareOfEach() {
    std::map<std::string, int> m;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) m[sd->firstlast] = sd->square;
    return m;
}

TEST_F(Keys, MixedSquaresStayWhenTheBoardIsRedrawn) {
    mixflag = 1;
    Type("rrr");
    const std::map<std::string, int> squares = SquareOfEach();
    for (const char* key : {"d", "J", "j", "+", "-"}) {
        Type(key);
        EXPECT_EQ(SquareOfEach(), squares) << "after " << key;
        EXPECT_EQ(tipcnt, 3);
    }
    EXPECT_EQ(HistoryQty(), 3);
}

TEST_F(Keys, FairnessNoteOnAndOff) {
    std::string rec = StartRecording();
    Type("v");
    EXPECT_EQ(PopupText(), "fairness: no tip has been rolled yet");
    Type("v");
    EXPECT_EQ(sdpop, nullptr);
    // 20 dancers in two squares: four sit out each tip, and go first the next.
    Type("rrv");
    const std::string text = PopupText();
    EXPECT_TRUE(StartsWith(text, "fairness after 2 tips: dances 1 to 2 (spread 1)\nsat out most: ")) << text;
    EXPECT_NE(text.find(" +5 more (1 of 2 tips)\nmixing off: "), std::string::npos) << text;
    Type("v");
    EXPECT_EQ(sdpop, nullptr);
    EXPECT_EQ(Recorded().back(), "(KeybrdCmd) v");
}

// With season memory the club's square-mates go to its season file at every tip, and the
// note tells the share of tonight's square-mates new this season.
TEST_F(Keys, SeasonMemoryWrittenAtEveryTipAndShownByV) {
    mixflag = seasonflag = 1;
    Type("r");
    const std::string one = ReadFile("club.season");
    Type("r");
    const std::string two = ReadFile("club.season");
    EXPECT_NE(one.find("\ndorvels-season 1\n"), std::string::npos) << one;
    EXPECT_GT(std::count(two.begin(), two.end(), '\n'), std::count(one.begin(), one.end(), '\n'));
    Type("v");
    EXPECT_NE(PopupText().find("\nseason memory: 100% of tonight's square-mates are new this season"),
              std::string::npos)
        << PopupText();
}

}  // namespace
