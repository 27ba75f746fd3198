// SPDX-License-Identifier: GPL-3.0-or-later
// The resolution file, the choice of a font ladder for the screen, measuring, grid fitting
// and the operator's font steps.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "test_window_helpers.h"

using FontsTest = Screen;

static void LoadText(const std::string& text) {
    std::string path = TempDir() + "/res.txt";
    WriteFile(path, text);
    FILE* fp = fopen(path.c_str(), "r");
    ASSERT_NE(fp, nullptr);
    ReadResolutionFile(fp);
    fclose(fp);
}

static std::vector<Resolution*> Sets() {
    std::vector<Resolution*> v;
    for (Resolution* r = rhd; r; r = r->nxt) v.push_back(r);
    return v;
}

TEST_F(FontsTest, ReadsSetsCommentsAndQuotes) {
    lasterror.clear();
    LoadText(
        "% comment\n"
        "   # another comment\n"
        "\n"
        "1920, \"DejaVu Sans Bold 40\", Sans 20,  Sans 10 , Sans 12, \"Sans Bold 24\", 9, 7   \n"
        "1920,Sans 30,Sans 18,Sans 9,Sans 12,Sans 20,9,7\n"
        "  1280, Sans 20, Sans 12, Sans 8, Sans 10, Sans 16, 6, 5\n");
    auto v = Sets();
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0]->screenwidth, 1920u);
    EXPECT_EQ(v[0]->sdfont, "DejaVu Sans Bold 40");  // quotes gone, inner blanks kept
    EXPECT_EQ(v[0]->bttnfont1, "Sans 20");
    EXPECT_EQ(v[0]->lblfont2, "Sans Bold 24");
    EXPECT_EQ(v[0]->maxsqrcolqty, 9u);
    EXPECT_EQ(v[0]->maxeditcolqty, 7u);
    EXPECT_EQ(v[1]->sdfont, "Sans 30");
    EXPECT_EQ(v[2]->screenwidth, 1280u);
    EXPECT_EQ(v[0]->id, 1);
    EXPECT_EQ(v[2]->id, 3);
    EXPECT_DOUBLE_EQ(v[0]->sf, 1.0);
    EXPECT_DOUBLE_EQ(v[2]->sf, 1280.0 / 1920.0);
    EXPECT_EQ(v[2]->prv, v[1]);
    EXPECT_EQ(rtl, v[2]);
    EXPECT_EQ(lasterror, "");
}

TEST_F(FontsTest, TooManyTokensAreReported) {
    lasterror.clear();
    LoadText("800, a, b, c, d, e, 3, 4, extra\n");
    EXPECT_EQ(lasterror,
              "(SetupResolutionList) incorrect resolution file entry<800, a, b, c, d, e, 3, 4, extra>  (tokcnt=9)\n");
    ASSERT_NE(rhd, nullptr);
    EXPECT_EQ(rhd->maxeditcolqty, 4u);
}

TEST_F(FontsTest, ChoosesTheWidestGroupThatFits) {
    LoadText(
        "1920, A 40, a, b, c, d, 9, 7\n"
        "1920, A 30, a, b, c, d, 9, 7\n"
        "1280, B 20, a, b, c, d, 6, 5\n"
        "1280, B 10, a, b, c, d, 6, 5\n");
    auto v = Sets();
    ChooseResolution(1600);
    EXPECT_EQ(R, v[2]);
    EXPECT_EQ(res, v[2]);
    ChooseResolution(1920);
    EXPECT_EQ(res, v[0]);
    ChooseResolution(3840);
    EXPECT_EQ(res, v[0]);
    ChooseResolution(1024);  // nothing narrow enough: the file's first set
    EXPECT_EQ(R, nullptr);
    EXPECT_EQ(res, v[0]);
}

TEST_F(FontsTest, MissingFileIsReportedAndTheProgramStillHasFonts) {
    std::string saved = resfile;
    resfile = "no-such-resolution-file";
    lasterror.clear();
    reqW = 1024;
    reqH = 768;
    SetupResolutionList();
    EXPECT_EQ(lasterror, "unable to read <resolution.dorvels>\n");
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(screenwidth, 1024);
    EXPECT_EQ(res->screenwidth, 1024u);
    EXPECT_FALSE(res->sdfont.empty());
    EXPECT_GE(Sets().size(), 5u);
    resfile = saved;
    reqW = reqH = 0;
}

