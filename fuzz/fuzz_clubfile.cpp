// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the club file reader: any input is read without a crash, leaves the
// roster's invariants intact, and what is read survives a write and a second read.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/dorvels.h"
#include "files/clubfile.h"
#include "registry/registry.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    fprintf(stderr, "club file fuzz: %s\n", what);
    abort();
}

void Read(const std::string& text) {
    FILE* fp = tmpfile();
    if (!fp) Fail("tmpfile");
    fwrite(text.data(), 1, text.size(), fp);
    rewind(fp);
    ReadDorvels(fp);
    fclose(fp);
}

void CheckInvariants() {
    std::set<uint64_t> cards;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (sd->partner == sd) Fail("own partner");
        if (sd->partner && sd->partner->partner != sd && (sd->avail || !sd->partner->avail))
            Fail("one-sided partner link");
        if (sd->avail && sd->partner && sd->display + sd->partner->display != 1)
            Fail("present couple not shown once");
        if (sd->sex == NOSEX || sd->pgm == NOPGM) Fail("no role or level");
        if (sd->lastname.empty()) Fail("no last name");
        if (sd->rfid && (!cards.insert(sd->rfid).second || RfidFind(sd->rfid) != sd))
            Fail("card table");
    }
    if (squaresize < 2 || squaresize % 2) Fail("square size");
    if (pgmfloor == NOPGM) Fail("level of the evening");
}

// Every dancer's fields as one text, for comparing two rosters.
std::string Roster() {
    std::string s;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        s += sd->firstlast + "|" + std::to_string(sd->sex) + std::to_string(sd->priority) +
             std::to_string(sd->pgm) + std::to_string(sd->avail) + "|" +
             std::to_string(sd->rfid) + "|" + (sd->partner ? sd->partner->firstlast : "") + "\n";
    }
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetEvening();
    Read(std::string(reinterpret_cast<const char*>(data), size));
    CheckInvariants();
    std::string roster = Roster();
    std::string text = ClubFileText(0);
    // Partners are named in the file; with two dancers of the same name the file cannot
    // tell them apart, so only files with distinct names must survive unchanged.
    std::set<std::string> names;
    bool distinct = true;
    for (SqrDancer* sd = sdhd; sd && distinct; sd = sd->nxt)
        distinct = names.insert(sd->firstlast).second;

    ResetEvening();
    caller.clear();  // an empty caller or club name is not written at all
    clubname.clear();
    Read(text);
    CheckInvariants();
    if (distinct && Roster() != roster) {
        fprintf(stderr, "read:\n%s\nwritten:\n%s\nread back:\n%s\n", roster.c_str(), text.c_str(),
                Roster().c_str());
        Fail("roster changed by a write and a read");
    }
    if (distinct && ClubFileText(0) != text) {
        fprintf(stderr, "first:\n%s\nsecond:\n%s\n", text.c_str(), ClubFileText(0).c_str());
        Fail("second write differs");
    }

    // "Record" lines open record files, numbered from 000 on: remove them all.
    ResetEvening();
    for (int n = 0; n < 1000; ++n) {
        char name[32];
        snprintf(name, sizeof name, "dorvels.record%03d", n);
        if (unlink(name) != 0) break;
    }
    return 0;
}
