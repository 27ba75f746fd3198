// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own documentation, written once: the options, arguments, keys, files and
// environment variables. `dorvels --help` and the manual page dorvels.1 (made at build time
// by doc/manpage.cpp) are both generated from the tables in core/manual.cpp, so a new option
// or key is one line there.
#pragma once

#include <string>
#include <vector>

struct DocItem {
    const char* name;  // "-d", "r", "DORVELS", ...
    const char* arg;   // what the option takes ("FILE"), or ""
    const char* text;  // what it does: plain sentences, wrapped when shown
};

extern const std::vector<DocItem> docoptions;
extern const std::vector<DocItem> docarguments;
extern const std::vector<DocItem> dockeys;
extern const std::vector<DocItem> docfiles;
extern const std::vector<DocItem> docenvironment;
extern const std::vector<DocItem> docexit;

// The text of --help (naming the data folder of the program running).
std::string UsageText();
// The manual page in man's own markup, for an installation with these data and documentation
// folders, dated `date`.
std::string ManualPage(const std::string& datadir, const std::string& docdir, const std::string& date);
// One line of text made safe for man's markup: backslashes and option minus signs escaped,
// and a leading control character ("." or "'") protected.
std::string RoffEscape(const std::string& text);