TEST_F(FontsTest, ScreenSizeComesFromTheDisplayUnlessRequested) {
    reqW = reqH = 0;
    SetupResolutionList();
    GdkMonitor* m = gdk_display_get_monitor(gdk_display_get_default(), 0);
    GdkRectangle geo;
    gdk_monitor_get_geometry(m, &geo);
    EXPECT_EQ(screenwidth, geo.width);
    EXPECT_EQ(screenheight, geo.height);
    ASSERT_NE(res, nullptr);
    EXPECT_LE((int)res->screenwidth, geo.width);
}

// The bundled file: found through the search list, five or more sets for every common
// width, largest fonts first, in a family that is really installed.
TEST_F(FontsTest, BundledFileCoversCommonScreens) {
    lasterror.clear();
    reqW = 1366;
    reqH = 768;
    SetupResolutionList();
    EXPECT_EQ(lasterror, "");
    reqW = reqH = 0;
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(res->screenwidth, 1366u);
    std::map<unsigned, int> count;
    for (Resolution* r = rhd; r; r = r->nxt) {
        ++count[r->screenwidth];
        if (r->prv && r->prv->screenwidth == r->screenwidth) {
            PangoFontDescription* a = pango_font_description_from_string(r->prv->sdfont.c_str());
            PangoFontDescription* b = pango_font_description_from_string(r->sdfont.c_str());
            EXPECT_GT(pango_font_description_get_size(a), pango_font_description_get_size(b))
                << r->sdfont;
            pango_font_description_free(a);
            pango_font_description_free(b);
        }
        EXPECT_GT(r->maxsqrcolqty, 0u);
        EXPECT_GT(r->maxeditcolqty, 0u);
    }
    for (unsigned w : {800u, 1024u, 1280u, 1366u, 1600u, 1920u, 2560u, 3840u})
        EXPECT_GE(count[w], 5) << w;
    // Groups stand together: a width never comes back after another one.
    std::set<unsigned> seen;
    for (Resolution* r = rhd; r; r = r->nxt)
        if (!r->prv || r->prv->screenwidth != r->screenwidth) {
            EXPECT_TRUE(seen.insert(r->screenwidth).second);
        }
    PangoFontMap* map = pango_cairo_font_map_get_default();
    PangoContext* ctx = pango_font_map_create_context(map);
    PangoFontDescription* want = pango_font_description_from_string(rhd->sdfont.c_str());
    PangoFont* font = pango_font_map_load_font(map, ctx, want);
    ASSERT_NE(font, nullptr);
    PangoFontDescription* got = pango_font_describe(font);
    EXPECT_STREQ(pango_font_description_get_family(got), pango_font_description_get_family(want));
    pango_font_description_free(got);
    pango_font_description_free(want);
    g_object_unref(font);
    g_object_unref(ctx);
}

TEST_F(FontsTest, WantedColumns) {
    EXPECT_EQ(WantedColumns(50), 8);
    EXPECT_EQ(WantedColumns(49), 7);
    EXPECT_EQ(WantedColumns(40), 7);
    EXPECT_EQ(WantedColumns(1), 1);
    EXPECT_EQ(WantedColumns(0), 0);
}

TEST_F(FontsTest, MeasuresRealWidgets) {
    Resolution r;
    r.sdfont = "DejaVu Sans Bold 40";
    r.bttnfont2 = "DejaVu Sans 10";
    int meh = 0;
    int big = MaxEntryWidth(&r, &meh, "Sample Name", 0, SDFONT);
    EXPECT_GT(big, 100);
    EXPECT_GT(meh, 40);
    int h0 = meh;
    EXPECT_EQ(MaxEntryWidth(&r, &meh, "Sample Name", 7, SDFONT), big + 7);
    EXPECT_EQ(meh, h0 + 14);
    r.sdfont = "DejaVu Sans Bold 20";
    EXPECT_LT(MaxEntryWidth(&r, nullptr, "Sample Name", 0, SDFONT), big);
    // The edit cell's row of six small buttons is wider than its text alone.
    int row = MaxEntryWidth(&r, nullptr, "DelLuckNamePrtnrPgmSex", 0, BTTNFONT2);
    r.sdfont = r.bttnfont2;
    EXPECT_GT(row, MaxEntryWidth(&r, nullptr, "DelMustNamePrtnrBasicM", 0, SDFONT));
    r.bttnfont2 = "DejaVu Sans 20";
    EXPECT_GT(MaxEntryWidth(&r, nullptr, "DelLuckNamePrtnrPgmSex", 0, BTTNFONT2), row);
    EXPECT_EQ(VisiblePopups(), 0);  // measuring never shows a window
    MaxEntryWidth(&r, nullptr, "x", 0, (FONTTYPE)9);
    EXPECT_EQ(PopupText(), "(MaxEntryWidth) fonttype#9 not supported; using sdfont\n");
}

