// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the board tests: a main window of a given size with the bundled font sets,
// reading cells back (text, grid position, colours), and small roster builders.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

#include "display/boards.h"
#include "registry/registry.h"
#include "support/fixtures.h"

// A fresh evening in a scratch folder with a main window of width x height pixels, the
// bundled resolution file chosen for that width, and fixed random seeds.
class BoardsWindow : public Evening {
protected:
    void SetUp() override { Open(1920, 1080); }
    void TearDown() override;
    void Open(int width, int height);
    std::string dir;
    std::string saved_cwd;
};

// Runs the main loop until nothing is pending.
void BoardsPump();
// Runs the main loop until the window's contents have been given their sizes (at most 2 s).
void BoardsSettle();
// Grid position of a widget attached to sdgrid: {column, row}; {-1, -1} when not attached.
std::pair<int, int> GridPos(GtkWidget* w);
// Background and text colour of a widget as "#rrggbb".
std::string Background(GtkWidget* w);
std::string Foreground(GtkWidget* w);
// The texts of the cells of the current board, in cell order.
std::vector<std::string> BoardTexts();
// Squares board texts without their padding ("Smith: 3", "Jones:Brown: Out"); empty cells left out.
std::vector<std::string> BoardEntries(const std::vector<std::string>& board = BoardTexts());
// A mouse click (press and release of button 1) on a button with the given modifier state,
// delivered through GTK's own event dispatch; with clicks 2 a double click, as X reports it
// (press, release, press, double press, release). False when the button is not on screen.
bool ClickButton(GtkWidget* b, guint state = 0, int clicks = 1);
// The first widget inside w (w included) that matches.
GtkWidget* Find(GtkWidget* w, const std::function<bool(GtkWidget*)>& match);
// The edit cell of sd is made first when it has not been in view yet.
// The buttons packed in the edit cell of sd, in order: the name toggle, then the six small
// buttons (labels read with CellText).
std::vector<GtkWidget*> EditCellButtons(SqrDancer* sd);
// The frame of sd's edit cell (attached to sdgrid).
GtkWidget* EditCellFrame(SqrDancer* sd);
// What is wrong with the edit display's kept cells, one line each ("" when nothing): a cell
// reaching a deleted dancer, a dancer pointing at a button of no kept cell or of another
// dancer's cell, and, while the edit display shows, a cell that does not show its dancer as
// the dancer is or a row in view without its cells.
std::string EditCellFaults();
// The entry texts of a squares board, right-aligned as the board prints them.
std::string SqrEntry(int width, const std::string& name, int square);
std::string OutEntry(int width, const std::string& name);

// Makes a and b each other's partners; returns a.
inline SqrDancer* Pair(SqrDancer* a, SqrDancer* b) {
    a->partner = b;
    b->partner = a;
    return a;
}

// Eight dancers of one square, sorted by name: Bob and Ann Smith, Evan and Fay Lee (couples of
// one last name), Carl Jones and Dora Brown (a couple of two), singles Sue Tam and Tom Uhl.
inline void OneSquareClub() {
    AddCouple("Bob", "Ann", "Smith");
    Pair(AddDancer("Carl", "Jones", M), AddDancer("Dora", "Brown", F));
    AddCouple("Evan", "Fay", "Lee");
    AddDancer("Sue", "Tam", F);
    AddDancer("Tom", "Uhl", M);
    SortByName();
}

// Gives a dancer and its partner the priority p.
inline void Prio(SqrDancer* sd, SDPRIORITY p) {
    sd->priority = p;
    if (sd->partner) sd->partner->priority = p;
}
