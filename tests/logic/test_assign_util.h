// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the assignment-engine tests: a tip run as the squares display runs it,
// and views of the rolled squares.
#pragma once

#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "assign/assign.h"
#include "core/dorvels.h"
#include "history/history.h"
#include "support/fixtures.h"

namespace assigntest {

// One tip the way the squares display runs it (without the board texts).
inline Square* Tip() {
    prvtipcnt = tipcnt;
    ++tipcnt;
    SaveRollDisplay();
    ApplySkipTips();
    Square* s = RollSquares();
    if (!s) return nullptr;
    OutDancersAfterRoll();
    editmode = SQUARES;
    char** cells = static_cast<char**>(calloc(2, sizeof(char*)));
    cells[0] = strdup("cell");
    HistorySave(cells, 1);
    return s;
}

// The dancers of square i, slot by slot (null for an empty slot).
inline std::vector<SqrDancer*> Slots(int i) {
    std::vector<SqrDancer*> v;
    for (int j = 0; j < squaresize; ++j) v.push_back(sqr[i].dancer[j]);
    return v;
}

// A text picture of the whole roll: names per square in slot order.
inline std::string Picture() {
    std::string s;
    for (int i = 0; i < totsquare; ++i) {
        s += "[";
        for (int j = 0; j < squaresize; ++j) {
            SqrDancer* sd = sqr[i].dancer[j];
            s += sd ? sd->firstlast : std::string("-");
            s += ",";
        }
        s += "]";
    }
    return s;
}

inline int CountPlaced() {
    int n = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) n += sd->assigned == 1 || sd->assigned == 2;
    return n;
}

inline std::vector<SqrDancer*> Singles(int n, SDSEX sex, const std::string& prefix) {
    std::vector<SqrDancer*> v;
    for (int i = 0; i < n; ++i) v.push_back(AddDancer(prefix + std::to_string(i), "S" + prefix, sex));
    return v;
}

// A generated roster of n dancers: couples of M with F/FM/E, MF with FM, E with E (never
// M+M or F+F), some with an absent partner; singles of every role, some must, absent or
// below the level Main.
inline void GeneratedRoster(std::mt19937& rng, int n) {
    int made = 0;
    while (made < n) {
        SDSEX sex = static_cast<SDSEX>(rng() % 5);
        if (rng() % 2 && n - made >= 2) {
            SDSEX s = sex == F ? M : sex == FM ? MF : sex;
            SqrDancer* a = AddCouple("a" + std::to_string(made), "b" + std::to_string(made), "C" + std::to_string(made), s);
            if (rng() % 8 == 0) a->partner->avail = 0;
            made += 2;
        } else {
            SqrDancer* sd = AddDancer("s" + std::to_string(made), "S", sex);
            if (rng() % 6 == 0) sd->priority = MUST;
            if (rng() % 10 == 0) sd->avail = 0;
            if (rng() % 12 == 0) sd->pgm = static_cast<SDPGM>(rng() % 3);
            ++made;
        }
    }
}

}  // namespace assigntest