TEST_F(FontsTest, GridWidthFormulaMatchesRealGrids) {
    struct Case { const char* font; const char* text; int rows, cols, sp; };
    const Case cases[] = {
        {"DejaVu Sans Bold 40", "Smith: 12", 3, 4, 10}, {"DejaVu Sans 12", "A", 1, 1, 10},
        {"DejaVu Sans Bold 20", "Longername:Othername:   8", 7, 3, 24},
        {"DejaVu Sans 9", "Wu: Out", 12, 9, 4}, {"DejaVu Sans Bold 28", "Jones&(ask): 3", 2, 6, 13},
    };
    for (const Case& c : cases) {
        sp10 = c.sp;
        int one = MeasureGridWidth(c.font, c.text, 1, 1);
        EXPECT_EQ(MeasureGridWidth(c.font, c.text, c.rows, c.cols), c.cols * one + (c.cols - 1) * c.sp)
            << c.font << " " << c.rows << "x" << c.cols;
    }
}

TEST_F(FontsTest, MaxGridKeepsTheColumnsARealGridAllows) {
    const char* fonts[] = {"DejaVu Sans Bold 40", "DejaVu Sans Bold 24", "DejaVu Sans 12"};
    const char* names[] = {"     Smith:   8", "Vanderbilt-Huntington: Out", "Wu:  12"};
    Resolution r;
    sqrres = &r;
    for (unsigned width : {800u, 1366u, 1920u}) {
        for (const char* f : fonts) {
            for (const char* n : names) {
                r.screenwidth = width;
                r.sdfont = f;
                std::string sample = n;  // the widest cell text, measured as it is
                for (int start : {1, 4, 9}) {
                    // What the grid-building search finds.
                    int want = start;
                    while (want > 1 && MeasureGridWidth(f, sample.c_str(), 2, want) >= (int)width) --want;
                    int cols = start, rows = 0;
                    MaxGrid(&r, n, &cols, &rows, 40);
                    EXPECT_EQ(cols, want) << width << " " << f << " " << n << " from " << start;
                    EXPECT_EQ(rows, (40 + cols - 1) / cols);
                }
            }
        }
    }
    sqrres = nullptr;
}

TEST_F(FontsTest, MaxGridEdges) {
    Resolution r;
    r.screenwidth = 400;
    r.sdfont = "DejaVu Sans Bold 40";
    sqrres = &r;
    int cols = 5, rows = 0;
    MaxGrid(&r, "An extremely long name that fits nowhere", &cols, &rows, 7);
    EXPECT_EQ(cols, 1);
    EXPECT_EQ(rows, 7);
    cols = 0;
    MaxGrid(&r, "A", &cols, &rows, 3);
    EXPECT_EQ(cols, 1);
    MaxGrid(&r, "A", nullptr, &rows, 3);
    EXPECT_EQ(PopupText(), "(MaxGrid) cols is null!\n");
    cols = 4;
    MaxGrid(nullptr, "A", &cols, &rows, 3);
    EXPECT_EQ(PopupText(), "(MaxGrid) res is null!\n");
    EXPECT_EQ(cols, 4);
    sqrres = nullptr;
}

// A ladder of one width with board fonts from 60 down to 12 points.
static void Ladder(unsigned width) {
    std::string text;
    for (int size : {60, 48, 36, 24, 12})
        text += strprintf("%u, DejaVu Sans Bold %d, DejaVu Sans Bold %d, DejaVu Sans %d, Sans 10, Sans 20, 8, 6\n",
                          width, size, size / 2, size / 4 > 6 ? size / 4 : 6);
    LoadText(text);
    res = rhd;
}

TEST_F(FontsTest, SquaresFontIsTheLargestThatGivesTheWantedColumns) {
    Ladder(1920);
    int scroll = -1;
    int cols = ChooseSqrFont("Smith", 4, &scroll);  // 2 columns: the largest font does
    EXPECT_EQ(sqrres, rhd);
    EXPECT_GE(cols, 2);
    EXPECT_EQ(scroll, 0);
    EXPECT_GT(sqrres->meh, 0);
    EXPECT_GT(sqrres->mew, 0);

    sqrres = nullptr;
    cols = ChooseSqrFont("Vanderbilt", 36, &scroll);  // 6 columns: a smaller font is needed
    EXPECT_GE(cols, 6);
    EXPECT_EQ(scroll, 0);
    ASSERT_NE(sqrres, rhd);
    // The set before the one chosen would not have given 6 columns.
    int mew = MaxEntryWidth(sqrres->prv, nullptr, "Vanderbilt", sp10, SDFONT);
    EXPECT_LT((int)((1920.0 - sp10) / (sp10 + mew + 2.0)), 6);

    cols = ChooseSqrFont("Smith", 300, &scroll);  // more than the set allows: scrolls
    EXPECT_EQ(scroll, 1);
}

