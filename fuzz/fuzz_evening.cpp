// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target for the evening and season file readers, beside the sample club's roster. The
// first byte chooses the file, the rest is its content. Any input is read without a crash
// and within the memory the roster can need; an evening offered is resumed with every place
// of its history naming a dancer of the roster, and what is then written is offered again
// and written the same; a season memory read is written, and written the same at the next
// start.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <string>

#include "assign/assign.h"
#include "core/dorvels.h"
#include "files/clubfile.h"
#include "files/evening.h"
#include "files/season.h"
#include "history/history.h"
#include "support/helmtext.h"

namespace {

[[noreturn]] void Fail(const char* what) {
    fprintf(stderr, "evening fuzz: %s\n", what);
    abort();
}

std::string Slurp(const char* path) {
    std::string text;
    if (FILE* fp = fopen(path, "rb")) {
        char buf[65536];
        for (size_t got; (got = fread(buf, 1, sizeof buf, fp)) > 0;) text.append(buf, got);
        fclose(fp);
    }
    return text;
}

void Put(const char* path, const std::string& text) {
    unlink(path);
    FILE* fp = fopen(path, "wb");
    if (!fp) Fail("cannot write");
    fwrite(text.data(), 1, text.size(), fp);
    fclose(fp);
}

// A fresh start on the sample club, copied to club.dorvel in the working folder.
void Start() {
    static const std::string sample = [] {
        FILE* fp = fopenx("sample.dorvel", "r", "", "DORVELS");
        if (!fp) Fail("no sample club");
        fclose(fp);
        return Slurp(fopenfilename.c_str());
    }();
    ResetEvening();
    SeasonReset();
    Put("club.dorvel", sample);
    FILE* fp = fopen("club.dorvel", "r");
    if (!fp) Fail("no club file");
    inputfilename = "club.dorvel";
    BindOutputFile("club.dorvel");
    if (!ReadDorvels(fp)) Fail("sample not read");
    fclose(fp);
}

// The file without the lines of the times it was written.
std::string Timeless(std::string t) {
    for (const char* key : {"\nsaved=", "\nlastroll="}) {
        size_t at = t.find(key);
        if (at != std::string::npos) t.erase(at + 1, t.find('\n', at + 1) - at);
    }
    return t;
}

void CheckHistory() {
    std::set<const SqrDancer*> roster;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) roster.insert(sd);
    for (History* h = histhd; h; h = h->nxt)
        for (int i = 0; h->histsqr && i < h->totsquares * h->sqrsize; ++i) {
            const HistoryDancer& p = h->histsqr[i / h->sqrsize].histsd[i % h->sqrsize];
            if ((p.sd && !roster.count(p.sd)) || (p.partner && !roster.count(p.partner))) Fail("history names no dancer");
        }
}

// The evening offered is resumed and written; that file is offered again at the next start
// and written the same.
void Evening(const std::string& text) {
    Start();
    Put("club.evening", text);
    time_t now = time(nullptr);
    if (size_t at = text.find("\nsaved="); at != std::string::npos) now = (time_t)strtoll(text.c_str() + at + 7, nullptr, 10);
    if (!EveningFind(now).offered) return;
    if (!EveningResume()) Fail("offered, not resumed");
    CheckHistory();
    EveningReset();
    if (!EveningSave()) Fail("not written");
    const std::string first = Slurp("club.evening");
    Start();
    if (!EveningFind(time(nullptr)).offered) {
        fprintf(stderr, "%s\n%s\n", first.c_str(), TakeClubFileNotice().c_str());
        Fail("what was written is not offered");
    }
    EveningResume();
    EveningReset();
    EveningSave();
    if (Timeless(Slurp("club.evening")) != Timeless(first)) Fail("written again differently");
}

// The season memory read is written, and written the same at the next start.
void Season(const std::string& text) {
    Start();
    Put("club.season", text);
    mixflag = seasonflag = 1;
    seasontoday = SeasonDay("2025-03-04");
    unlink("club.season.damaged");
    if (!SeasonSave()) return;
    const std::string first = Slurp("club.season");
    SeasonReset();
    mixflag = seasonflag = 1;
    seasontoday = SeasonDay("2025-03-04");
    if (!SeasonSave() || Slurp("club.season") != first) Fail("season written again differently");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) Season(text);
    else Evening(text);
    return 0;
}
