// SPDX-License-Identifier: GPL-3.0-or-later
// The setup dialog driven through its own widgets: keys typed into its entries, its buttons
// clicked, its radios, sliders and switches moved, its file chooser answered; then the
// evening's state, the window titles and the files written are read back.
#include <gtk/gtk.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "assign/assign.h"
#include "core/settings.h"
#include "core/startup.h"
#include "core/workfolder.h"
#include "dialogs/dancer.h"
#include "dialogs/setup.h"
#include "files/clubfile.h"
#include "files/record.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "phone/accesskey.h"
#include "server/server.h"
#include "support/http_client.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {

// Replaces an entry's text by typing: the entry takes the focus (its text selected), then
// every character arrives at the dialog as a key press. "\r" is Enter.
void TypeInto(GtkWidget* entry, const std::string& text) {
    ASSERT_NE(entry, nullptr);
    gtk_widget_grab_focus(entry);
    gtk_editable_select_region(GTK_EDITABLE(entry), 0, -1);
    TypeTo(sdnew, text);
}

std::string Text(GtkWidget* entry) { return entry ? gtk_entry_get_text(GTK_ENTRY(entry)) : "<none>"; }

std::string LabelText(GtkWidget* l) { return l ? gtk_label_get_text(GTK_LABEL(l)) : "<none>"; }

GtkWidget* FindButton(GtkWidget* w, const char* label) {
    return Find(w, [label](GtkWidget* b) {
        return GTK_IS_BUTTON(b) && g_strcmp0(gtk_button_get_label(GTK_BUTTON(b)), label) == 0;
    });
}

GtkWidget* Bttn(const char* label) { return sdnew ? FindButton(sdnew, label) : nullptr; }

// The settings the dialog may change, side by side.
std::string Settings() {
    return strprintf("club<%s> caller<%s> max=%d size=%d pgm=%s ask=%d style=%s anon=%d out<%s> in<%s> R=%d S=%d",
                     clubname.c_str(), caller.c_str(), maxsquares, squaresize, strpgm(pgmfloor), askflag,
                     strdispnamestyle(), anoncnt, outputfilename.c_str(), inputfilename.c_str(), Rflag, Sflag);
}

class SetupTest : public KeysWindow {
protected:
    // The s key on the edit display opens the dialog.
    void Open() {
        SwitchDisplay(EDIT);
        Type("s");
        ASSERT_TRUE(SetupOpen());
        ASSERT_EQ(editmode, SETUP);
    }
};

TEST_F(SetupTest, ANewClubFromNothing) {
    outputfilename = dfltsavefile;  // as the program starts in an empty folder
    OpenRecordFile();
    Open();
    TypeInto(clubname_entry, "Hilltop\r");
    TypeInto(caller_entry, "Joe\r");
    TypeInto(anon_entry[5], "3\r");
    EXPECT_TRUE(SetupOpen()) << "Enter never closes the dialog";
    EXPECT_EQ(RosterCount(), 0) << "the couples come with Done";
    EXPECT_EQ(Text(outputfile_entry), "hilltop.dorvel");
    ASSERT_TRUE(ClickButton(Bttn("Done")));
    EXPECT_FALSE(SetupOpen());
    EXPECT_EQ(editmode, EDIT);
    EXPECT_EQ(Title(), "Hilltop's Square Dance with Joe calling");
    EXPECT_EQ(RosterCount(), 6);
    EXPECT_EQ(FileLines("dorvels.record000"),
              (std::vector<std::string>{"seeds: 0 0 0", "(EditDisplay)", "(KeybrdCmd) s", "(ClubEntry) clubname<Hilltop>",
                                        "(CallerEntry) caller<Joe>",
                                        "(SetupDispDoneBttn) Done club<Hilltop> caller<Joe> maxsquares<0> squaresize<8> "
                                        "tagsquare<  1> M<0> F<0> MF<0> FM<0> E<0> couples<3> next<1>",
                                        "(SetupDispCancelBttn) Cancel", "(EditDisplay)"}));
    ASSERT_TRUE(TerminateEvening(1));
    EXPECT_NE(ReadFile("hilltop.dorvel").find("M Couple#003"), std::string::npos);
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "hilltop.dorvel\n");
}

