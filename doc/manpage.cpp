// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the manual page dorvels.1 (made from the program's own tables, the same that --help
// is made from) for an installation. Usage: dorvels_manpage OUTPUT DATADIR DOCDIR DATE
#include <cstdio>

#include "core/manual.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        fputs("usage: dorvels_manpage OUTPUT DATADIR DOCDIR DATE\n", stderr);
        return 2;
    }
    FILE* fp = fopen(argv[1], "w");
    if (!fp) {
        perror(argv[1]);
        return 1;
    }
    std::string page = ManualPage(argv[2], argv[3], argv[4]);
    bool ok = fwrite(page.data(), 1, page.size(), fp) == page.size();
    ok = fclose(fp) == 0 && ok;
    return ok ? 0 : 1;
}
