// SPDX-License-Identifier: GPL-3.0-or-later
// Replaying a record file: which keys a text stands for, one action per g and runs up to a
// change of display with G, the seeds, the lines an action writes again, and record files
// that end mid-line, hold garbage or lines longer than any record line.
#include <gtest/gtest.h>

#include "files/record.h"
#include "files/replay.h"
#include "support/rndm.h"
#include "test_clubfile_util.h"

namespace {

class Replay : public ClubFileTest {
protected:
    // Replays `record` (from a file of the test) with the given keys, g (0) or G (1).
    void Play(const std::string& record, std::initializer_list<int> keys) {
        WriteFile("rec", record);
        dbgfile = "rec";
        for (int k : keys) ReplayKey(k);
    }
};

TEST(ReplayKeys, KeyLinesAndOtherTexts) {
    struct Case {
        const char* text;
        bool keybrd;
        const char* keys;
    } cases[] = {
        {"h", true, "h"},
        {"r", false, "r"},
        {"0123456789", true, "0123456789\r"},
        {"1234567", true, "1234567\r"},
        {"", true, "\r"},                 // Enter with no digits
        {"", false, ""},
        {"<esc>", true, "\x1b"},
        {"<esc>", false, ""},
        {"-", true, "-"},
        {"+", true, "+"},
        {"d style<lastfi>", true, "d"},   // one key with a remark
        {"y  (unsupported)", true, "y"},
        {"m", true, ""},                  // the menu's own lines are replayed instead
        {"sd<Smith> active", false, "sd"},
        {"abm7", false, "ab"},
        {"event<bttn-press> data=0", false, ""},
        {"12ab", false, "12ab\r"},
    };
    for (const Case& c : cases) EXPECT_EQ(ReplayKeys(c.text, c.keybrd), c.keys) << c.text;
}

TEST(ReplayFields, RecordLinesAndTheirFields) {
    std::string h, t;
    EXPECT_TRUE(SplitRecordLine("(KeybrdCmd) h", &h, &t));
    EXPECT_EQ(h + "|" + t, "KeybrdCmd|h");
    EXPECT_TRUE(SplitRecordLine("(terminate)", &h, &t));
    EXPECT_EQ(h + "|" + t, "terminate|");
    for (const char* bad : {"", "h", "seeds: 1 2 3", "(no name) x", "() x", "(a)b", "\x01\x02(x) y"})
        EXPECT_FALSE(SplitRecordLine(bad, &h, &t)) << bad;

    std::string text = "Done club<The <Club>> caller<> maxsquares<3> file<a b.dorvel>";
    bool found = false;
    EXPECT_EQ(RecordField(text, "club", &found), "The <Club>");
    EXPECT_EQ(RecordField(text, "caller", &found), "");
    EXPECT_TRUE(found);
    EXPECT_EQ(RecordField(text, "squares", &found), "");  // not the end of "maxsquares"
    EXPECT_FALSE(found);
    EXPECT_EQ(RecordField(text, "file"), "a b.dorvel");
}

TEST_F(Replay, DancersByRecordNameFullNameThenAnUnsharedDisplayName) {
    SqrDancer* a = AddDancer("Ann", "Smith", F);
    SqrDancer* b = AddDancer("Bob", "Smith", M);
    a->dispname = b->dispname = "Smith";
    SqrDancer* c = AddDancer("Cy", "Jones", M);
    c->dispname = "Jones";
    EXPECT_EQ(RecordedDancer("sd<Smith> active dancer<Bob Smith>"), b);
    EXPECT_EQ(RecordedDancer("sd<Ann Smith> inactive"), a);
    EXPECT_EQ(RecordedDancer("sd<Jones> active"), c);
    EXPECT_EQ(RecordedDancer("sd<Smith> active"), nullptr);  // two dancers show as Smith
    EXPECT_EQ(RecordedDancer("islider=0 sd<-null->"), nullptr);
    // Both members of an anonymous couple have the full name Couple#001.
    SqrDancer* m = AddCouple("M", "F", "Couple#001");
    m->firstlast = m->partner->firstlast = "Couple#001";
    EXPECT_EQ(RecordName(m->partner), "F Couple#001");
    EXPECT_EQ(RecordedDancer("sd<" + RecordName(m->partner) + "> pgm<Plus>"), m->partner);
    EXPECT_EQ(RecordedDancer("sd<" + RecordName(m) + ">"), m);
}

TEST_F(Replay, KeysWarnWithoutAFileToReplay) {
    ReplayKey(0);
    dbgfile = "missing.rec";
    ReplayKey(1);
    EXPECT_EQ(screen::warnings,
              (std::vector<std::string>{"\"g\" command requested but null dbgfile!\n  (did you mean to type \"r\" instead?)",
                                        "\"G\" command requested but unable to open<missing.rec>!\n"}));
    EXPECT_TRUE(screen::replayed.empty());
}

// g replays one action, lines that action writes again included; G runs up to the first
// action that changes the display. The seeds recorded at start-up seed the generator.
TEST_F(Replay, StepsRunsSeedsAndEchoes) {
    screen::onreplay = [](const std::string& handler, const std::string& text) {
        Record("(%s) %s\n", handler.c_str(), text.c_str());
        if (text == "q") Record("(KeybrdCmd) q\n");  // q writes its line twice
        if (text == "r") {
            editmode = SQUARES;
            Record("(EditDisplay)\n");  // the board r builds
        }
    };
    const std::string record =
        "seeds: 0 0 0\n"
        "seeds: s1=5 s2=6 s3=7\n"
        "(KeybrdCmd) q\n(KeybrdCmd) q\n"
        "(ToggleAvail) sd<X> active\n"
        "(KeybrdCmd) r\n"
        "(EditDisplay)\n"
        "(KeybrdCmd) h\n";
    Play(record, {0, 0});
    EXPECT_TRUE(screen::replayed.empty()) << "the zero seeds, then the seeds";
    int64_t a, b, c;
    get_rndm(&a, &b, &c);
    EXPECT_EQ(std::vector<int64_t>({a, b, c}), std::vector<int64_t>({5, 6, 7}));
    ReplayKey(0);
    EXPECT_EQ(screen::replayed, std::vector<std::string>{"KeybrdCmd|q"}) << "both q lines are one action";
    ReplayKey(1);
    EXPECT_EQ(screen::replayed,
              (std::vector<std::string>{"KeybrdCmd|q", "ToggleAvail|sd<X> active", "KeybrdCmd|r"}));
    EXPECT_TRUE(screen::notes.empty());
    // r wrote the board's line again, so it is no action of its own; h changes no display,
    // so the run goes on to the end.
    ReplayKey(1);
    EXPECT_EQ(screen::replayed.size(), 4u);
    EXPECT_EQ(screen::replayed.back(), "KeybrdCmd|h");
    EXPECT_EQ(screen::notes, std::vector<std::string>{"end of recording<rec>"});
    EXPECT_EQ(dbgfilefp, nullptr);
    ReplayKey(0);  // from the start again
    EXPECT_EQ(dbgfilefp != nullptr, true);
}

TEST_F(Replay, RecordingPausesWhileReplayingAndTheClubFileSaysRecordedOnlyWhileRecording) {
    outputfilename = "club.dorvel";
    OpenRecordFile();  // dorvels.record000
    screen::onreplay = [](const std::string&, const std::string&) {
        Record("(KeybrdCmd) h\n");
        WriteDorvels(0);
    };
    FILE* own = rflag;
    Play("(KeybrdCmd) h\n(KeybrdCmd) p\n", {0});
    EXPECT_EQ(rflag, own);
    EXPECT_EQ(ReadFile("dorvels.record000"), "seeds: 0 0 0\n") << "replayed actions are not recorded again";
    EXPECT_NE(ReadFile("club.dorvel").find("\nRecord\n"), std::string::npos);
    CloseRecordFile();
    ReplayKey(0);  // the last line; the replay is still open until its end is read
    EXPECT_EQ(ReadFile("club.dorvel").find("\nRecord\n"), std::string::npos)
        << "a replay is no recording: the evenings after it would record unasked";
    ReplayKey(0);
    WriteDorvels(0);
    EXPECT_EQ(ReadFile("club.dorvel").find("\nRecord\n"), std::string::npos);
}

// Garbage, a line far longer than any record line and a last line cut off are passed over
// with a note; every whole record line around them is replayed.
TEST_F(Replay, DamagedRecordsReplayOnlyWholeRecordLines) {
    std::string longline = "(KeybrdCmd) " + std::string(20000, 'x');
    std::string record = std::string("\x01\x02garbage ends here\n") + "rprh\n" + longline + "\n" +
                         "(KeybrdCmd) h\n" + std::string("(Odd) z\0q", 9) + "\n" + "(KeybrdCmd) 01234";
    Play(record, {1});
    EXPECT_EQ(screen::replayed, (std::vector<std::string>{"KeybrdCmd|h", "Odd|z"}));
    int passed = 0;
    for (const std::string& n : screen::timenotes) passed += n.find("passed over") != std::string::npos;
    EXPECT_EQ(passed, 4);
    EXPECT_EQ(screen::notes, std::vector<std::string>{"end of recording<rec>"});
}

}  // namespace