// The first start from the desktop's menu, in a home folder with no club: the dialog greets,
// its sample club is opened and kept in the data folder, nothing in the home folder.
TEST_F(SetupTest, FirstStartOpensTheSampleClubInTheDataFolder) {
    std::string oldhome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", dir.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    char prog[] = "dorvels";
    char* argv[] = {prog, nullptr};
    const std::string data = ChooseWorkingFolder(1, argv);  // as the menu starts it
    StartupArguments(1, argv);
    StartupFinish();
    FirstStartFinish();
    SwitchDisplay(EDIT);
    SetupDisplay(SETUP);
    Pump();
    ASSERT_NE(Bttn("Start a New Club"), nullptr);
    ASSERT_TRUE(ClickButton(Bttn("Open the Sample Club")));
    EXPECT_FALSE(SetupOpen());
    EXPECT_EQ(Title(), "The Merry Muddle Squares' Main Square Dance with Wendell Whistlebritches calling");
    EXPECT_FALSE(FirstStart());
    ASSERT_TRUE(TerminateEvening(1));
    // The next start from the menu opens it: the club and the pointer file in the data folder.
    EXPECT_NE(ReadFile(data + "/sample.dorvel").find("club=The Merry Muddle Squares"), std::string::npos);
    EXPECT_EQ(ReadFile(data + "/lastdance.dorvels"), "sample.dorvel\n");
    for (const auto& e : std::filesystem::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string()[0], '.') << e.path() << " in the home folder";
    setenv("HOME", oldhome.c_str(), 1);
}

TEST_F(SetupTest, CancelAndEscapeKeepEverything) {
    BuildClub(4, 1, 1);
    clubname = "Hilltop";
    caller = "Joe";
    const std::string settings = Settings();
    const RosterFacts roster = RosterNow();
    for (const char* close : {"Cancel", "\x1b"}) {
        Open();
        EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(sdnew)), std::string("Hilltop's Square Dance Setup with Joe calling"));
        // Typed but never applied: names without Enter, numbers, counts, a file name.
        TypeInto(clubname_entry, "Junk");
        TypeInto(caller_entry, "Nobody");
        TypeInto(maxsquares_entry, "3");
        TypeInto(squaresize_entry, "10");
        TypeInto(anon_entry[5], "4");
        TypeInto(anon_entry[6], "50");
        TypeInto(outputfile_entry, "other.dorvel");
        if (close[0] == 27)
            TypeTo(sdnew, close);
        else
            ASSERT_TRUE(ClickButton(Bttn(close)));
        EXPECT_FALSE(SetupOpen()) << close;
        EXPECT_EQ(editmode, EDIT);
        EXPECT_EQ(Settings(), settings) << close;
        EXPECT_EQ(FactsDiff(RosterNow(), roster), "") << close;
        Type("s");  // the keys are the main window's again
        ASSERT_TRUE(SetupOpen());
        EXPECT_EQ(Text(maxsquares_entry), "0");
        ASSERT_TRUE(ClickButton(Bttn("Cancel")));
    }
}

TEST_F(SetupTest, RefusedNumbersChangeNothing) {
    BuildClub(2, 0, 0);
    anoncnt = 7;
    AddDancer("M", "Sngl#007", M);
    const std::string settings = Settings();
    Open();
    GtkWidget* done = Bttn("Done");
    // Each refused text is marked where it was typed, says why, and keeps Done from acting.
    const struct { GtkWidget* entry; const char* text; } bad[] = {
        {maxsquares_entry, "abc"},  {maxsquares_entry, " "},   {maxsquares_entry, "-2"},
        {squaresize_entry, "0"},    {squaresize_entry, "102"}, {squaretag_entry, "0"},
        {anon_entry[5], "300"},     {anon_entry[0], "3 4"},    {anon_entry[6], "7"},
    };
    for (const auto& b : bad) {
        std::string before = Text(b.entry);
        TypeInto(b.entry, b.text);
        bool refused = false;
        EXPECT_NE(SetupMessage(b.entry, &refused), "") << b.text;
        EXPECT_TRUE(refused) << b.text;
        EXPECT_TRUE(gtk_style_context_has_class(gtk_widget_get_style_context(b.entry), GTK_STYLE_CLASS_ERROR));
        EXPECT_FALSE(gtk_widget_get_sensitive(done)) << b.text;
        ClickButton(done);
        SetupDispDoneBttn(done, nullptr);  // as a replayed record would
        EXPECT_TRUE(SetupOpen());
        EXPECT_TRUE(gtk_widget_has_focus(b.entry)) << b.text;
        EXPECT_EQ(Settings(), settings) << b.text;
        EXPECT_EQ(RosterCount(), 5) << b.text;
        TypeInto(b.entry, before);
        EXPECT_FALSE(SetupMessage(b.entry, &refused).size() && refused) << b.text;
    }
    EXPECT_TRUE(gtk_widget_get_sensitive(done));
}

