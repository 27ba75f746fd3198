// SPDX-License-Identifier: GPL-3.0-or-later
// Members from and to spreadsheets, and the season's attendance file.
#include <glib.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <random>
#include <tuple>

#include "files/attendance.h"
#include "files/clubguard.h"
#include "files/evening.h"
#include "files/members.h"
#include "files/season.h"
#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_assign_util.h"
#include "test_clubfile_util.h"

using namespace assigntest;

namespace {

// Text in UTF-16 little- or big-endian with its byte-order mark, as "Unicode text" is saved.
std::string Utf16(const std::string& utf8, bool little) {
    gsize n = 0;
    gchar* s = g_convert(utf8.data(), (gssize)utf8.size(), little ? "UTF-16LE" : "UTF-16BE", "UTF-8", nullptr, &n, nullptr);
    std::string out = std::string(little ? "\xFF\xFE" : "\xFE\xFF") + std::string(s, n);
    g_free(s);
    return out;
}

// What an import would add, one dancer a line: name, role, level, card, partner's row name.
std::string Added(const MemberImport& imp) {
    std::string s;
    for (const MemberRow& r : imp.rows) {
        if (!r.add) continue;
        s += strprintf("%s %s %s %s %llu", r.first.c_str(), r.last.c_str(), strsex(r.sex), strpgm(r.pgm),
                       (unsigned long long)r.card);
        if (r.partnerrow >= 0) s += " & " + imp.rows[(size_t)r.partnerrow].first;
        s += "\n";
    }
    return s;
}

bool HasProblem(const MemberImport& imp, int line, const std::string& part) {
    for (const MemberRow& r : imp.rows)
        for (const std::string& p : r.problems)
            if (r.line == line && p.find(part) != std::string::npos) return true;
    return false;
}

// The roster in name order, cards and steady partners included (also one apart tonight).
std::string Roster() {
    SortByName();
    std::string s;
    for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        const SqrDancer* partner = sd->partner;
        for (const SqrDancer* o = sdhd; o && !partner; o = o->nxt)
            if (o->partner == sd) partner = o;
        s += strprintf("%s|%s|%s|%s|%s|%llu|%s\n", sd->firstname.c_str(), sd->lastname.c_str(), strsex(sd->sex),
                       strpgm(sd->pgm), strprio(sd->priority), (unsigned long long)sd->rfid,
                       partner ? partner->firstlast.c_str() : "-");
    }
    return s;
}

class Spreadsheet : public ClubFileTest {};

