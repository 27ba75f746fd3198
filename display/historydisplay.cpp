// SPDX-License-Identifier: GPL-3.0-or-later
// The history board: an earlier tip's board shown again from the texts saved with it, with
// orange stripes (green when the latest tip is merely shown again).
#include <cstring>
#include <string>
#include <vector>

#include "display/boards.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"

// Stripes of the board shown last, so that showing it again (a font change) keeps them.
static COLOR lastodd = COLOR_history;

void HistoryDisplay() {
    if (hist) {
        lastodd = cflag ? COLOR_squares2 : COLOR_history;
        cflag = 0;
    }
    HistoryRedisplay();
}

void HistoryRedisplay() {
    edbg("HistoryRedisplay() hist=%p", (void*)hist);
    if (!hist) {
        rdbg("HistoryRedisplay : nothing to show");
        return;
    }
    editmode = HISTORY;
    tipcnt = hist->tipcnt;
    SetWinTitle(sdwin, nullptr);
    sdtoggled = nullptr;

    // Dancers in the saved squares, and how many of them have a board text.
    int totdancers = 0, totentries = 0;
    if (hist->histsqr) {
        for (int i = 0; i < hist->totsquares; ++i) {
            const HistoryDancer* places = hist->histsqr[i].histsd;
            if (!places) continue;
            for (int j = 0; j < hist->sqrsize; ++j) {
                if (!places[j].sd) continue;
                if (hist->sqrlist && totdancers < 2 * hist->totdancers && hist->sqrlist[totdancers])
                    ++totentries;
                ++totdancers;
            }
        }
    }

    // The texts of the board, in the order saved. Every saved text gets its cell, not only
    // as many as there were seats in the squares: the board also named the dancers who sat
    // out, and their entries would otherwise be missing from the tip shown again.
    int textqty = 0;
    std::string sdmaxname;
    int maxwidth = 0;
    int slots = hist->sqrlist ? 2 * hist->totdancers : 0;
    for (int i = 0; i < slots; ++i) {
        const char* t = hist->sqrlist[i];
        if (!t) continue;
        ++textqty;
        int width = ShownWidth(t);
        if (width > maxwidth) {
            maxwidth = width;
            sdmaxname = t;
        }
    }

    int colqty = 1, rowqty = 1, doscrollable = 0;
    if (totdancers > 0) {
        SetupDispNames();
        SortByName();
        if (textqty > totentries) totentries = textqty;
        BoardShape(sdmaxname.c_str(), totentries > 0 ? totentries : 1, &colqty, &rowqty, &doscrollable);
    } else {
        textqty = 0;
    }

    if (hallview) {
        // The hall view of the tip shown: its tip number over its saved entries, an earlier
        // tip marked as history as the projector window marks it.
        HallViewBegin(hist->tipcnt, HistoryEarlier(hist));
        for (int i = 0; i < slots && textqty > 0; ++i)
            if (hist->sqrlist[i]) HallViewAddText(hist->sqrlist[i]);
        HallViewBuild();
        if (sdwin) gtk_widget_show_all(sdwin);
        if (sqrslider) SqrDisplayAutoScroller();
        rdbg("HistoryRedisplay : hall view");
        return;
    }

    std::vector<std::string> texts;
    for (int i = 0; i < slots && (int)texts.size() < textqty; ++i)
        if (hist->sqrlist[i]) texts.push_back(ShownBoardText(hist->sqrlist[i]));
    BoardFont();
    BoardOfLabels(texts, colqty, rowqty, doscrollable != 0, lastodd);
    if (sdwin) gtk_widget_show_all(sdwin);
    if (sqrslider) SqrDisplayAutoScroller();
    rdbg("HistoryRedisplay");
}