TEST_F(SetupTest, DoItNowAppliesNumbersTaggingAndAnonymousDancers) {
    BuildClub(4, 0, 0);
    dispnamestyle = FIRSTNAME;
    Open();
    int width = 0, now = 0;
    gtk_widget_get_preferred_width(sdnew, nullptr, &width);
    int count = SqrTagMapBuild();
    ASSERT_EQ(count, 8);
    gtk_range_set_value(GTK_RANGE(squaretag_dancerslider[1]), 3);  // the operator drags it
    SqrDancer* tagged = mapi2sd[3];
    EXPECT_EQ(sqrtag[1].sd, tagged);
    EXPECT_EQ(LabelText(squaretag_dancerlabel[1]), "Dancer<" + tagged->dispname + ">");
    TypeInto(maxsquares_entry, "3");
    TypeInto(squaresize_entry, "7");
    EXPECT_EQ(SetupMessage(squaresize_entry), "odd: Done makes it 8");
    TypeInto(squaretag_entry, "2");
    TypeInto(anon_entry[5], "2");
    TypeInto(anon_entry[M], "1");
    TypeInto(anon_entry[6], "10\r");
    EXPECT_EQ(anoncnt, 9) << "Enter in Next Anon applies it";
    ASSERT_TRUE(ClickButton(Bttn("DoItNow")));
    EXPECT_TRUE(SetupOpen());
    EXPECT_EQ(maxsquares, 3);
    EXPECT_EQ(squaresize, 8);
    EXPECT_EQ(Text(squaresize_entry), "8");
    EXPECT_EQ(sqrtag[1].isqr, 1);
    EXPECT_EQ(tagged->tagged, 1);
    EXPECT_EQ(dispnamestyle, LASTNAME);
    std::string made;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (AnonNumber(sd->lastname)) made += strprintf("%s %s %s;", sd->firstname.c_str(), sd->lastname.c_str(), strpgm(sd->pgm));
    EXPECT_EQ(made, "F Couple#010 Basic;M Couple#010 Basic;F Couple#011 Basic;M Couple#011 Basic;M Sngl#012 Basic;");
    EXPECT_EQ(Text(anon_entry[5]), "0");
    EXPECT_EQ(Text(anon_entry[6]), "13");
    EXPECT_EQ(LabelText(anon_label_cnts[5]), "2");
    // Every present dancer can be tagged now, the new ones too.
    EXPECT_EQ(gtk_adjustment_get_upper(gtk_range_get_adjustment(GTK_RANGE(squaretag_dancerslider[0]))), 13);
    ASSERT_TRUE(ClickButton(squaretag_clear));
    for (int i = 0; i < SQRTAGQTY; ++i) {
        EXPECT_EQ(sqrtag[i].sd, nullptr);
        EXPECT_EQ(gtk_range_get_value(GTK_RANGE(squaretag_dancerslider[i])), 0);
    }
    gtk_widget_get_preferred_width(sdnew, nullptr, &now);
    EXPECT_EQ(now, width) << "the dialog keeps its width";
}

// A typed anonymous number ("Couple#003") is taken: the dialog opens usable, the next number
// after it. It fits 1024x768; with no club file read, its Output File follows the club name.
TEST_F(SetupTest, OpensUsableOnASmallScreenAndNamesTheFileAfterTheClub) {
    reqW = 1024;
    reqH = 768;
    ResetResolutions();
    SetupResolutionList();
    outputfilename = dfltsavefile;
    SwitchDisplay(EDIT);
    Type("n");
    TypeTo(sdnew, "Ann\rCouple#003\r");
    sdhd->rfid = 4100000001;  // with a card: "Clear All Rfid" in the dialog too
    RfidInsert(sdhd);
    Open();
    EXPECT_TRUE(gtk_widget_get_sensitive(Bttn("Done")));
    EXPECT_EQ(Text(anon_entry[6]), "4");
    GtkRequisition size;
    gtk_widget_get_preferred_size(sdnew, nullptr, &size);
    EXPECT_TRUE(size.width <= 1024 && size.height <= 768 - 40) << size.width << "x" << size.height << ", a title bar";
    TypeInto(clubname_entry, "Hill Top");
    EXPECT_EQ(Text(outputfile_entry), "top.dorvel");
    TypeInto(outputfile_entry, "mine.dorvel");
    TypeInto(clubname_entry, "Valley");
    EXPECT_EQ(Text(outputfile_entry), "mine.dorvel") << "typed by the operator: it stays";
}

