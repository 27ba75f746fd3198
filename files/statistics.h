// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics log (one line per roll: the time and who is present, by kind) and the
// dance-count chart (how many tips each present dancer has danced, drawn by gnuplot).
#pragma once

#include <ctime>
#include <string>
#include <vector>

// Present dancers by kind. Members of anonymous couples count as couple dancers, everybody
// else by role; a couple member whose role is neither M nor F counts in its role as well.
struct PresentCounts {
    int total = 0;
    int couples = 0;
    int sex[5] = {};  // M, F, MF, FM, E
};
PresentCounts CountPresent();
// The log line for the counts at the local time `when`.
std::string StatLine(const PresentCounts& c, const struct tm& when);
// The log of the club file read: its name with ".stat" in place of its extension; "" when no
// club file was read.
std::string StatFileName();
// Appends the line of this roll to the log when the Statistics option is on and a club file
// was read. totavail, the roll's own count (present at or above the level), is not the log's:
// the log counts everybody present.
void DorvelStatistics(int totavail);

// "dorvelbars%02d" with the tip number, followed by ext.
std::string DanceBarsName(const char* ext);
// The chart's width in pixels (650, wider when many names stand under the bars), and whether
// the names are turned upright to fit side by side.
struct ChartShape {
    int width = 650;
    bool turned = false;
};
ChartShape DanceBarsShape(const std::vector<std::string>& names);
// The commands that draw the chart of the current tip, up to the largest dance count, with
// the names (in the order of the data) under the bars: into the PNG file (png) or into a
// window on the screen.
std::string DanceBarsScript(int maxcount, bool png, const std::vector<std::string>& names);
// Writes the chart data of the present dancers and has it drawn twice: a PNG file and a
// window. With no dances yet only the data file is written, and the operator is told.
void GenDanceBars();
