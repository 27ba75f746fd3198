// SPDX-License-Identifier: GPL-3.0-or-later
// The boards on paper: the board shown, printed with the P key through GTK's print dialog,
// and the Present board written straight to a PDF (--print-pdf), without a window.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

// A board as it goes on paper: a heading and the board's texts in the board's order.
struct PaperBoard {
    std::string title;     // the club
    std::string subtitle;  // which board, the tip, the level, the caller
    std::vector<std::string> entries;
    bool aligned = false;  // right-aligned in a fixed-width font, so that the square numbers line up
};

// The board shown, as it goes on paper (no entries when the display shows nothing to print).
PaperBoard ShownBoard();
// The Present board: every present dancer, in the board's order; a dancer below the level of
// the evening (left off the board on the screen) is listed with the level in parentheses.
PaperBoard PresentBoard();

// Lays `board` out for the page and prints it: through the print dialog, or, with pdf set,
// straight to that PDF file. Returns the number of pages, 0 when the operator cancelled,
// -1 on failure with the reason in *err.
int PrintPaperBoard(const PaperBoard& board, const char* pdf, std::string* err);
// The folder "Print to File" proposes: the club file's when it is not hidden, else Documents
// (else home).
std::string PrintFolder();

// The choices the next print dialog starts from (printer, paper, output file); a print the
// operator confirmed leaves its own choices there for the next one.
void SetPrintSettings(GtkPrintSettings* settings);

// The P key: prints the board shown through the print dialog.
void PrintShownBoard();
// --print-pdf FILE: the Present board of the roster read at start-up to FILE. Says what it
// wrote (or why it could not) and returns the program's exit status.
int PrintPresentPdf(const std::string& file);