TEST_F(SetupTest, LevelNameStyleAskAndSwitchesApplyAtOnce) {
    BuildClub(2, 0, 0);
    Open();
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(pgmbttns[Plus]), TRUE);
    EXPECT_EQ(pgmfloor, Plus);
    EXPECT_NE(Title().find("Plus Square Dance"), std::string::npos);
    ASSERT_TRUE(ClickButton(Bttn("ask")));
    EXPECT_EQ(askflag, 0);
    EXPECT_EQ(std::string(gtk_button_get_label(GTK_BUTTON(Bttn("Use Outdancer")))), "Use Outdancer");
    ASSERT_TRUE(ClickButton(namestylebttn));
    ASSERT_NE(sdpop, nullptr);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(namestylebttns[FIRSTNAME]), TRUE);
    EXPECT_EQ(dispnamestyle, FIRSTNAME);
    EXPECT_EQ(std::string(gtk_button_get_label(GTK_BUTTON(namestylebttn))), "firstname");
    ASSERT_TRUE(ClickButton(FindButton(sdpop, "Done")));
    EXPECT_EQ(sdpop, nullptr);
    GtkNote("not read yet");  // the button leaves another pop-up as it is
    ASSERT_TRUE(ClickButton(namestylebttn));
    EXPECT_EQ(PopupText(), "not read yet");

    // A switch is pressed in while its option is on, raised while it is off.
    ASSERT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(record_bttn)));
    ASSERT_TRUE(ClickButton(record_bttn));
    ASSERT_NE(rflag, nullptr);
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(record_bttn)));
    ASSERT_TRUE(ClickButton(Sflag_bttn));
    ASSERT_TRUE(ClickButton(Rflag_bttn));
    EXPECT_EQ(Sflag, 1);
    EXPECT_EQ(Rflag, 1);
    ASSERT_TRUE(ClickButton(Rflag_bttn));
    EXPECT_EQ(Rflag, 0);
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(Rflag_bttn)));
    ASSERT_TRUE(ClickButton(record_bttn));
    EXPECT_EQ(rflag, nullptr);
    const std::vector<std::string> lines = FileLines("dorvels.record000");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[1], "(ToggleSflag)");
    EXPECT_EQ(lines[4], "(ToggleRecord)");
}

// Closed mid-evening (Cancel, Escape, Done), the dialog gives back the display it was opened
// over: the hall keeps its squares, the door its attendance.
TEST_F(SetupTest, ClosingReturnsToTheDisplayShownBefore) {
    BuildClub(4, 0, 0);
    Type("r");
    ASSERT_EQ(editmode, SQUARES);
    int tip = tipcnt;
    const EDITMODE modes[] = {SQUARES, PRESENT, EDIT};
    const char* closers[] = {"Cancel", "\x1b", "Done"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        if (modes[i] != SQUARES) Type(modes[i] == PRESENT ? "p" : "e");
        ASSERT_EQ(editmode, modes[i]);
        Type("s");
        ASSERT_TRUE(SetupOpen());
        if (closers[i][0] == '\x1b')
            TypeTo(sdnew, closers[i]);
        else
            ASSERT_TRUE(ClickButton(Bttn(closers[i])));
        Pump();
        EXPECT_FALSE(SetupOpen());
        EXPECT_EQ(editmode, modes[i]);
        if (i < 2) {
            EXPECT_EQ(tipcnt, tip);  // shown again, not rolled anew
        }
    }
}

TEST_F(SetupTest, MixSwitchAppliesAtOnceAndShowsTheSetting) {
    BuildClub(2, 0, 0);
    mixflag = 1;
    Open();
    ASSERT_NE(mix_bttn, nullptr);
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(mix_bttn)));  // on: pressed in
    ASSERT_TRUE(ClickButton(mix_bttn));
    EXPECT_EQ(mixflag, 0);
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(mix_bttn)));
    ASSERT_TRUE(ClickButton(mix_bttn));
    EXPECT_EQ(mixflag, 1);
    ASSERT_TRUE(ClickButton(Bttn("Cancel")));  // a switch is not taken back by Cancel
    EXPECT_EQ(mixflag, 1);
    EXPECT_EQ(mix_bttn, nullptr);
}

