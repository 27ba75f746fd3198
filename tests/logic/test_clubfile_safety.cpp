// SPDX-License-Identifier: GPL-3.0-or-later
// Club files that must not cost the club its roster: files that are no club file or cannot
// be read, a second Dorvels on the same file, changes made by other programs, backups, a
// byte-order mark, settings out of range, the problems of a file's lines, saves that fail at
// the end of the evening, and the club file chosen at start-up.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "core/screen.h"
#include "core/startup.h"
#include "files/evening.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_clubfile_util.h"

namespace {

class ClubSafety : public ClubFileTest {
protected:
    // Reads the file at path as start-up does (the file read is the file written back).
    static bool ReadPath(const std::string& path) {
        FILE* fp = fopen(path.c_str(), "r");
        EXPECT_NE(fp, nullptr) << path;
        if (!fp) return false;
        inputfilename = outputfilename = path;
        bool read = ReadDorvels(fp);
        fclose(fp);
        return read;
    }
    static bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
    static bool Contains(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
    // Runs the command-line scan and the rest of start-up with these arguments.
    static void Start(std::vector<std::string> args) {
        args.insert(args.begin(), "dorvels");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        StartupArguments((int)args.size(), argv.data());
        StartupFinish();
    }
};

const char* kClub = "% The Hilltop Squares\nclub=Hilltop\nAnn Ash f L 0 1 Basic & Bob Ash\n"
                    "Bob Ash m L 0 1 Basic & Ann Ash\nCy Doe m L 0 0 Plus\n";

std::string Utf16(const std::string& ascii, bool mark) {
    std::string out = mark ? "\xFF\xFE" : "";
    for (char c : ascii) (out += c) += '\0';
    return out;
}

// A stream whose reads fail after `good` bytes, as a flaky medium's do.
struct Flaky {
    std::string data;
    size_t pos, good;
};
ssize_t FlakyRead(void* cookie, char* buf, size_t size) {
    auto* f = static_cast<Flaky*>(cookie);
    if (f->pos >= f->good) {
        errno = EIO;
        return -1;
    }
    size_t n = std::min(size, f->good - f->pos);
    memcpy(buf, f->data.data() + f->pos, n);
    f->pos += n;
    return (ssize_t)n;
}

// ---- files that are not read -------------------------------------------------------------

// Each of these is left as it is: nothing of it is read, the operator is told why, no write
// of the evening replaces it, and only a save on purpose does, keeping it as "name~".
TEST_F(ClubSafety, FilesThatAreNoClubFileAreNeverWrittenOverUnasked) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += (char)(i * 7 % 256);
    struct Case {
        const char* what;
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"UTF-16 with its mark", Utf16(kClub, true), "UTF-16"},
        {"UTF-16 without a mark", Utf16(kClub, false), "no text file"},
        {"binary", binary, "no text file"},
        {"text that is no roster", "Dear club members,\nplease bring cake.\n", "no dancer and no setting"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ResetEvening();
        WriteFile("club.dorvel", c.bytes);
        AddDancer("Already", "Here", M);  // a roster read before stays as it is
        EXPECT_FALSE(ReadPath("club.dorvel"));
        EXPECT_EQ(RosterCount(), 1);
        std::string notice = TakeClubFileNotice();
        EXPECT_TRUE(Contains(notice, "<club.dorvel> was not read: ")) << notice;
        EXPECT_TRUE(Contains(notice, c.reason)) << notice;
        MarkClubUnchanged();

        screen::clear();
        EXPECT_FALSE(WriteDorvels(1));  // the roll's write
        EXPECT_FALSE(WriteDorvels(0));
        EXPECT_EQ(ReadFile("club.dorvel"), c.bytes);
        ASSERT_EQ(screen::warnings.size(), 1u);  // said once, not at every roll
        EXPECT_TRUE(Contains(screen::warnings[0], "could not be read at the start"));
        EXPECT_FALSE(Exists("lastdance.dorvels"));
        // The end of the evening with nothing entered leaves it without asking.
        EXPECT_TRUE(TerminateEvening(1));
        EXPECT_TRUE(screen::saveasked.empty());
        EXPECT_EQ(ReadFile("club.dorvel"), c.bytes);

        ASSERT_TRUE(WriteDorvels(0, true));  // w
        EXPECT_EQ(ReadFile("club.dorvel~"), c.bytes);
        EXPECT_TRUE(Contains(ReadFile("club.dorvel"), "Already Here"));
        unlink("club.dorvel~");
        unlink("lastdance.dorvels");
    }
}

TEST_F(ClubSafety, AFailedReadAddsNothing) {
    Flaky flaky{std::string(kClub) + std::string(200000, '%') + "\nLate Line m L 0 1 Basic\n", 0, 4000};
    cookie_io_functions_t io = {FlakyRead, nullptr, nullptr, nullptr};
    FILE* fp = fopencookie(&flaky, "r", io);
    ASSERT_NE(fp, nullptr);
    EXPECT_FALSE(ReadDorvels(fp));
    fclose(fp);
    EXPECT_EQ(RosterCount(), 0);
    EXPECT_EQ(clubname, "None");  // not even the settings before the failure
    EXPECT_TRUE(Contains(TakeClubFileNotice(), "was not read: Input/output error"));
}

TEST_F(ClubSafety, EnormousFilesAreRefusedWithoutReadingThemWhole) {
    FILE* fp = fopen("huge.dorvel", "w");
    ASSERT_NE(fp, nullptr);
    fputs(kClub, fp);
    fclose(fp);
    ASSERT_EQ(truncate("huge.dorvel", (off_t)65 << 20), 0);  // sparse: costs no disk
    EXPECT_FALSE(ReadPath("huge.dorvel"));
    EXPECT_EQ(RosterCount(), 0);
    EXPECT_TRUE(Contains(TakeClubFileNotice(), "larger than any club file (at most 64 MiB)"));
    // A device that never ends is cut off at the same size.
    fp = fopen("/dev/zero", "r");
    ASSERT_NE(fp, nullptr);
    EXPECT_FALSE(ReadDorvels(fp));
    fclose(fp);
    EXPECT_TRUE(Contains(TakeClubFileNotice(), "larger than any club file"));
}

TEST_F(ClubSafety, ByteOrderMarkIsNoContentAndTheCommentBlockSurvives) {
    const std::string block = "\xEF\xBB\xBF% my club\n% kept by hand\n";
    WriteFile("club.dorvel", block + "club=Mine\nAnn Ash f L 0 1 Basic\n");
    FILE* fp = fopen("club.dorvel", "r");
    ASSERT_NE(fp, nullptr);
    ReadDorvels(fp);
    fclose(fp);
    ASSERT_EQ(RosterCount(), 1);
    EXPECT_EQ(sdhd->firstlast, "Ann Ash");
    EXPECT_EQ(clubname, "Mine");
    outputfilename = "club.dorvel";
    ASSERT_TRUE(WriteDorvels(0));
    std::string written = ReadFile("club.dorvel");
    EXPECT_EQ(written.rfind(block + "club=Mine\n", 0), 0u) << written;
    // A mark before a line that is no comment is dropped with nothing else.
    ResetEvening();
    ReadText("\xEF\xBB\xBF" "club=Other\n");
    EXPECT_EQ(clubname, "Other");
    EXPECT_EQ(RosterCount(), 0);
}

TEST_F(ClubSafety, ScrollSpeedStepsOutOfRangeAreIgnored) {
    for (const char* bad : {"scrollerincrchg=99999999999", "scrollerincrchg=-2147483648",
                            "scrollerincrchg=51", "scrollerincrchg=-51", "scrollerincrchg=fast"}) {
        scrollerincrchg = 3;
        ReadText(std::string(bad) + "\n");
        EXPECT_EQ(scrollerincrchg, 3) << bad;
    }
    ReadText("scrollerincrchg=-50\n");
    EXPECT_EQ(scrollerincrchg, -50);
}


// ---- two programs, other programs, backups ------------------------------------------------

// The lock of another process: a child that reads the club file and holds it until told.
struct OtherDorvels {
    pid_t pid = -1;
    int go[2], done[2];
    explicit OtherDorvels(const std::string& path) {
        if (pipe(go) != 0 || pipe(done) != 0) return;
        pid = fork();
        if (pid == 0) {
            FILE* fp = fopen(path.c_str(), "r");
            bool ok = fp && ReadDorvels(fp);
            char c = ok ? 'r' : 'n';
            if (write(done[1], &c, 1) != 1) _exit(2);
            if (read(go[0], &c, 1) < 0) _exit(3);  // holds the file until told or killed
            _exit(0);
        }
        char c;
        if (read(done[0], &c, 1) != 1 || c != 'r') pid = -1;
    }
    void End(bool crash) {
        if (pid < 0) return;
        if (crash) kill(pid, SIGKILL);
        else if (write(go[1], "x", 1) != 1) kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    ~OtherDorvels() { End(true); }
};

TEST_F(ClubSafety, ASecondDorvelsNeverWritesTheFileTheFirstHolds) {
    WriteFile("club.dorvel", kClub);
    OtherDorvels first("club.dorvel");
    ASSERT_GT(first.pid, 0);
    ASSERT_TRUE(ReadPath("club.dorvel"));  // the roster is shown all the same
    EXPECT_EQ(RosterCount(), 3);
    EXPECT_TRUE(Contains(TakeClubFileNotice(), "<club.dorvel> is in use by another Dorvels"));
    MarkClubUnchanged();
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->avail = 1;  // attendance taken here
    EXPECT_FALSE(WriteDorvels(1));
    EXPECT_FALSE(WriteDorvels(0, true));  // not even on purpose
    EXPECT_EQ(ReadFile("club.dorvel"), kClub);
    EXPECT_FALSE(Exists("lastdance.dorvels"));
    // At the end the operator is asked, and may keep the evening under another name.
    screen::saveanswers = {{SAVE_OTHERNAME, "tonight.dorvel"}};
    EXPECT_TRUE(TerminateEvening(1));
    ASSERT_EQ(screen::saveasked.size(), 1u);
    EXPECT_TRUE(Contains(screen::saveasked[0], "in use by another Dorvels"));
    EXPECT_EQ(ReadFile("club.dorvel"), kClub);
    EXPECT_TRUE(Contains(ReadFile("tonight.dorvel"), "Cy  Doe  m L 0 1 Plus"));
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "tonight.dorvel\n");

