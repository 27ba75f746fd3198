// SPDX-License-Identifier: GPL-3.0-or-later
// The whole evening in one process: start-up reads a hand-made club file named on the
// command line, the real main window runs, and closing the window writes the club back.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "commands/keys.h"
#include "core/startup.h"
#include "files/clubfile.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_dialog_answers.h"
#include "test_keys_util.h"
#include "test_window_helpers.h"

namespace {
class EveningEnd : public Screen {
protected:
    std::string home;      // the working directory before the test
    std::string home_dir;  // the test's own folder
    void SetUp() override {
        Screen::SetUp();
        home_dir = EnterNewDir("evening-end", &home);
    }
    void TearDown() override {
        CancelAnswers();
        LeaveDir(home);
        Screen::TearDown();
    }
    // Start-up as main does it, from these arguments.
    static void Start(std::vector<std::string> args) {
        args.insert(args.begin(), "dorvels");
        args.push_back("1024x768");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        StartupArguments((int)args.size(), argv.data());
        SetupResolutionList();
        StartupFinish();
    }
};

const char* kHandMade =
    "% The Hilltop Squares, kept by hand.\n"
    "%   second comment line\n"
    "club=Hilltop Squares\n"
    "caller=Joe\n"
    "pgm=Plus\n"
    "Ann  Smith f L 4 1 Plus +0000000042 & Bob Smith\n"
    "Bob  Smith m L 4 1 Plus             & Ann Smith\n"
    "Cy   Jones m M 2 a    A1\n"
    "Di   Lane  f L 7 0    plus\n"
    "Ed   Moss  e L 1 1    Plus\n"
    "Fay  Moss  e L 1 1    Plus\n"
    "Gus  Holt  m L 0 1    Plus\n"
    "Hal  Holt  f L 0 1    Plus\n";

gboolean CloseMainWindow(gpointer) {
    if (sdwin) gtk_window_close(GTK_WINDOW(sdwin));  // as the window manager's close button
    return G_SOURCE_REMOVE;
}
}  // namespace

TEST_F(EveningEnd, ClosingTheWindowWritesTheClubBack) {
    WriteFile("myclub.dorvel", kHandMade);
    std::string a0 = "dorvels", a1 = "myclub.dorvel", a2 = "1024x768";
    char* argv[] = {a0.data(), a1.data(), a2.data(), nullptr};
    StartupArguments(3, argv);
    ASSERT_EQ(RosterCount(), 8);
    EXPECT_EQ(outputfilename, "myclub.dorvel");
    SetupResolutionList();
    StartupFinish();

    g_timeout_add(300, CloseMainWindow, nullptr);
    RunDisplay();  // returns when the window's "destroy" has ended the main loop
    EXPECT_EQ(sdwin, nullptr);

    std::string out = ReadFile("myclub.dorvel");
    EXPECT_EQ(out.rfind("% The Hilltop Squares, kept by hand.\n%   second comment line\nclub=Hilltop Squares\n", 0), 0u)
        << out;
    EXPECT_NE(out.find("caller=Joe\npgm=Plus\n"), std::string::npos);
    // Every dance count written as 0; presence, cards, priorities and partners kept.
    EXPECT_NE(out.find("Ann Smith  f L 0 1 Plus  +0000000042 & Bob Smith\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Cy  Jones  m M 0 1 A1   "), std::string::npos) << out;
    EXPECT_NE(out.find("Di  Lane   f L 0 0 Plus "), std::string::npos) << out;
    EXPECT_EQ(out.find(" L 4 "), std::string::npos);
    EXPECT_EQ(out.find(" L 7 "), std::string::npos);
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "myclub.dorvel\n");
}

namespace {
// Closes the window once it is up, as the window manager's close button does.
void CloseSoon() { g_timeout_add(300, CloseMainWindow, nullptr); }
}  // namespace

