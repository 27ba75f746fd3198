// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics log and the dance-count charts.
#include "files/statistics.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/dorvels.h"
#include "core/screen.h"
#include "support/helmtext.h"

PresentCounts CountPresent() {
    PresentCounts c;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!sd->avail) continue;
        ++c.total;
        if (sd->lastname.compare(0, 7, "Couple#") == 0)
            ++c.couples;
        else if (sd->sex >= M && sd->sex <= E)
            ++c.sex[sd->sex];
    }
    return c;
}

std::string StatLine(const PresentCounts& c, const struct tm& when) {
    static const char* const weekday[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::string stamp = strprintf("%4d-%02d-%02d/%02d:%02d:%02d", when.tm_year + 1900, when.tm_mon + 1,
                                  when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
    return strprintf("%s %3d %2d %2d %2d %2d %2d %2d    # %s: totdancers couples snglM snglF snglMF snglFM snglE\n",
                     stamp.c_str(), c.total, c.couples, c.sex[M], c.sex[F], c.sex[MF], c.sex[FM], c.sex[E],
                     weekday[(when.tm_wday % 7 + 7) % 7]);
}

std::string StatFileName() {
    if (inputfilename.empty()) return "";
    // The extension is cut at the first "." of the file's own name: a "." in a folder name
    // ("./club.dorvel", "../clubs/club.dorvel") is not the start of an extension.
    size_t base = inputfilename.rfind('/');
    base = base == std::string::npos ? 0 : base + 1;
    size_t dot = inputfilename.find('.', base);
    return inputfilename.substr(0, dot) + ".stat";
}

void DorvelStatistics(int) {
    if (!Sflag || inputfilename.empty()) return;
    PresentCounts c = CountPresent();
    time_t now = time(nullptr);
    struct tm when {};
    localtime_r(&now, &when);
    std::string name = StatFileName();
    FILE* fp = fopen(name.c_str(), "a");
    // The operator is not troubled in the middle of a roll; the terminal says what failed.
    if (!fp) {
        error(1, "(DorvelStatistics) cannot append to <%s>: %s\n", name.c_str(), strerror(errno));
        return;
    }
    std::string line = StatLine(c, when);
    bool ok = fputs(line.c_str(), fp) >= 0;
    if (fclose(fp) != 0) ok = false;
    if (!ok) error(1, "(DorvelStatistics) cannot write <%s>: %s\n", name.c_str(), strerror(errno));
}

std::string DanceBarsName(const char* ext) { return strprintf("dorvelbars%02d%s", tipcnt, ext); }

std::string DanceBarsScript(int maxcount, bool png) {
    std::string s = "set xlabel \"dancer\"\n"
                    "set ylabel \"dances\"\n";
    s += strprintf("set title \"Tip #%d\"\n", tipcnt);
    s += "set autoscale\n"
         "set boxwidth 0.8\n"
         "set style fill solid 1.0\n";
    s += strprintf("set yrange [0:%d]\n", maxcount);
    s += "unset colorbox\n"
         "set nokey\n";
    if (png) {
        // gnuplot knows the colour as "dark-blue": "darkblue" is refused with an error and
        // the chart drawn on white.
        s += "set terminal png size 650,650 background \"dark-blue\"\n";
        s += strprintf("set output \"%s\"\n", DanceBarsName(".png").c_str());
    } else {
        s += "set terminal x11 size 650,650 persist\n";
    }
    s += strprintf("plot '%s' with boxes\n", DanceBarsName(".dat").c_str());
    return s;
}

void GenDanceBars() {
    std::string name = DanceBarsName(".dat");
    FILE* fp = fopen(name.c_str(), "w");
    if (!fp) {
        error(1, "(GenDanceBars) cannot write <%s>: %s\n", name.c_str(), strerror(errno));
        return;
    }
    int n = 0, maxcount = 0;
    bool ok = true;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!sd->avail) continue;
        if (fprintf(fp, "%3d %d\n", ++n, sd->dances) < 0) ok = false;
        if (sd->dances > maxcount) maxcount = sd->dances;
    }
    if (fclose(fp) != 0) ok = false;
    if (!ok) {
        error(1, "(GenDanceBars) cannot write <%s>: %s\n", name.c_str(), strerror(errno));
        return;
    }
    if (maxcount == 0) {
        GtkWarning("can't plot with no dances!");
        return;
    }
    PlotCommands(DanceBarsScript(maxcount, true), false);
    PlotCommands(DanceBarsScript(maxcount, false), true);
}
