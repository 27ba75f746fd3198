// SPDX-License-Identifier: GPL-3.0-or-later
// What the setup dialog changes and how: the numbers its entries accept, and the buttons of
// its bottom row that clear parts of the evening. Headless, so the rules are tested without
// a display.
#pragma once

#include <string>

#include "core/dorvels.h"

// The number entries of the setup dialog. The anonymous ones follow the order of anoncounts
// (single M, F, MF, FM and E dancers, then couples) and end with the next anonymous number.
enum SETUPFIELD {
    SF_MAXSQUARES = 0, SF_SQUARESIZE, SF_TAGSQUARE, SF_ANON,
    SF_COUPLES = SF_ANON + 5, SF_NEXTANON, SF_QTY
};

constexpr int MAXHALLSQUARES = 200;  // most squares of a tip, and the highest tag square
constexpr int MAXNEWANON = 500;      // most anonymous dancers made at once

// The texts of the number entries, checked together. Every field gets its value and a
// message to show beside it: why the text is refused (bad), or a remark on a value that is
// taken ("0: no limit"; an odd square size, which Done raises by one).
struct SetupNumbers {
    int value[SF_QTY] = {};
    bool bad[SF_QTY] = {};
    std::string message[SF_QTY];
    // The first refused field, SF_QTY when every one is taken.
    int FirstBad() const;
};
SetupNumbers CheckSetupNumbers(const std::string (&text)[SF_QTY]);

// The dancers Done makes from the anonymous counts of checked numbers (couples count two).
int NewAnonDancers(const SetupNumbers& n);

// "Clear Dance Counts": every dancer back to 0 dances, no tips, no skip or must-once requests.
void ClearDanceCounts();
// "Clear All Rfid": no dancer has a card any more; the command cards stay.
void ClearAllRfid();
// "Clear Dancers": no roster, no tips, no requests or tags; anonymous numbers start again.
// The display mode stays.
void ClearRoster();
// "Reset": ClearRoster, and the club's name, caller, level, name style and output file are
// forgotten.
void ResetSetup();