    // A program that ended, even by a crash, holds nothing.
    first.End(true);
    ResetEvening();
    ASSERT_TRUE(ReadPath("club.dorvel"));
    EXPECT_FALSE(Contains(TakeClubFileNotice(), "in use"));
    EXPECT_TRUE(WriteDorvels(0));
    // And this run's lock keeps the next program off in turn.
    pid_t pid = fork();
    if (pid == 0) {
        ResetClubFiles();  // the child's own run: it knows no lock of its parent
        FILE* fp = fopen("club.dorvel", "r");
        bool ok = fp && ReadDorvels(fp);
        outputfilename = "club.dorvel";
        _exit(ok && Contains(TakeClubFileNotice(), "in use") && !WriteDorvels(1) ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Whether a second program started now is told that this run holds the club file.
bool HeldHere(const char* path) {
    pid_t pid = fork();
    if (pid == 0) {
        ResetClubFiles();  // the child's own run: it knows no lock of its parent
        FILE* fp = fopen(path, "r");
        _exit(fp && ReadDorvels(fp) && TakeClubFileNotice().find("in use") != std::string::npos ? 0 : 1);
    }
    int status = -1;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The setup dialog's choice of a club file: one that another Dorvels holds is refused, and
// the old club goes on as before; chosen again once that program has ended, it is read and
// held, and the old club's file is let go.
TEST_F(ClubSafety, TheClubFileChosenInTheDialogIsHeldAndTheOldOneLetGo) {
    const std::string swans = "club=Swans\nZed Zulu m L 0 1 Basic\n";
    WriteFile("club.dorvel", kClub);
    WriteFile("other.dorvel", swans);
    ASSERT_TRUE(ReadPath("club.dorvel"));
    OtherDorvels holder("other.dorvel");
    ASSERT_GT(holder.pid, 0);
    bool read = true;
    EXPECT_EQ(ChooseClubFile("other.dorvel", &read),
              "<other.dorvel> is in use by another Dorvels: this one does not write it");
    EXPECT_FALSE(read);
    EXPECT_EQ(RosterCount(), 3);
    EXPECT_EQ(clubname, "Hilltop");
    AddDancer("Di", "Eve", F);
    ASSERT_TRUE(WriteDorvels(1));  // still saved to its own file
    EXPECT_TRUE(Contains(ReadFile("club.dorvel"), "Di  Eve"));
    EXPECT_EQ(ReadFile("other.dorvel"), swans);

    holder.End(false);
    ASSERT_EQ(ChooseClubFile("other.dorvel", &read), "");
    EXPECT_TRUE(read);
    EXPECT_EQ(clubname, "Swans");
    EXPECT_EQ(RosterCount(), 1);
    EXPECT_TRUE(HeldHere("other.dorvel"));
    EXPECT_FALSE(HeldHere("club.dorvel"));

    // A choice refused after the lock was taken (the roster cannot be saved first) lets the
    // chosen file go again.
    ASSERT_EQ(mkdir("sub", 0755), 0);
    WriteFile("sub/third.dorvel", "club=Third\nAl Bo m L 0 1 Basic\n");
    AddDancer("Fay", "Gee", F);
    ASSERT_EQ(chmod(".", 0555), 0);
    EXPECT_TRUE(Contains(ChooseClubFile("sub/third.dorvel", &read), "could not be saved"));
    ASSERT_EQ(chmod(".", 0755), 0);
    EXPECT_EQ(clubname, "Swans");
    EXPECT_FALSE(HeldHere("sub/third.dorvel"));
    EXPECT_TRUE(HeldHere("other.dorvel"));
}

TEST_F(ClubSafety, FirstWriteOfARunKeepsThePreviousVersion) {
    WriteFile("club.dorvel", kClub);
    ASSERT_TRUE(ReadPath("club.dorvel"));
    ASSERT_TRUE(WriteDorvels(1));
    EXPECT_EQ(ReadFile("club.dorvel~"), kClub);
    AddDancer("Di", "Eve", F);
    ASSERT_TRUE(WriteDorvels(1));
    EXPECT_EQ(ReadFile("club.dorvel~"), kClub);  // one backup: the version before the run
    EXPECT_TRUE(Contains(ReadFile("club.dorvel"), "Di  Eve"));
    // A file the run creates has no earlier version.
    outputfilename = "new.dorvel";
    ASSERT_TRUE(WriteDorvels(1));
    EXPECT_FALSE(Exists("new.dorvel~"));
}

TEST_F(ClubSafety, AChangeByAnotherProgramIsKeptAndReported) {
    WriteFile("club.dorvel", kClub);
    ASSERT_TRUE(ReadPath("club.dorvel"));
    ASSERT_TRUE(WriteDorvels(1));
    std::string theirs = std::string(kClub) + "Edited In m L 0 1 Basic\n";
    WriteFile("club.dorvel", theirs);  // an editor saves while the evening runs
    screen::clear();
    ASSERT_TRUE(WriteDorvels(1));
    std::string kept;
    for (auto& e : std::filesystem::directory_iterator("."))
        if (e.path().filename().string().rfind("club.dorvel.changed-", 0) == 0) kept = e.path().filename();
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(ReadFile(kept), theirs);
    EXPECT_FALSE(Contains(ReadFile("club.dorvel"), "Edited In"));
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_TRUE(Contains(screen::warnings[0], "changed by another program")) << screen::warnings[0];
    EXPECT_TRUE(Contains(screen::warnings[0], kept));
    // The next write finds the file as this run left it: nothing more is kept.
    screen::clear();
    ASSERT_TRUE(WriteDorvels(1));
    EXPECT_TRUE(screen::warnings.empty());
}

// ---- what the operator is told about a file's lines ------------------------------------------

TEST_F(ClubSafety, ProblemsOfTheLinesAreListedWithWhatWasKept) {
    const std::string text = "club=Hilltop\n"
                             "Gil Heath x L 0 1 Plus\n"
                             "Ivy Jade f Q 0 1 Plus\n"
                             "Kit Lane m L 0 1 Mian\n"
                             "Lu Moss f L 0 1 Plus & Zed Zulu\n"
                             "squaresize=7000\n";
    WriteFile("club.dorvel", text);
    ASSERT_TRUE(ReadPath("club.dorvel"));
    std::string notice = TakeClubFileNotice();
    EXPECT_TRUE(Contains(notice, "<club.dorvel>: 5 problems")) << notice;
    EXPECT_TRUE(Contains(notice, "kept as <club.dorvel~>"));
    for (const char* line : {"line 2: Gil Heath: unknown role <x>; E (either role) kept",
                             "line 3: Ivy Jade: unknown priority <Q>; L (luck) kept",
                             "line 4: Kit Lane: unknown level <mian>; Plus kept",
                             "line 5: Lu Moss: partner <Zed Zulu> not found; no partner kept",
                             "line 6: square size <7000> is not 2 to 100; 8 kept"})
        EXPECT_TRUE(Contains(notice, line)) << line << "\n" << notice;
    EXPECT_EQ(TakeClubFileNotice(), "");  // shown once
    // The corrected file is written, and the original stays beside it to be mended.
    ASSERT_TRUE(WriteDorvels(1));
    EXPECT_EQ(ReadFile("club.dorvel~"), text);
}

// ---- the end of the evening ----------------------------------------------------------------

TEST_F(ClubSafety, AFailedFinalSaveAsksUntilSavedOrGivenUp) {
    ASSERT_EQ(mkdir("ro", 0755), 0);
    WriteFile("ro/club.dorvel", kClub);
    ASSERT_TRUE(ReadPath("ro/club.dorvel"));
    ASSERT_EQ(chmod("ro", 0555), 0);
    // Try again (still failing), then another name.
    screen::saveanswers = {{SAVE_RETRY, ""}, {SAVE_OTHERNAME, "elsewhere.dorvel"}};
    EXPECT_TRUE(TerminateEvening(1));
    ASSERT_EQ(screen::saveasked.size(), 2u);
    EXPECT_EQ(screen::saveasked[0], "unable to write <ro/club.dorvel>: Permission denied");
    EXPECT_EQ(ReadFile("ro/club.dorvel"), kClub);
    EXPECT_TRUE(Contains(ReadFile("elsewhere.dorvel"), "Ann Ash"));
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "elsewhere.dorvel\n");
    // Quit without saving: false, and the file as it was.
    screen::clear();
    outputfilename = "ro/club.dorvel";
    EXPECT_FALSE(TerminateEvening(2));
    EXPECT_EQ(screen::saveasked.size(), 1u);
    EXPECT_EQ(ReadFile("ro/club.dorvel"), kClub);
    ASSERT_EQ(chmod("ro", 0755), 0);
}

TEST_F(ClubSafety, AnUnreadFileWithSomethingEnteredIsAskedAbout) {
    WriteFile("club.dorvel", Utf16(kClub, true));
    EXPECT_FALSE(ReadPath("club.dorvel"));
    MarkClubUnchanged();
    AddDancer("New", "Comer", F);
    screen::saveanswers = {{SAVE_RETRY, ""}};
    EXPECT_TRUE(TerminateEvening(1));
    ASSERT_EQ(screen::saveasked.size(), 1u);
    EXPECT_TRUE(Contains(screen::saveasked[0], "Try again writes it all the same"));
    EXPECT_EQ(ReadFile("club.dorvel~"), Utf16(kClub, true));
    EXPECT_TRUE(Contains(ReadFile("club.dorvel"), "New Comer"));
}

// ---- the club file chosen at start-up ---------------------------------------------------------

const char* kHarbor = "club=Harbor Squares\nAnn Ash f L 0 1 Basic\n";

// However a club file is chosen at start-up, it is the file every write goes to, and the
// pointer file keeps naming it: a club name whose last word names another file moves nothing.
TEST_F(ClubSafety, TheFileReadIsTheFileWritten) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> starts = {
        {"harbor.dorvel", {}},                           // through the pointer file
        {"harbor.dorvel", {"maxsqr", "=3", "800x600"}},  // options and a window size choose no club
        {"harbor.dorvel", {"harbor"}},                   // named on the command line
        {"dorvels.dorvel", {"-l"}},                      // the default file
    };
    for (const auto& [file, args] : starts) {
        SCOPED_TRACE(file + " " + (args.empty() ? "" : args[0]));
        ResetEvening();
        ASSERT_EQ(system("rm -f *.dorvel* lastdance.dorvels"), 0);
        WriteFile(file, kHarbor);
        WriteFile("lastdance.dorvels", file + "\n");
        Start(args);
        ASSERT_EQ(RosterCount(), 1);
        AddDancer("Bo", "Bell", M);
        ASSERT_TRUE(WriteDorvels(1));
        clubname = "Harbor Lights";  // renamed in the setup dialog
        EXPECT_TRUE(TerminateEvening(1));
        EXPECT_TRUE(Contains(ReadFile(file), "Bo  Bell"));
        EXPECT_TRUE(Contains(ReadFile(file), "club=Harbor Lights"));
        EXPECT_FALSE(Exists("squares.dorvel"));
        EXPECT_FALSE(Exists("lights.dorvel"));
        EXPECT_EQ(ReadFile("lastdance.dorvels"), file + "\n");
    }
    EXPECT_EQ(reqW, 0);  // the last start asked for no size
}

// A club whose file is named after it never writes over a file of the folder it did not read:
// another club's roster keeps its bytes, and the new club goes to a free name, said once.
TEST_F(ClubSafety, ANameMadeFromTheClubNameTakesAFreeName) {
    WriteFile("squares.dorvel", kHarbor);
    WriteFile("squares-2.dorvel", "Dear members,\nno club here.\n");
    Start({"-l"});
    EXPECT_EQ(RosterCount(), 0);
    clubname = "Valley Squares";  // named in the setup dialog
    BuildOutputFilename();
    EXPECT_EQ(outputfilename, "squares.dorvel");
    AddDancer("Val", "Lee", F);
    screen::clear();
    ASSERT_TRUE(WriteDorvels(1));
    ASSERT_TRUE(WriteDorvels(1));
    EXPECT_EQ(ReadFile("squares.dorvel"), kHarbor);
    EXPECT_EQ(ReadFile("squares-2.dorvel"), "Dear members,\nno club here.\n");
    EXPECT_TRUE(Contains(ReadFile("squares-3.dorvel"), "Val Lee"));
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "squares-3.dorvel\n");
    ASSERT_EQ(screen::warnings.size(), 1u);
    EXPECT_TRUE(Contains(screen::warnings[0], "the club is saved as <squares-3.dorvel> instead"));
    EXPECT_TRUE(OutputFileBound());
}

// Command lines with a slip in them are refused before anything is read or written, with the
// form meant; a PDF is never written over a club's files or another file.
TEST_F(ClubSafety, HostileCommandLines) {
    auto problem = [](std::vector<std::string> args) {
        args.insert(args.begin(), "dorvels");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        return CommandLineProblem((int)args.size(), argv.data());
    };
    for (auto& [args, said] : std::vector<std::pair<std::vector<std::string>, const char*>>{
             {{"--serve", "18155", "club.dorvel"}, "as --serve=18155"}, {{"--serve", "lan:8080"}, "as --serve=lan:8080"},
             {{"--trace", "2", "club"}, "as --trace=2"}, {{"--tracefile", "t.txt"}, "as --tracefile=t.txt"},
             {{"501"}, "1002 anonymous"}, {{"Plus", "400", "A2", "300"}, "1400 anonymous"},
             {{"1", "2", "3", "4", "5", "996"}, "1012 anonymous"}, {{"99999999999999999999999"}, "anonymous"},
             {{"--serve", "club.dorvel"}, ""}, {{"--serve=18155", "club.dorvel"}, ""}, {{"500"}, ""},
             {{"1280x1024"}, ""}, {{"-d", "1000", "x"}, ""}, {{"1", "2", "3", "4", "5", "6", "5000"}, ""}})
        EXPECT_TRUE(*said ? Contains(problem(args), said) : problem(args).empty()) << args[0] << ": " << problem(args);
    WriteFile("club.dorvel", kClub);
    WriteFile("old.pdf", "%PDF-1.4 ...");
    WriteFile("notes.txt", "bring cake");
    WriteFile("empty.pdf", "");
    ASSERT_TRUE(ReadPath("club.dorvel"));
    ASSERT_EQ(symlink("club.dorvel", "board.pdf"), 0);
    for (const char* file : {"club.dorvel", "board.pdf", "club.dorvel~", "lastdance.dorvels", "club.reset",
                             "new.dorvel", "notes.txt", ".", "old.pdf", "empty.pdf", "new.pdf"})
        EXPECT_EQ(PdfTargetProblem(file).empty(), strstr(file, ".pdf") && file[0] != 'b') << file;
}


TEST_F(ClubSafety, AMisspeltClubNameLeavesThePointerFileItsClub) {
    WriteFile("hilltop.dorvel", kClub);
    WriteFile("lastdance.dorvels", "hilltop.dorvel\n");
    Start({"smaple"});
    EXPECT_EQ(RosterCount(), 0);
    std::string notice = TakeClubFileNotice();
    EXPECT_TRUE(Contains(notice, "No club file <smaple> or <smaple.dorvel> was found")) << notice;
    EXPECT_TRUE(Contains(notice, "a new club \"smaple\" is started"));
    EXPECT_TRUE(TerminateEvening(1));
    EXPECT_FALSE(Exists("smaple.dorvel"));
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "hilltop.dorvel\n");
    // Once a dancer is entered, the new club is saved and becomes the club of the pointer.
    AddDancer("First", "Member", M);
    EXPECT_TRUE(TerminateEvening(1));
    EXPECT_TRUE(Contains(ReadFile("smaple.dorvel"), "First Member"));
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "smaple.dorvel\n");

