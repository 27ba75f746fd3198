// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics log and the dance-count charts.
#include "files/statistics.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/dorvels.h"
#include "core/screen.h"
#include "support/helmtext.h"
#include "support/intl.h"

PresentCounts CountPresent() {
    PresentCounts c;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!sd->avail) continue;
        ++c.total;
        bool couple = sd->lastname.compare(0, 7, "Couple#") == 0;
        if (couple) ++c.couples;
        // A member of an anonymous couple is taken off the M or F count only: in another
        // role it stays in that role's count as well.
        if (sd->sex >= M && sd->sex <= E && !(couple && (sd->sex == M || sd->sex == F))) ++c.sex[sd->sex];
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
        error(1, _("(DorvelStatistics) cannot append to <%s>: %s\n"), name.c_str(), strerror(errno));
        return;
    }
    std::string line = StatLine(c, when);
    bool ok = fputs(line.c_str(), fp) >= 0;
    if (fclose(fp) != 0) ok = false;
    if (!ok) error(1, _("(DorvelStatistics) cannot write <%s>: %s\n"), name.c_str(), strerror(errno));
}

std::string DanceBarsName(const char* ext) { return strprintf("dorvelbars%02d%s", tipcnt, ext); }

// A text in gnuplot's single quotes, where only the quote itself is special (doubled).
static std::string PlotQuoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("''") : std::string(1, c);
    return q + "'";
}

ChartShape DanceBarsShape(const std::vector<std::string>& names) {
    ChartShape c;
    size_t longest = 0;
    for (const std::string& n : names) longest = std::max(longest, n.size());
    int n = (int)names.size();
    // About 7 pixels a letter in the chart's font: names side by side need their length
    // under every bar, turned upright they need a line's height (some 14 pixels) each.
    c.width = std::clamp(120 + 14 * n, 650, 4000);
    c.turned = n * ((int)longest + 1) * 7 > c.width - 120;
    return c;
}

std::string DanceBarsScript(int maxcount, bool png, const std::vector<std::string>& names) {
    // On the dark blue background every text and line is light; the bars a middle blue, so
    // that the names and numbers stand out from them too.
    const char* light = "\"#f0f0f0\"";
    ChartShape shape = DanceBarsShape(names);
    std::string s = strprintf("set xlabel \"dancer\" textcolor rgb %s\n", light);
    s += strprintf("set ylabel \"dances\" textcolor rgb %s\n", light);
    s += strprintf("set title \"Tip #%d\" textcolor rgb %s\n", tipcnt, light);
    s += "set autoscale\n"
         "set boxwidth 0.8\n"
         "set style fill solid 1.0\n";
    s += strprintf("set yrange [0:%d]\n", maxcount);
    s += strprintf("set border lc rgb %s\n", light);
    // Whole dances only: a step of 1, or the whole step that gives at most ten numbers.
    s += strprintf("set ytics %d nomirror textcolor rgb %s\n", std::max(1, (maxcount + 9) / 10), light);
    // The dancers' names under their bars (turned upright when they do not fit side by side).
    int n = (int)names.size();
    if (n > 0) {
        std::string tics;
        for (int i = 0; i < n; ++i) tics += strprintf("%s%s %d", i ? ", " : "", PlotQuoted(names[i]).c_str(), i + 1);
        s += strprintf("set xtics (%s) nomirror scale 0 textcolor rgb %s%s\n", tics.c_str(), light,
                       shape.turned ? " rotate by 90 right" : "");
        s += strprintf("set xrange [0.4:%d.6]\n", n);
    }
    s += "unset colorbox\n"
         "set nokey\n";
    if (png) {
        // gnuplot knows the colour as "dark-blue": "darkblue" is refused with an error and
        // the chart drawn on white.
        s += strprintf("set terminal png noenhanced size %d,650 background \"dark-blue\"\n", shape.width);
        s += strprintf("set output \"%s\"\n", DanceBarsName(".png").c_str());
    } else {
        s += strprintf("set terminal x11 noenhanced size %d,650 persist background \"dark-blue\"\n",
                       std::min(shape.width, 1900));
    }
    s += strprintf("plot '%s' with boxes lc rgb \"#4da6ff\"\n", DanceBarsName(".dat").c_str());
    return s;
}

void GenDanceBars() {
    std::string name = DanceBarsName(".dat");
    FILE* fp = fopen(name.c_str(), "w");
    if (!fp) {
        error(1, _("(GenDanceBars) cannot write <%s>: %s\n"), name.c_str(), strerror(errno));
        return;
    }
    int n = 0, maxcount = 0;
    bool ok = true;
    std::vector<std::string> names;  // under the bars, in the order of the data
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!sd->avail) continue;
        if (fprintf(fp, "%3d %d\n", ++n, sd->dances) < 0) ok = false;
        if (sd->dances > maxcount) maxcount = sd->dances;
        names.push_back(sd->dispname.empty() ? sd->firstlast : sd->dispname);
    }
    if (fclose(fp) != 0) ok = false;
    if (!ok) {
        error(1, _("(GenDanceBars) cannot write <%s>: %s\n"), name.c_str(), strerror(errno));
        return;
    }
    if (maxcount == 0) {
        GtkWarning(_("can't plot with no dances!"));
        return;
    }
    // The PNG, shown in a window of the program's own once it is drawn.
    PlotCommands(DanceBarsScript(maxcount, true, names), true);
}
