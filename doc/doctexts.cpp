// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the texts of the documentation tables (core/manual.cpp) as marked strings of a C++
// file that xgettext reads for the translators' template: the tables keep plain texts, since
// they are the manual page's source too, and --help shows each text translated.
// Usage: dorvels_doctexts OUTPUT
#include <cstdio>
#include <string>

#include "core/manual.h"

static std::string Quoted(const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        if (*p == '"' || *p == '\\') out += '\\';
        if (*p == '\n') {
            out += "\\n";
            continue;
        }
        out += *p;
    }
    return out + "\"";
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fputs("usage: dorvels_doctexts OUTPUT\n", stderr);
        return 2;
    }
    FILE* fp = fopen(argv[1], "w");
    if (!fp) {
        perror(argv[1]);
        return 1;
    }
    fputs("// Made by dorvels_doctexts from the documentation tables; not compiled.\n", fp);
    for (const auto* table : {&docoptions, &docarguments, &dockeys, &docfiles, &docenvironment, &docexit})
        for (const DocItem& item : *table)
            fprintf(fp, "// TRANSLATORS: --help, %s\nN_(%s);\n", item.name, Quoted(item.text).c_str());
    return fclose(fp) == 0 ? 0 : 1;
}
