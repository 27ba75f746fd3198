// Helpers shared by the assignment-engine tests: a tip run as the squares display runs it,
// and views of the rolled squares.
#pragma once

#include <cstdlib>
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

}  // namespace assigntest