// Awkward files against a small club: what is added, each line's problem, what is refused;
// reading never changes the roster; adding gives absent dancers, linked couples, whole cards.
TEST_F(Spreadsheet, AwkwardFilesAreReadAsTheOperatorMeantThem) {
    struct Case {  // refused: part of the reason, or null when read
        const char* what;
        std::string bytes;
        const char *refused, *added;
        std::vector<std::pair<int, const char*>> problems;
    };
    const std::string big(10 << 20, 'x');
    std::string binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\x01\0", 20);
    for (int i = 0; i < 200; ++i) binary += (char)(i * 7);
    const Case cases[] = {
        {"German spreadsheet: Windows-1252, semicolons, Herr/Frau, partners, a name of the club, no name",
         "Vorname;Nachname;Rolle;Partner;Karte\r\nJ\xFCrgen;M\xFCller;Herr;K\xE4the M\xFCller;\r\n"
         "K\xE4the;M\xFCller;Frau;J\xFCrgen M\xFCller;4100000999\r\nAnn;Old;W;;\r\n;;Herr;;4100000777\r\n", nullptr,
         "Jürgen Müller M Basic 0 & Käthe\nKäthe Müller F Basic 4100000999 & Jürgen\n",
         {{4, "on the roster already"}, {5, "no name"}}},
        {"UTF-8 with a byte-order mark, quotes around commas, doubled quotes and a line break",
         "\xEF\xBB\xBF" "First name,Last name,Role,Level,Priority\n\"Mary, Jo\",\"O\"\"Neil\",f,Plus,must\n"
         "\"Anna\nMaria\",Lind,E,Mainstream,\nBo,Berg,m,Expert,\n", nullptr, "Mary,_Jo O\"Neil F Plus 0\nAnna_Maria Lind E Main 0\nBo Berg M Basic 0\n",
         {{5, "level \"Expert\" not known"}}},
        {"UTF-16LE, tabs, German level header",
         Utf16("Nachname\tVorname\tProgramm\tRFID\r\nŞahin\tÖzlem\tA1\t41000555\r\nEk\tLi\tC3b\t4100000001\r\n", true),
         nullptr, "Özlem Şahin E A1 41000555\nLi Ek E C3B 0\n", {{3, "belongs to Ann Old"}}},
        {"UTF-16 big-endian, no header: first and last name are the first two columns",
         Utf16("Tom;Kay;Plus\nSue;Kay;x\n", false), nullptr, "Tom Kay E Basic 0\nSue Kay E Basic 0\n", {}},
        {"twice in the file, a card twice, a partner \"Last, First\", one nobody has, one who names another",
         "name,first,card,partner\nRay,Al,123,\nray,al,,\nFox,Di,123,\"Ray, Al\"\nCox,Ed,,Zed Zee\nLu,Ty,,Di Fox\n",
         nullptr, "Al Ray E Basic 123 & Di\nDi Fox E Basic 0 & Al\nEd Cox E Basic 0\nTy Lu E Basic 0\n",
         {{3, "is on line 2 already"}, {4, "is on line 2 already: added without it"},
          {5, "neither in the file nor on the roster"}, {6, "names another partner"}}},
        {"old Mac line ends (CR only), a tab inside quotes",
         "Vorname\tName\r\"Eva\tMaria\"\tKlein\rJo\tKlein\rJo\tKlein\r", nullptr,
         "Eva_Maria Klein E Basic 0\nJo Klein E Basic 0\n", {{4, "is on line 3 already"}}},
        {"a separator line and a title above the header, a name longer than any dancer's",
         "sep=,\nMembers 2026;as of June\n\nNachname,Vorname\nKim,Lee\nBob," + std::string(200, 'y') + "\n", nullptr,
         "Lee Kim E Basic 0\n", {{6, "far longer"}}},
        {"a quote never closed", "Ann,Lee\nBob,\"Ray\nCy,Sun\n", "line 2 is never closed", "", {}},
        {"empty", "", "empty", "", {}}, {"blanks only", " \r\n\t\n", "empty", "", {}},
        {"a header and nothing else", "First name;Last name\n;\n", "no dancer", "", {}},
        {"binary", binary, "binary", "", {}}, {"10 MB of one line", big, "characters long", "", {}},
        {"a club file", "club=Harbor\ncaller=Sam\nAnn Old f L 0 1 Basic\n", "club file", "", {}},
        {"an evening file", "dorvels-evening 1\nsaved=1\n", "beside a club file", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetEvening();
        RfidGive(AddDancer("Ann", "Old", F), 4100000001);
        const std::string before = Roster();
        MemberImport imp = ReadMembers(c.bytes);
        EXPECT_EQ(Roster(), before);
        if (c.refused) {
            EXPECT_NE(imp.refused.find(c.refused), std::string::npos) << imp.refused;
            EXPECT_TRUE(imp.rows.empty());
            continue;
        }
        ASSERT_EQ(imp.refused, "");
        EXPECT_EQ(Added(imp), c.added);
        for (const auto& [line, part] : c.problems) EXPECT_TRUE(HasProblem(imp, line, part)) << line << ": " << part;
        EXPECT_EQ(AddMembers(imp), imp.Adding());
        EXPECT_EQ(RosterCount(), 1 + imp.Adding());
        for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            if (sd->firstlast == "Ann Old") continue;
            EXPECT_EQ(sd->avail, 0);
            EXPECT_EQ(sd->dances, 0);
            EXPECT_TRUE(!sd->partner || sd->partner->partner == sd);
        }
        EXPECT_EQ(CardTableFaults(), "");
    }
}

// Any bytes (a file changed at random, cut short) are refused or read into a whole roster:
// cards, mutual couples, names the club file writes and reads back the same.
TEST_F(Spreadsheet, AnyBytesAreRefusedOrReadIntoAWholeRoster) {
    const std::string base =
        "Vorname;Nachname;Rolle;Partner;Karte;Programm\r\nJ\xFCrgen;M\xFCller;Herr;K\xE4the M\xFCller;;Plus\r\n"
        "K\xE4the;M\xFCller;Frau;J\xFCrgen M\xFCller;4100000999;A1\r\n\"Ann, B\";\"O\"\"Neil\";w;;12;\r\nZo;Ray;;Ann Old;;\r\n";
    const char noise[] = {';', ',', '\t', '"', '\n', '\r', '&', '+', '%', '=', ' ', '_', '#', '\0', '\xC3', 'x'};
    std::mt19937 rng(11);
    for (int i = 0; i < 400; ++i) {
        std::string bytes = base;
        for (int k = 1 + (int)(rng() % 6); k > 0; --k) {
            size_t at = rng() % bytes.size();
            if (rng() % 3 == 0) bytes[at] = noise[rng() % sizeof noise];
            else bytes.insert(at, 1, noise[rng() % sizeof noise]);
        }
        if (rng() % 5 == 0) bytes.resize(rng() % bytes.size());
        SCOPED_TRACE(testing::PrintToString(bytes));
        ResetEvening();
        RfidGive(AddDancer("Ann", "Old", F), 4100000001);
        MemberImport imp = ReadMembers(bytes);
        if (!imp.refused.empty()) continue;
        AddMembers(imp);
        ASSERT_EQ(CardTableFaults(), "");
        for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            ASSERT_TRUE(!sd->partner || sd->partner->partner == sd);
            ASSERT_FALSE(sd->firstname.empty() || sd->lastname.empty());
        }
        const std::string roster = Roster(), text = ClubFileText(1);
        ResetEvening();
        ReadText(text);
        ASSERT_EQ(Roster(), roster) << text;
    }
}