// The dialog's chooser of folders or of files.
GtkWidget* FindChooser(GtkWidget* w, GtkFileChooserAction action) {
    return Find(w, [action](GtkWidget* c) {
        return GTK_IS_FILE_CHOOSER_BUTTON(c) && gtk_file_chooser_get_action(GTK_FILE_CHOOSER(c)) == action;
    });
}

// Chooses a file with the dialog's file chooser, as the operator's pick in its dialog would.
void Choose(const std::string& name) {
    GtkWidget* chooser = FindChooser(sdnew, GTK_FILE_CHOOSER_ACTION_OPEN);
    ASSERT_NE(chooser, nullptr);
    char* full = realpath(name.c_str(), nullptr);
    ASSERT_NE(full, nullptr) << name;
    ASSERT_TRUE(gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), full));
    free(full);
    g_signal_emit_by_name(chooser, "file-set");
}

TEST_F(SetupTest, ChoosingTheClubFile) {
    BuildClub(3, 0, 0);
    clubname = "Hilltop";
    pgmfloor = Plus;
    ASSERT_TRUE(WriteDorvels(0));
    inputfilename = outputfilename;  // club.dorvel, read at start
    AddDancer("Late", "Comer", F);   // arrived after the last write
    WriteFile("notes.txt", "shopping list\nmilk and bread\n");
    WriteFile("other.dorvel", "club=Swans\ncaller=Ann\nAnn Ash f L 0 1 Basic\nBob Ash m L 0 1 Basic\n");
    mkdir("sub", 0755);
    WriteFile("sub/club.dorvel", "club=Elsewhere\nCy Doe m L 0 1 Basic\n");
    mkdir("ro", 0555);
    mkdir("dir.dorvel", 0755);
    const std::string settings = Settings();
    const RosterFacts roster = RosterNow();
    Open();

    // What cannot be the club file is refused beside the entry; nothing changes.
    auto refused = [&](const char* why) {
        const std::string typed = Text(outputfile_entry);
        ClickButton(Bttn("Done"));
        EXPECT_TRUE(SetupOpen()) << why;
        EXPECT_EQ(Text(outputfile_entry), typed);
        bool bad = false;
        EXPECT_NE(SetupMessage(outputfile_entry, &bad).find(why), std::string::npos) << SetupMessage(outputfile_entry);
        EXPECT_TRUE(bad);
        EXPECT_EQ(Settings(), settings);
        EXPECT_EQ(FactsDiff(RosterNow(), roster), "");
    };
    Choose("notes.txt");
    refused("is not a club file: line 1 reads <shopping list>");
    TypeInto(outputfile_entry, "ro/new.dorvel");
    EXPECT_EQ(SetupMessage(outputfile_entry), "") << "typing takes the old message away";
    refused("cannot be written");
    TypeInto(outputfile_entry, "dir.dorvel");
    refused("cannot be read");
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("club=Swans\nAnn Ash f L 0 1 Basic\n")) (utf16 += c) += '\0';
    WriteFile("utf16.dorvel", utf16);
    Choose("utf16.dorvel");
    refused("is not a club file: it is UTF-16 text");
    // Another Dorvels holds this one (its lock is taken through another opening of the file).
    int held = open("other.dorvel", O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    Choose("other.dorvel");
    refused("other.dorvel> is in use by another Dorvels");
    close(held);
    EXPECT_EQ(ReadBack("club.dorvel").count("Late Comer"), 0u) << "nothing written for a refused file";

    // Another club file: the roster is saved to its own file first, then replaced; the new
    // club's settings are what its file says (Basic, not the old club's Plus).
    Choose("other.dorvel");
    ASSERT_TRUE(ClickButton(Bttn("Done")));
    EXPECT_FALSE(SetupOpen());
    EXPECT_EQ(ReadBack("club.dorvel").count("Late Comer"), 1u);
    EXPECT_EQ(RosterNow().count("Ann Ash") + RosterNow().count("Bob Ash"), 2u);
    EXPECT_EQ(RosterCount(), 2);
    EXPECT_EQ(Title(), "Swans' Square Dance with Ann calling");

    // A file of the same name in another folder is another club.
    Type("s");
    Choose("sub/club.dorvel");
    ASSERT_TRUE(ClickButton(Bttn("DoItNow")));
    EXPECT_EQ(RosterNow().count("Cy Doe"), 1u);
    EXPECT_EQ(Text(clubname_entry), "Elsewhere");
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(pgmbttns[Basic])));

    // A new name keeps the roster, which is written there from now on.
    TypeInto(outputfile_entry, "fresh.dorvel");
    ASSERT_TRUE(ClickButton(Bttn("DoItNow")));
    EXPECT_EQ(outputfilename, "fresh.dorvel");
    EXPECT_EQ(RosterCount(), 1);

    // New Square Dancers applies what was typed, like DoItNow, and leaves for the edit display.
    TypeInto(caller_entry, "Cy");
    ASSERT_TRUE(ClickButton(Bttn("New Square Dancers")));
    EXPECT_FALSE(SetupOpen());
    EXPECT_EQ(caller, "Cy");
    EXPECT_EQ(editmode, EDIT);
    EXPECT_NE(NewDancerBeingEntered(), nullptr);
}

