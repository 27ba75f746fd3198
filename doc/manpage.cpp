// Writes the manual page dorvels.1 (made at build time from the program's own tables, the
// same that --help is made from). Usage: dorvels_manpage OUTPUT
#include <cstdio>

#include "core/manual.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        fputs("usage: dorvels_manpage OUTPUT\n", stderr);
        return 2;
    }
    FILE* fp = fopen(argv[1], "w");
    if (!fp) {
        perror(argv[1]);
        return 1;
    }
    std::string page = ManualPage();
    bool ok = fwrite(page.data(), 1, page.size(), fp) == page.size();
    ok = fclose(fp) == 0 && ok;
    return ok ? 0 : 1;
}