// Any roster exported (with a byte-order mark) and imported into an empty club is the same
// roster, and exported again the same file. No export goes over a club file.
TEST_F(Spreadsheet, ExportReadsBackToTheSameRoster) {
    const char* const names[] = {"Jürgen", "Käthe", "Anna_Maria", "O'Neil", "Smith,_Jr.", "\"Bo\"", "Ça", "Lee"};
    for (int seed = 0; seed < 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        ResetEvening();
        uint64_t card = 100;
        for (int i = 0; i < 30; ++i) {
            std::string first = names[rng() % 8], last = names[rng() % 8] + std::to_string(i);
            SqrDancer* sd = i % 3 == 0 ? AddCouple(first, "P" + first, last, (SDSEX)(rng() % 2), (SDPGM)(rng() % PGMQTY))
                                       : AddDancer(first, last, (SDSEX)(rng() % SEXQTY), (SDPGM)(rng() % PGMQTY),
                                                   rng() % 2 ? MUST : LUCK);
            if (rng() % 2) RfidGive(sd, card += 1 + rng() % 100000000u);
            if (i % 6 == 3 && sd->partner) sd->partner->avail = 0, sd->partner = nullptr;
        }
        const std::string roster = Roster(), csv = MembersCsv();
        EXPECT_EQ(csv.compare(0, 3, "\xEF\xBB\xBF"), 0);
        ResetEvening();
        MemberImport imp = ReadMembers(csv);
        ASSERT_EQ(imp.refused, "");
        for (const MemberRow& r : imp.rows) EXPECT_TRUE(r.problems.empty()) << r.line << ": " << r.problems[0];
        AddMembers(imp);
        EXPECT_EQ(Roster(), roster);
        EXPECT_EQ(MembersCsv(), csv);  // and exported again, the same file
    }

    WriteFile("club.dorvel", "club=Harbor\n");
    ASSERT_EQ(link("club.dorvel", "members.csv"), 0);
    inputfilename = "club.dorvel";
    std::string why;
    for (const char* name : {"club.dorvel", "members.csv", "club.attendance", "club.season", "club.evening",
                             "club.reset", "lastdance.dorvels", "members.csv~"})
        EXPECT_TRUE(!WriteMembersCsv(name, &why) && !why.empty()) << name;
    EXPECT_EQ(ReadFile("club.dorvel"), "club=Harbor\n");
    EXPECT_TRUE(WriteMembersCsv("new.csv", &why)) << why;
    EXPECT_EQ(ReadFile("new.csv"), MembersCsv());
}

class Attendance : public ClubFileTest {
protected:
    void SetUp() override { ClubFileTest::SetUp(), AttendanceReset(), AttendanceKeepWithEvening(); }
    void TearDown() override { EveningField("attendance", nullptr, nullptr), AttendanceReset(), ClubFileTest::TearDown(); }
    // A start of the program on club.dorvel.
    static void Start() {
        ResetEvening();
        AttendanceReset();
        inputfilename = "club.dorvel";
        BindOutputFile("club.dorvel");
        FILE* fp = fopen("club.dorvel", "r");
        ASSERT_NE(fp, nullptr);
        ASSERT_TRUE(ReadDorvels(fp));
        fclose(fp);
        SortByName();
    }
    // A roll as the running program makes it: the club file, the attendance, the evening.
    static void Roll() {
        ASSERT_NE(Tip(), nullptr);
        WriteDorvels(1);
        ASSERT_TRUE(AttendanceSave());
        ASSERT_TRUE(EveningSave());
    }
    static const AttendanceDancer* Find(const AttendanceReport& r, const std::string& name, int nth) {
        for (const AttendanceDancer& d : r.dancers)
            if (AttendanceName(d) == name && d.nth == nth) return &d;
        return nullptr;
    }
};

