// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/fixtures.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "assign/assign.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"

// The logic tests' screen recorder replaces this with a function that empties it.
__attribute__((weak)) void TestScreenClear() {}

void Evening::SetUp() {
    ResetEvening();
    TestScreenClear();
}

void Evening::TearDown() { ResetEvening(); }

static SqrDancer* Named(SqrDancer* sd, const std::string& first, const std::string& last) {
    sd->firstname = first;
    sd->lastname = last;
    sd->firstlast = first + " " + last;
    NameTrieInsert(sd);
    SetupDispName(sd);
    return sd;
}

SqrDancer* AddDancer(const std::string& first, const std::string& last, SDSEX sex, SDPGM pgm,
                     SDPRIORITY prio) {
    SqrDancer* sd = NewSqrDancerAlloc(nullptr);
    sd->sex = sex;
    sd->pgm = pgm;
    sd->priority = prio;
    sd->dances = 0;
    return Named(sd, first, last);
}

SqrDancer* AddCouple(const std::string& first1, const std::string& first2, const std::string& last,
                     SDSEX sex, SDPGM pgm) {
    SqrDancer* a = AddDancer(first1, last, sex, pgm);
    SqrDancer* b = NewSqrDancerAlloc(a);
    b->dances = 0;
    Named(b, first2, last);
    if (a->sex == M || a->sex == MF) b->display = 0; else a->display = 0;
    return a;
}

std::string TempDir() {
    static std::string dir;
    if (dir.empty()) {
        char tmpl[] = "/tmp/dorvels-test-XXXXXX";
        char* made = mkdtemp(tmpl);
        dir = made ? made : "/tmp";
        static struct Cleanup {
            ~Cleanup() {
                if (dir != "/tmp") {
                    std::error_code ec;
                    std::filesystem::remove_all(dir, ec);
                }
            }
        } cleanup;
    }
    return dir;
}

std::string EnterNewDir(const std::string& prefix, std::string* saved) {
    static int n = 0;
    std::string dir = TempDir() + "/" + prefix + std::to_string(n++);
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir, ec);
    char cwd[4096];
    if (saved) *saved = getcwd(cwd, sizeof cwd) ? cwd : "/tmp";
    if (chdir(dir.c_str()) != 0) ADD_FAILURE() << "cannot enter " << dir;
    return dir;
}

void LeaveDir(const std::string& saved) {
    if (!saved.empty() && chdir(saved.c_str()) != 0) ADD_FAILURE() << "cannot go back to " << saved;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string CardTableFaults() {
    std::ostringstream out;
    std::map<uint64_t, const SqrDancer*> holders;
    size_t withcard = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (!sd->rfid) continue;
        ++withcard;
        if (RfidFind(sd->rfid) != sd) out << sd->firstlast << ": card " << sd->rfid << " leads elsewhere\n";
        if (IsCommandCard(sd->rfid)) out << sd->firstlast << ": card " << sd->rfid << " is a command card\n";
        auto [it, fresh] = holders.emplace(sd->rfid, sd);
        if (!fresh) out << "card " << sd->rfid << " held by " << it->second->firstlast << " and " << sd->firstlast << "\n";
    }
    // Every entry of the table is a card found above: none leads to a dancer who is gone.
    if (VarHashCount(varhash) != withcard)
        out << "the card table holds " << VarHashCount(varhash) << " numbers, the roster " << withcard << "\n";
    return out.str();
}

void SaveTipTexts(const std::vector<std::string>& texts) {
    EDITMODE mode = editmode;
    editmode = SQUARES;
    prvtipcnt = tipcnt++;
    ASSERT_NE(RollSquares(), nullptr) << "too few dancers for a square";
    char** list = static_cast<char**>(calloc(2 * texts.size() + 1, sizeof(char*)));
    for (size_t i = 0; i < texts.size(); ++i) list[i] = strdup(texts[i].c_str());
    HistorySave(list, (int)texts.size());
    editmode = mode;
}