TEST_F(EveningEnd, AFailedSaveAtTheCloseIsAskedAboutAndQuitLeavesTheFile) {
    ASSERT_EQ(mkdir("ro", 0755), 0);
    WriteFile("ro/club.dorvel", kHandMade);
    Start({"ro/club.dorvel"});
    ASSERT_EQ(chmod("ro", 0555), 0);
    std::string asked;
    auto answered = WhenDialog("Club file not saved", [&asked](GtkWidget* dlg) {
        GList* kids = gtk_container_get_children(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dlg))));
        for (GList* k = kids; k; k = k->next)
            if (GTK_IS_LABEL(k->data)) asked = gtk_label_get_text(GTK_LABEL(k->data));
        g_list_free(kids);
        gtk_dialog_response(GTK_DIALOG(dlg), SAVE_NOT);
    });
    CloseSoon();
    RunDisplay();
    ASSERT_EQ(chmod("ro", 0755), 0);
    EXPECT_TRUE(*answered);
    EXPECT_EQ(answered_buttons, (std::vector<std::string>{"_Try again", "_Save as...", "_Quit without saving"}));
    EXPECT_EQ(asked, "unable to write <ro/club.dorvel>: Permission denied");
    EXPECT_EQ(sdwin, nullptr);
    EXPECT_EQ(ReadFile("ro/club.dorvel"), kHandMade);
}

TEST_F(EveningEnd, AFailedSaveCanGoToAnotherFileChosenByTheOperator) {
    ASSERT_EQ(mkdir("ro", 0755), 0);
    WriteFile("ro/club.dorvel", kHandMade);
    Start({"ro/club.dorvel"});
    ASSERT_EQ(chmod("ro", 0555), 0);
    auto saveas = AnswerDialog("Club file not saved", SAVE_OTHERNAME);
    auto chosen = WhenDialog("Save the club file as", [this](GtkWidget* dlg) {
        // The chooser changes folder in the background, as when the operator clicks one.
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dlg), home_dir.c_str());
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(dlg), "rescued.dorvel");
        for (int i = 0; i < 200; ++i) {
            char* f = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dlg));
            g_free(f);
            if (f) break;
            g_usleep(10000);
            while (gtk_events_pending()) gtk_main_iteration();
        }
        gtk_dialog_response(GTK_DIALOG(dlg), GTK_RESPONSE_ACCEPT);
    });
    CloseSoon();
    RunDisplay();
    ASSERT_EQ(chmod("ro", 0755), 0);
    EXPECT_TRUE(*saveas);
    EXPECT_TRUE(*chosen);
    EXPECT_EQ(ReadFile("ro/club.dorvel"), kHandMade);
    std::string rescued = ReadFile("rescued.dorvel");
    EXPECT_NE(rescued.find("Ann Smith  f L 0 1 Plus  +0000000042 & Bob Smith\n"), std::string::npos) << rescued;
    EXPECT_EQ(ReadFile("lastdance.dorvels"), home_dir + "/rescued.dorvel\n");
}

TEST_F(EveningEnd, WhatStartUpFoundIsShownOnceTheWindowIsOpen) {
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string(kHandMade)) (utf16 += c) += '\0';
    WriteFile("club.dorvel", utf16);
    Start({"club.dorvel"});
    EXPECT_EQ(RosterCount(), 0);
    static std::string shown;
    shown.clear();
    g_timeout_add(300, [](gpointer) -> gboolean {
        shown = PopupText();
        return CloseMainWindow(nullptr);
    }, nullptr);
    RunDisplay();
    EXPECT_NE(shown.find("<club.dorvel> was not read: it is UTF-16 text"), std::string::npos) << shown;
    // Nothing was entered: the window closes without a question, and the file stays.
    EXPECT_EQ(sdwin, nullptr);
    EXPECT_EQ(ReadFile("club.dorvel"), utf16);
}

namespace {
std::string seen;     // the title's last word and the dancers present, once the keys below were done
std::string resumed;  // the evening file before them
// Done once no question is up any more and the keys it passed on have been performed.
gboolean Keys(gpointer keys) {
    if (gtk_grab_get_current()) return G_SOURCE_CONTINUE;
    while (g_main_context_iteration(nullptr, FALSE)) {}
    resumed = ReadFile("myclub.evening");
    for (const char* k = static_cast<const char*>(keys); *k; ++k) KeybrdCmd(*k);
    int present = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) present += sd->avail;
    seen = strprintf("%s %d", Title().substr(Title().rfind(' ') + 1).c_str(), present);
    return sdwin ? CloseMainWindow(nullptr) : G_SOURCE_REMOVE;
}
// A club with cards: Ann's, and nine dancers without.
void WriteHarborClub() {
    std::string club = "club=Harbor Squares\nAnn Ash f L 0 1 Basic +4100000001\n";
    for (const char* name : {"Bo", "Cy", "Di", "Ed", "Flo", "Gus", "Hal", "Ida", "Jo"})
        club += strprintf("%s Ash e L 0 1 Basic\n", name);
    WriteFile("myclub.dorvel", club);
}
}  // namespace