// Two evenings five weeks apart, the first broken off and resumed: evenings and tips counted,
// the absent marked gone, names sorted as German sorts them; a replay or a deleted file leaves
// the file as it was; a damaged file is put aside and reported, and a new one begun.
TEST_F(Attendance, TwoEveningsOneResumedAfterACrash) {
    for (int i = 0; i < 6; ++i) AddCouple("M" + std::to_string(i), "F" + std::to_string(i), i % 2 ? "Ärger" : "Zorn" + std::to_string(i));
    AddDancer("Anna", "Öhler", E);
    AddDancer("Twin", "Same", M), AddDancer("Twin", "Same", F);
    BindOutputFile("club.dorvel");
    ASSERT_TRUE(WriteDorvels(0));
    const time_t first = 1790000000;  // an evening of 2026
    // Each dancer as the file names it (the n-th of a name): evenings, tips.
    std::map<std::pair<std::string, int>, std::pair<int, int>> expect;
    auto each = [](auto f) {
        std::map<std::string, int> nth;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) f(sd, std::pair<std::string, int>(FullName(sd), ++nth[FullName(sd)]));
    };

    Start();
    attendancestart = first;
    Roll(), Roll();
    // The program breaks off; the next start resumes the evening and rolls once more.
    Start();
    ASSERT_TRUE(EveningFind(time(nullptr)).offered);
    ASSERT_TRUE(EveningResume());
    EXPECT_EQ(attendancestart, first);
    Roll();
    each([&](SqrDancer* sd, auto key) { expect[key] = {1, sd->dances}; });

    // A file deleted meanwhile is written again, as it was.
    const std::string kept = ReadFile("club.attendance");
    ASSERT_EQ(unlink("club.attendance"), 0);
    ASSERT_TRUE(AttendanceSave());
    EXPECT_EQ(ReadFile("club.attendance"), kept);

    // A replay of the evening neither reads nor writes the file.
    dbgfile = "dorvels.record000";
    Roll();
    dbgfile.clear();
    EXPECT_EQ(ReadFile("club.attendance"), kept);

    // Five weeks later: a new evening, one couple stays away.
    Start();
    EveningFind(time(nullptr) + 36 * 86400);
    EveningNew(false);
    attendancestart = first + 35 * 86400;
    SqrDancer* away = sdhd;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->lastname == "Zorn0") away = sd, sd->avail = 0;
    Roll(), Roll();
    each([&](SqrDancer* sd, auto key) {
        if (sd->avail) expect[key].first++, expect[key].second += sd->dances;
    });

    AttendanceReport rep;
    std::string why;
    ASSERT_TRUE(AttendanceRead("club.attendance", &rep, &why)) << why;
    ASSERT_EQ(rep.evenings.size(), 2u);
    EXPECT_EQ(std::tuple(rep.evenings[0].tips, rep.evenings[1].tips, rep.evenings[1].day - rep.evenings[0].day), std::tuple(3, 2, 35));
    ASSERT_EQ(rep.dancers.size(), expect.size());
    for (const auto& [key, want] : expect) {
        SCOPED_TRACE(key.first);
        const AttendanceDancer* d = Find(rep, key.first, key.second);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(std::tuple(d->evenings, d->tips, d->gone, d->lastday),
                  std::tuple(want.first, want.second, want.first == 1, rep.evenings[want.first - 1].day));
    }
    EXPECT_TRUE(Find(rep, FullName(away), 1)->gone);
    std::vector<std::string> order;
    for (const AttendanceDancer& d : rep.dancers) order.push_back(d.last);
    order.erase(std::unique(order.begin(), order.end()), order.end());
    EXPECT_EQ(order, (std::vector<std::string>{"Ärger", "Öhler", "Same", "Zorn0", "Zorn2", "Zorn4"}));
    const std::string csv = AttendanceCsv(rep), sep(1, CsvSeparator());
    EXPECT_NE(csv.find("\r\nTwin" + sep + "Same" + sep + "2" + sep), std::string::npos);

    // A damaged file: kept aside, reported, and a new one begun with tonight.
    WriteFile("club.attendance", "dorvels-attendance 1\nevening\t12\tnot a date\t3\n");
    AttendanceReset();
    attendancestart = first + 42 * 86400;
    screen::clear();
    Roll();
    EXPECT_NE(ReadFile("club.attendance.damaged").find("not a date"), std::string::npos);
    ASSERT_FALSE(screen::warnings.empty());
    EXPECT_NE(screen::warnings.back().find("is damaged"), std::string::npos);
    ASSERT_TRUE(AttendanceRead("club.attendance", &rep, &why)) << why;
    EXPECT_EQ(rep.evenings.size(), 1u);
}

}  // namespace