TEST_F(SetupTest, AFolderThatCannotBeWrittenIsNamedWhenChosen) {
    mkdir("ro", 0555);
    Open();
    GtkWidget* dirchooser = FindChooser(sdnew, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER);
    ASSERT_NE(dirchooser, nullptr);
    char* full = realpath("ro", nullptr);
    ASSERT_TRUE(gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(dirchooser), full));
    g_signal_emit_by_name(dirchooser, "file-set");
    free(full);
    bool refused = false;
    EXPECT_NE(SetupMessage(outputfile_entry, &refused).find("cannot be written"), std::string::npos);
    EXPECT_TRUE(refused);
}

TEST_F(SetupTest, ButtonsThatThrowAwayAskFirst) {
    BuildClub(4, 0, 0);
    sdhd->rfid = 1234567890;
    RfidInsert(sdhd);
    speccard[PRESENT_ROLL] = 1111111111;
    SwitchDisplay(SQUARES);
    ASSERT_EQ(tipcnt, 1);
    SqrDancer* once = sdtl;
    LuckMustToggle(once, true);  // must for one tip
    Open();
    const RosterFacts roster = RosterNow();

    // Enter and Escape on the question answer Cancel.
    for (guint key : {GDK_KEY_Return, GDK_KEY_Escape}) {
        auto asked = WhenDialog("Clear Dancers", [key](GtkWidget* dlg) {
            SendKeyTo(dlg, key, key == GDK_KEY_Return ? "\r" : "\x1b");
        });
        ASSERT_TRUE(ClickButton(Bttn("Clear Dancers")));
        EXPECT_TRUE(*asked);
        EXPECT_EQ(answered_buttons, (std::vector<std::string>{"Cancel", "Clear Dancers"}));
        EXPECT_EQ(FactsDiff(RosterNow(), roster), "");
    }

    auto counts = AnswerDialog("Clear Dance Counts", GTK_RESPONSE_ACCEPT);
    ASSERT_TRUE(ClickButton(Bttn("Clear Dance Counts")));
    EXPECT_TRUE(*counts);
    EXPECT_EQ(tipcnt, 0);
    EXPECT_EQ(histhd, nullptr);
    EXPECT_EQ(once->priority, LUCK) << "a must-once request ends with the counts";
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) EXPECT_EQ(sd->dances, 0);

    auto cards = AnswerDialog("Clear All Rfid", GTK_RESPONSE_ACCEPT);
    GtkWidget* clearrfid = Bttn("Clear All Rfid");
    ASSERT_TRUE(ClickButton(clearrfid));
    EXPECT_TRUE(*cards);
    EXPECT_EQ(sdhd->rfid, 0u);
    EXPECT_EQ(varhash, nullptr);
    EXPECT_EQ(speccard[PRESENT_ROLL], 1111111111u);
    EXPECT_FALSE(gtk_widget_get_visible(clearrfid));

    auto cleared = AnswerDialog("Clear Dancers", GTK_RESPONSE_ACCEPT);
    ASSERT_TRUE(ClickButton(Bttn("Clear Dancers")));
    EXPECT_TRUE(*cleared);
    EXPECT_EQ(sdhd, nullptr);
    EXPECT_TRUE(SetupOpen());
    EXPECT_EQ(editmode, SETUP);

    // Nothing left to lose: Reset asks nothing and forgets the club.
    TypeInto(clubname_entry, "Hilltop\r");
    ASSERT_TRUE(ClickButton(Bttn("Reset")));
    EXPECT_EQ(Title().find("Hilltop"), std::string::npos);
    EXPECT_EQ(std::string(gtk_window_get_title(GTK_WINDOW(sdnew))).find("Hilltop"), std::string::npos);
    EXPECT_EQ(Text(clubname_entry), "None");
    EXPECT_EQ(Text(caller_entry), "None");
    EXPECT_EQ(Text(outputfile_entry), "dorvels.dorvel");
}

