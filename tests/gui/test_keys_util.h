// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the hotkey and soak tests: a main window built as the program builds it (but
// without running the main loop), key and click events delivered through GTK's own event
// dispatch, answers to modal dialogs, and the club file read back into a roster.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/fixtures.h"
#include "test_dialog_answers.h"

// Everything a club file says about one dancer.
struct DancerFacts {
    std::string sex, pgm, partner;
    int dances = 0, avail = 0, priority = 0;
    unsigned long long rfid = 0;
    bool operator==(const DancerFacts&) const = default;
};
void PrintTo(const DancerFacts& f, std::ostream* os);
using RosterFacts = std::map<std::string, DancerFacts>;  // keyed by "first last" as filed

// The facts of the roster in memory; with counts false every dance count is taken as 0.
RosterFacts RosterNow(bool counts = true);
// Reads the club file at path with the program's reader into a roster of its own and
// returns its facts; the evening's roster and settings are left as they were. The reader
// starts every evening at 0 dances, so the counts are taken from the dancer lines' text.
RosterFacts ReadBack(const std::string& path);

// The dancers whose facts differ between a and b, one line each ("" when equal).
std::string FactsDiff(const RosterFacts& a, const RosterFacts& b);

// A fresh evening in a scratch folder, with the main window made as the program makes it.
class KeysWindow : public Evening {
protected:
    void SetUp() override;
    void TearDown() override;
    // Starts recording into a file of the test; returns its name.
    std::string StartRecording();
    // The lines recorded so far.
    std::vector<std::string> Recorded();
    std::string dir;  // the scratch folder (working directory of the test)
    std::string saved_cwd;
};

// 8 couples and 4 singles on the edit display: 20 dancers, two squares, four sit out each tip.
class ClubWindow : public KeysWindow {
protected:
    void SetUp() override;
};

// Tips danced by the whole roster, and tips in the history.
int DanceSum();
int HistoryQty();

// Runs the main loop until nothing is pending.
void Pump();
// Delivers a key press and its release with the given key value and text where the keyboard
// is: to an open dancer pop-up, else to the main window.
void SendKey(guint keyval, const char* text, guint state = 0);
// The same to another window: the key goes to that window's focused widget.
void SendKeyTo(GtkWidget* win, guint keyval, const char* text, guint state = 0);
// Puts key presses and releases for the characters of s (digits, letters, '\r') into GTK's event queue for
// the window win, all at once, as a card reader types them faster than the main loop turns;
// keypad keys for digits and Enter with keypad set. Pump() then delivers them. With gapms,
// the keys' times are that far apart (a person typing), else they carry no time.
void QueueKeys(GtkWidget* win, const std::string& s, bool keypad = false, uint32_t gapms = 0);
// The window a card reader types into: a dancer's pop-up or the card or multi-card window
// while one is open, else the main window.
GtkWidget* KeyTarget();
// A card swiped at reader speed: its ten digits and Enter queued at once for KeyTarget(), then
// delivered.
void Swipe(uint64_t card, bool keypad = false);
// The buttons inside a window, in packing order; the one labelled `label` (null when none).
std::vector<GtkWidget*> ButtonsOf(GtkWidget* root);
GtkWidget* ButtonLabelled(GtkWidget* root, const std::string& label);
// One random operator action on whatever card window is open (a button of the card or
// multi-card window, the slider and its button, a command of the grid); false when none is.
bool ActOnCardWindows(unsigned pick);
// Types each character of s (carriage return, line feed and Escape included).
void Type(const std::string& s);
// Types into another window (a dialog); stops when the window or the main window goes away.
void TypeTo(GtkWidget* win, const std::string& s);
std::string Title();
// Toggles the name button of sd as a mouse click would (press and release of button 1 with
// the given modifier state). Returns false when the dancer has no button on screen.
bool ClickName(SqrDancer* sd, guint state = 0);
// Delivers a mouse button press (or a double or triple press: type) at x, y of the window
// w, as the X server reports one.
void PressButton(GtkWidget* w, guint button, double x, double y, GdkEventType type = GDK_BUTTON_PRESS);
// The buttons of the open pop-up menu in grid order (empty when it is closed).
std::vector<GtkWidget*> MenuButtons();
// The menu button of key (its label begins "key:", "Esc:" for Escape), or null.
GtkWidget* MenuButton(char key);

// A roster of the tests: couples and singles, all present, at Basic.
void BuildClub(int couples, int singlesM, int singlesF);
// Lines of a text file.
std::vector<std::string> FileLines(const std::string& path);