// An evening ended on purpose (the window closed, Q) is offered at the next start on its
// club file with "New evening" as the default: an "r" typed into the question out of habit
// begins a new evening and rolls its tip 1. Resume brings the evening back. A new club
// night with cards (the club file last written on an earlier day) begins with everybody
// absent.
TEST_F(EveningEnd, TheNextStartOffersTheEveningAndNewEveningIsItsDefaultAfterAnEnd) {
    WriteHarborClub();
    const struct {
        const char* keys;  // done once the window is up
        int answer;        // the question's response, or 'r' typed into it
        bool weekold;      // the club file dated a week back
    } runs[] = {
        {"rr", GTK_RESPONSE_NONE, false},
        {"", 'r', false},
        {"", 1, false},  // Resume
        {"rQ", 1, false},  // a tip, and quit without writing
        {"", 2, true},   // New evening
    };
    std::vector<std::string> outcomes;  // asked, then what the keys left
    for (const auto& run : runs) {
        ResetEvening();
        ASSERT_TRUE(!run.weekold || system("touch -d '7 days ago' myclub.dorvel") == 0);
        Start({"myclub.dorvel"});
        auto answered = WhenDialog("Tonight's evening", [answer = run.answer](GtkWidget* dlg) {
            if (answer == 'r') SendKeyTo(dlg, GDK_KEY_r, "r");
            else gtk_dialog_response(GTK_DIALOG(dlg), answer);
        });
        g_timeout_add(300, Keys, (gpointer)run.keys);
        RunDisplay();
        CancelAnswers();  // an answerer not used goes with its start
        outcomes.push_back((*answered ? "asked, " : "") + seen);
    }
    // A title ending in "calling" has no tip number: the evening begins.
    EXPECT_EQ(outcomes, (std::vector<std::string>{"tip#2 10", "asked, tip#1 10", "asked, tip#1 10", "asked, tip#2 10",
                                                  "asked, calling 0"}));
}

// The resume question changes nothing until it is answered: a card swiped while it is up (its
// Enter too) and a Tab write no evening file and answer nothing. The card is handled once the
// evening is resumed, and the resumed evening is on disk at once.
TEST_F(EveningEnd, TheQuestionWritesNothingAndACardSwipedMeanwhileWaits) {
    WriteHarborClub();
    ResetEvening();
    Start({"myclub.dorvel"});
    g_timeout_add(300, Keys, (gpointer)"rr");
    RunDisplay();
    const std::string offered = ReadFile("myclub.evening");
    ASSERT_NE(offered.find("\ntip=2 "), std::string::npos);

    ResetEvening();
    Start({"myclub.dorvel"});
    static std::string during;  // the evening file while the question was still up
    auto answered = WhenDialog("Tonight's evening", [](GtkWidget* dlg) {
        QueueKeys(dlg, "4100000001\r");
        Pump();
        SendKeyTo(dlg, GDK_KEY_Tab, "\t");
        Pump();
        during = ReadFile("myclub.evening") + (gtk_widget_get_visible(dlg) ? "" : "(closed)");
        gtk_dialog_response(GTK_DIALOG(dlg), 1);  // Resume
    });
    during.clear(), resumed.clear();
    g_timeout_add(300, Keys, (gpointer) "");
    RunDisplay();
    CancelAnswers();
    EXPECT_TRUE(*answered);
    EXPECT_EQ(during, offered);
    EXPECT_EQ(seen, "tip#2 9");  // resumed at tip 2, Ann's card checked her out
    EXPECT_NE(resumed.find("\ntip=2 "), std::string::npos);
    EXPECT_NE(resumed.find("\ndancer=Ann Ash 0 "), std::string::npos) << resumed;
}