TEST_F(FontsTest, SquaresFontRunsOutOfSmallerSets) {
    Ladder(800);
    int scroll = 0;
    ChooseSqrFont("Bartholomew-Fitzgerald:Maximiliana", 49, &scroll);
    EXPECT_EQ(scroll, 1);
    EXPECT_EQ(sqrres->screenwidth, 800u);
}

TEST_F(FontsTest, OperatorStepsStopAtTheEndsOfTheLadder) {
    Ladder(1920);
    int scroll = 0;
    // A board for which the fit picks the second set: only one larger set is left.
    int n = 1;
    for (; n < 200; ++n) {
        sqrres = nullptr;
        ChooseSqrFont("Smith", n, &scroll);
        if (sqrres == rhd->nxt) break;
    }
    ASSERT_EQ(sqrres, rhd->nxt);
    fontsizechg = 2;
    sqrres = nullptr;
    ChooseSqrFont("Smith", n, &scroll);
    EXPECT_EQ(PopupText(), "can't increase fontsize any more");
    EXPECT_EQ(sqrres, rhd);
    fontsizechg = 1;
    GtkNote("-");
    ChooseSqrFont("Smith", n, &scroll);
    EXPECT_EQ(PopupText(), "-");  // one step up is possible: no note
    EXPECT_EQ(sqrres, rhd);
    fontsizechg = -9;
    ChooseSqrFont("Smith", n, &scroll);
    EXPECT_EQ(PopupText(), "can't decrease fontsize any more");
    EXPECT_EQ(sqrres, rtl);
    fontsizechg = 0;
}

TEST_F(FontsTest, EditFontFitsNameButtonsAndTheButtonRow) {
    Ladder(1920);
    int scroll = 0;
    int cols = ChooseEditFont("Smith", 9, &scroll);
    EXPECT_GE(cols, 3);
    EXPECT_EQ(res, rhd);
    EXPECT_GT(res->meh, 0);
    scroll = 0;
    cols = ChooseEditFont("Smith", 400, &scroll);  // beyond the edit column limit
    EXPECT_EQ(scroll, 1);
    EXPECT_GE(cols, 1);
    fontsizechg = -1;
    res = rhd;
    ChooseEditFont("Smith", 4, &scroll);
    EXPECT_EQ(res, rhd->nxt);
    fontsizechg = 0;
}

TEST_F(FontsTest, ChangeFontSizeStepsWithinTheGroup) {
    Ladder(1920);
    editmode = BEGIN;  // nothing to redraw
    res = rhd;
    EXPECT_EQ(ChangeFontSize(1), -1);
    EXPECT_EQ(PopupText(), "can't increase fontsize");
    EXPECT_EQ(ChangeFontSize(-1), 0);
    EXPECT_EQ(sdpop, nullptr);  // the step closes the pop-up
    EXPECT_EQ(res, rhd->nxt);
    EXPECT_EQ(fontsizechg, -1);
    res = rtl;
    EXPECT_EQ(ChangeFontSize(0), -1);
    EXPECT_EQ(PopupText(), "can't decrease fontsize any more");
    EXPECT_EQ(ChangeFontSize(1), 0);
    EXPECT_EQ(res, rtl->prv);
    EXPECT_EQ(fontsizechg, 0);
}

TEST_F(FontsTest, FontNames) {
    Resolution r;
    r.sdfont = "A 1";
    r.lblfont2 = "E 5";
    EXPECT_STREQ(strfont(&r, SDFONT), "A 1");
    EXPECT_STREQ(strfont(&r, LBLFONT2), "E 5");
    EXPECT_STREQ(strfont(nullptr, SDFONT), "-null-");
    EXPECT_STREQ(strfont(&r, (FONTTYPE)7), "???");
    EXPECT_STREQ(strfonttype(BTTNFONT2), "bttnfont2");
    EXPECT_STREQ(strfonttype((FONTTYPE)7), "???");
}