TEST_F(SetupTest, QuestionOutlivesCloseRequests) {
    BuildClub(2, 0, 0);
    Open();
    // While the question is up, the window's close and another press do nothing.
    auto asked = WhenDialog("Clear Dancers", [](GtkWidget* dlg) {
        GdkEvent* close = gdk_event_new(GDK_DELETE);  // the window manager's close
        close->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(sdnew)));
        gtk_main_do_event(close);
        gdk_event_free(close);
        SetupDispCancelBttn(nullptr, GINT_TO_POINTER(SETUP_CLEARDANCERS));
        gtk_dialog_response(GTK_DIALOG(dlg), GTK_RESPONSE_CANCEL);
    });
    ASSERT_TRUE(ClickButton(Bttn("Clear Dancers")));
    EXPECT_TRUE(*asked);
    EXPECT_TRUE(SetupOpen());
    EXPECT_EQ(RosterCount(), 4);
    // The main window going away takes the dialog and its question along.
    auto gone = WhenDialog("Clear Dancers", [](GtkWidget*) {
        GtkWidget* w = sdwin;
        sdwin = nullptr;
        gtk_widget_destroy(w);
    });
    ASSERT_TRUE(ClickButton(Bttn("Clear Dancers")));
    EXPECT_TRUE(*gone);
    EXPECT_FALSE(SetupOpen());
    EXPECT_EQ(sdnew, nullptr);
    EXPECT_EQ(RosterCount(), 4);
}

}  // namespace

namespace {

// The Phone Page switch: pressed in while the page is off, like the other switches; on, the
// page answers where --serve said; a port that cannot be had leaves it off with the reason.
TEST_F(SetupTest, PhonePageSwitchStartsAndStopsTheServer) {
    BuildClub(2, 0, 0);
    ServeOption opt;
    opt.address = "127.0.0.1";
    opt.port = 0;
    std::string err;
    ASSERT_TRUE(PhoneServerStart(opt, &err)) << err;  // as --serve=127.0.0.1:0 would
    PhoneServerStop();
    rflag = fopen("phone.record", "w");
    Open();
    ASSERT_NE(phonepage_bttn, nullptr);
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(phonepage_bttn)));
    ASSERT_TRUE(ClickButton(phonepage_bttn));
    ASSERT_TRUE(PhoneServerRunning());
    EXPECT_TRUE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(phonepage_bttn)));
    int port = PhoneServerPort();
    EXPECT_EQ(Http(port, "GET", "/k/" + AccessKey() + "/").status, 200);
    ASSERT_TRUE(ClickButton(phonepage_bttn));
    EXPECT_FALSE(PhoneServerRunning());
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(phonepage_bttn)));
    EXPECT_EQ(Http(port, "GET", "/").status, 0);

    // The port taken by another program meanwhile.
    int other = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    int one = 1;
    setsockopt(other, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    ASSERT_EQ(bind(other, (sockaddr*)&a, sizeof a), 0);
    ASSERT_EQ(listen(other, 1), 0);
    opt.port = port;
    EXPECT_FALSE(PhoneServerStart(opt, &err));
    ASSERT_TRUE(ClickButton(phonepage_bttn));
    EXPECT_FALSE(PhoneServerRunning());
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(phonepage_bttn)));
    EXPECT_NE(PopupText().find("cannot listen"), std::string::npos) << PopupText();
    close(other);
    fclose(rflag);
    rflag = nullptr;
    const std::vector<std::string> lines = FileLines("phone.record");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "(TogglePhonePage)"), 3);
}

}  // namespace