    // The pointer file naming a file not at hand (a stick not plugged in) is kept too.
    ResetEvening();
    WriteFile("lastdance.dorvels", "stick/hilltop.dorvel\n");
    Start({});
    EXPECT_TRUE(Contains(TakeClubFileNotice(), "lastdance.dorvels names <stick/hilltop.dorvel>"));
    EXPECT_TRUE(TerminateEvening(1));
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "stick/hilltop.dorvel\n");
}

TEST_F(ClubSafety, AFileWithoutAClubNameIsWrittenBackToItself) {
    const std::string text = "caller=Pat\nAnn Ash f L 0 1 Basic\n";
    WriteFile("ours.dorvel", text);
    WriteFile("lastdance.dorvels", "ours.dorvel\n");
    Start({});
    ASSERT_EQ(RosterCount(), 1);
    AddDancer("Bo", "Bell", M);
    EXPECT_TRUE(TerminateEvening(1));
    EXPECT_FALSE(Exists("none.dorvel"));
    EXPECT_TRUE(Contains(ReadFile("ours.dorvel"), "Bo  Bell"));
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "ours.dorvel\n");
    // Without any club file the anonymous dancers of the command line are the evening's
    // roster: none.dorvel is its club file (written at the end as at every other), and the
    // same command line starts on it again, with its evening offered.
    ResetEvening();
    unlink("lastdance.dorvels");
    Start({"Plus", "3", "A2", "2"});
    sdhd->avail = 0;
    const std::string expected = ClubFileText(0);
    EXPECT_TRUE(TerminateEvening(1));
    EXPECT_EQ(ReadFile("none.dorvel"), expected);
    EXPECT_EQ(ReadFile("lastdance.dorvels"), "none.dorvel\n");
    ResetEvening();
    Start({"Plus", "3", "A2", "2"});
    EXPECT_EQ(outputfilename, "none.dorvel");
    EXPECT_NE(EveningPath(), "");
    EXPECT_TRUE(EveningFind(time(nullptr)).offered);
}

}  // namespace
