// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics log (its line, its name, when a roll writes it) and the dance-count chart
// (its data file, the commands sent to the plotting program, the warning with no dances).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "assign/assign.h"
#include "files/statistics.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/rndm.h"
#include "test_clubfile_util.h"

namespace {

class Statistics : public ClubFileTest {};

int Lines(const std::string& text) { return (int)std::count(text.begin(), text.end(), '\n'); }

TEST_F(Statistics, LineCountsEveryPresentDancerOnceByKind) {
    AnonCouple(2, Basic);
    AddDancer("Fay", "Field", F);
    AddDancer("Abe", "Absent", M)->avail = 0;
    AddDancer("Ed", "Either", E);
    AddDancer("Mo", "Fm", FM);
    // A member of an anonymous couple of another role counts as a couple dancer and in its
    // role; M and F members only as couple dancers.
    AddDancer("X", "Couple#009", MF);
    PresentCounts c = CountPresent();
    EXPECT_EQ(c.total, 8);
    EXPECT_EQ(c.couples, 5);
    EXPECT_EQ(c.sex[MF], 1);
    EXPECT_EQ(c.couples + c.sex[M] + c.sex[F] + c.sex[MF] + c.sex[FM] + c.sex[E], c.total + 1);
    struct tm when {};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 2;  // March
    when.tm_mday = 6;
    when.tm_hour = 19;
    when.tm_min = 5;
    when.tm_sec = 9;
    when.tm_wday = 5;
    EXPECT_EQ(StatLine(c, when),
              "2026-03-06/19:05:09   8  5  0  1  1  1  1    # Fri: totdancers couples snglM snglF "
              "snglMF snglFM snglE\n");
}

TEST_F(Statistics, LogNameFollowsTheClubFileRead) {
    EXPECT_EQ(StatFileName(), "");
    inputfilename = "club.dorvel";
    EXPECT_EQ(StatFileName(), "club.stat");
    inputfilename = "club";
    EXPECT_EQ(StatFileName(), "club.stat");
    inputfilename = "../my.clubs/happy.dorvel";
    EXPECT_EQ(StatFileName(), "../my.clubs/happy.stat");
}

// One line per roll while the option is on and a club file was read: a failed roll is logged
// too, a repeat of the same tip (a board redrawn) is not, and no log exists otherwise.
TEST_F(Statistics, EachRollAppendsOneLineWhenAsked) {
    for (int i = 0; i < 4; ++i) AddCouple("M" + std::to_string(i), "F" + std::to_string(i), "C" + std::to_string(i));
    set_rndm(1, 2, 3);
    inputfilename = "club.dorvel";
    RollSquares();
    EXPECT_EQ(access("club.stat", F_OK), -1) << "Statistics option off";
    Sflag = 1;
    inputfilename.clear();
    RollSquares();
    EXPECT_EQ(access(".stat", F_OK), -1) << "no club file read";
    inputfilename = "club.dorvel";

    ++tipcnt;
    SaveRollDisplay();
    ASSERT_NE(RollSquares(), nullptr);
    RepeatRollDisplay();  // the same tip drawn again
    ++tipcnt;
    SaveRollDisplay();
    ASSERT_NE(RollSquares(), nullptr);
    EXPECT_EQ(Lines(ReadFile("club.stat")), 1);

    ++tipcnt;
    SaveRollDisplay();
    RollSquares();
    sdhd->avail = 0;  // seven left: the roll fails, and is logged
    RollSquares();
    std::string log = ReadFile("club.stat");
    ASSERT_EQ(Lines(log), 3);
    EXPECT_NE(log.find("   8  0  4  4  0  0  0    # "), std::string::npos) << log;
    EXPECT_NE(log.rfind("   7  0  3  4  0  0  0    # "), std::string::npos) << log;
}

TEST_F(Statistics, UnwritableLogIsReportedOnStderrOnly) {
    for (int i = 0; i < 4; ++i) AddCouple("M" + std::to_string(i), "F" + std::to_string(i), "C" + std::to_string(i));
    Sflag = 1;
    inputfilename = "nofolder/club.dorvel";
    lasterror.clear();
    EXPECT_NE(RollSquares(), nullptr);
    EXPECT_NE(lasterror.find("nofolder/club.stat"), std::string::npos) << lasterror;
    EXPECT_TRUE(screen::warnings.empty() && screen::notes.empty());
}

TEST_F(Statistics, ChartDataAndCommands) {
    AddDancer("Al", "A", M)->dances = 2;
    AddDancer("Bo", "B", F)->avail = 0;
    AddDancer("Cy", "O'Hara", E)->dances = 1;
    tipcnt = 2;
    GenDanceBars();
    EXPECT_EQ(ReadFile("dorvelbars02.dat"), "  1 2\n  2 1\n");
    ASSERT_EQ(screen::plots.size(), 1u);
    // Light texts on the dark blue, the names under the bars (quoted), whole dances.
    const std::string light = " textcolor rgb \"#f0f0f0\"\n";
    const std::string common = "set xlabel \"dancer\"" + light + "set ylabel \"dances\"" + light +
                               "set title \"Tip #2\"" + light +
                               "set autoscale\nset boxwidth 0.8\nset style fill solid 1.0\nset yrange [0:2]\n"
                               "set border lc rgb \"#f0f0f0\"\nset ytics 1 nomirror" + light +
                               "set xtics ('A' 1, 'O''Hara' 2) nomirror scale 0" + light +
                               "set xrange [0.4:2.6]\nunset colorbox\nset nokey\n";
    const std::string plot = "plot 'dorvelbars02.dat' with boxes lc rgb \"#4da6ff\"\n";
    // Drawn into the PNG, which is shown in a window of the program's own.
    EXPECT_EQ(screen::plots[0], "screen " + common +
                                    "set terminal png noenhanced size 650,650 background \"dark-blue\"\n"
                                    "set output \"dorvelbars02.png\"\n" + plot);
    // Many dancers: the names turned upright, at most ten whole numbers on the dance axis.
    std::string many = DanceBarsScript(30, true, std::vector<std::string>(60, "Puddingstone"));
    EXPECT_NE(many.find("rotate by 90"), std::string::npos);
    EXPECT_NE(many.find("set ytics 3 "), std::string::npos);
    EXPECT_TRUE(screen::warnings.empty());
}

TEST_F(Statistics, ChartWithoutDancesOrWithoutItsFile) {
    AddDancer("Al", "A", M);
    tipcnt = 0;
    GenDanceBars();
    EXPECT_EQ(ReadFile("dorvelbars00.dat"), "  1 0\n");
    EXPECT_EQ(screen::warnings, std::vector<std::string>{"can't plot with no dances!"});
    EXPECT_TRUE(screen::plots.empty());

    screen::clear();
    sdhd->dances = 1;
    tipcnt = 1;
    ASSERT_EQ(mkdir("dorvelbars01.dat", 0755), 0);  // the data file cannot be made
    lasterror.clear();
    GenDanceBars();
    EXPECT_NE(lasterror.find("dorvelbars01.dat"), std::string::npos);
    EXPECT_TRUE(screen::plots.empty() && screen::warnings.empty());
}

}  // namespace
