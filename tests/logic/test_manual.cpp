// SPDX-License-Identifier: GPL-3.0-or-later
// The manual page made from the documentation tables: man's markup must show every text as
// written, and every line that starts with a period must be one of the macros it uses.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "core/manual.h"

TEST(Manual, TextsReachManAsWritten) {
    EXPECT_EQ(RoffEscape(".dorvel files"), "\\&.dorvel files");  // not a request named "dorvel"
    EXPECT_EQ(RoffEscape("'quoted"), "\\&'quoted");
    EXPECT_EQ(RoffEscape("C:\\club"), "C:\\eclub");
    EXPECT_EQ(RoffEscape("use -l (-r) or --print-pdf, a square-dance"),
              "use \\-l (\\-r) or \\-\\-print\\-pdf, a square-dance");

    const std::set<std::string> macros = {".TH", ".SH", ".TP", ".B", ".BI", ".I", ".IB", ".PP"};
    std::istringstream page(ManualPage("/opt/d/share/dorvels", "/opt/d/share/doc/dorvels", "2026-12-07"));
    int keys = 0;
    bool inkeys = false;
    for (std::string line; std::getline(page, line);) {
        if (!line.empty() && (line[0] == '.' || line[0] == '\'')) {
            EXPECT_TRUE(macros.count(line.substr(0, line.find(' ')))) << line;
            if (line.rfind(".SH", 0) == 0) inkeys = line == ".SH KEYS";
            if (inkeys && line == ".TP") ++keys;
        }
    }
    EXPECT_EQ(keys, (int)dockeys.size());  // every key under KEYS
}
