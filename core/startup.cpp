// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the command line, the choice of the club file, the seeds; and the end.
#include "core/startup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/dorvels.h"
#include "files/attendance.h"
#include "files/clubfile.h"
#include "files/clubguard.h"
#include "files/evening.h"
#include "files/record.h"
#include "files/replay.h"
#include "files/season.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"
#include "support/rndm.h"

// A club named on the command line (or in the pointer file) was not found: a new club is
// started, and written only once something is entered into it.
static bool startednew = false;
// Anonymous dancers named on the command line, no club file read: an evening of its own,
// kept in the club file named after the club ("none.dorvel") like any other.
static bool anonymousevening = false;

// Opens a club file, makes it the file read and the file every write goes back to, reads and
// closes it. False when it could not be opened; errno tells why.
static bool ReadClubFile(const std::string& name, const char* ext, const char* search) {
    FILE* fp = fopenx(name, "r", ext, search);
    if (!fp) return false;
    inputfilename = fopenfilename;
    // A club found in the program's data folder (the sample club) is written back to the
    // working directory: never over the shipped copy, which a user may not write anyway.
    BindOutputFile(InDataFolder(fopenfilename) ? fopenfilename.substr(fopenfilename.rfind('/') + 1)
                                               : fopenfilename);
    ReadDorvels(fp);
    fclose(fp);
    return true;
}

// A window size ("1280x1024"): it chooses no club.
static bool IsWindowSize(const char* arg) {
    return isdigit(static_cast<unsigned char>(arg[0])) && strchr(arg, 'x') && !isnumber(arg);
}

// Takes a window size, or "maxsqr" with its "=N", at argv[i]; returns the number of arguments
// taken (0 when argv[i] is neither).
static int TakeLayoutArgument(int i, int argc, char** argv) {
    const char* arg = argv[i];
    if (strncmp(arg, "maxsqr", 6) == 0) {
        if (i + 1 < argc)
            if (const char* eq = strchr(argv[i + 1], '=')) {
                maxsquares = atoi(eq + 1);
                return 2;
            }
        return 1;
    }
    if (IsWindowSize(arg)) {
        sscanf(arg, "%dx%d", &reqW, &reqH);
        return 1;
    }
    return resfile == arg ? 1 : 0;
}

// Mixing asked for on the command line (1 on, 0 off, -1 not asked): it is applied after the
// club file is read, so that it wins over the club's setting.
static int mixoption = -1;
// A club argument that opened no file. A file that is there but could not be opened is
// kept from being written over; otherwise the names looked for are noted in *notfound.
static void NoClubFile(const std::string& arg, std::string* notfound) {
    std::string withext = arg + ".dorvel";
    bool hasext = arg.size() > 7 && arg.compare(arg.size() - 7, 7, ".dorvel") == 0;
    for (const std::string& name : {arg, withext}) {
        if (access(name.c_str(), F_OK) != 0) continue;
        int err = access(name.c_str(), R_OK) == 0 ? EIO : errno;
        GuardUnread(name, strerror(err));
        ClubFileNotice(_("<%s> was not read: %s.\nIt is not written over unless saved on purpose (w)."),
                       name.c_str(), strerror(err));
        return;
    }
    *notfound = hasext ? "<" + arg + ">" : strprintf(_("<%s> or <%s>"), arg.c_str(), withext.c_str());
}

// Removes the recognised options from the front of the argument vector.
static int ScanOptions(int argc, char** argv) {
    mixoption = -1;
    int i = 1;
    while (i < argc && argv[i][0] == '-') {
        char opt = argv[i][1];
        if (opt == 'l') {
            lflag = !lflag;
        } else if (opt == 'r') {
            OpenRecordFile();
        } else if (opt == 'm' || opt == 'M') {
            mixoption = opt == 'm';
        } else if (opt == 'd') {
            if (isalpha(static_cast<unsigned char>(argv[i][2]))) {
                dbgfile = argv[i] + 2;
            } else if (i + 1 < argc) {
                dbgfile = argv[++i];
            }
        } else {
            error(2, _("(main) -%s not supported\n"), argv[i] + 1);
        }
        ++i;
    }
    return i;
}

void StartupArguments(int argc, char** argv) {
    int first = ScanOptions(argc, argv);

    caller = "None";
    clubname = "None";
    pgmfloor = Basic;
    outputfilename = dfltsavefile;
    os = "unix";
    resfile = strprintf("resolution.%s", os.c_str());
    for (auto& t : sqrtag) t = SquareTag{};
    anoncnt = 0;
    for (int& c : anoncounts) c = 0;

    bool usedcmdline = false;
    bool anonymous = false;
    std::string notfound;  // a club argument that names no file
    startednew = false;
    // Arguments that only lay out the window (a size, maxsqr) choose no club: the pointer
    // file is consulted as with no argument at all.
    bool clubargs = false;
    for (int i = first; i < argc;) {
        int taken = TakeLayoutArgument(i, argc, argv);
        if (!taken) {
            clubargs = true;
            break;
        }
        i += taken;
    }
    if (!clubargs && lflag && access("lastdance.dorvels", F_OK) == 0) {
        if (FILE* fp = fopenx("lastdance", "r", "dorvels", "DORVELS")) {
            usedcmdline = true;
            std::string name;
            autobuf_fgets(fp, name);
            fclose(fp);
            srmtrblk(name);
            if (!ReadClubFile(name, "dorvel", "DORVELS") && !name.empty()) {
                // The club's file may be on a medium not at hand tonight: the empty club
                // that starts must not take the club's place in the pointer file.
                ClubFileNotice(_("lastdance.dorvels names <%s>, which could not be opened (%s):\nan "
                                 "empty club is started; lastdance.dorvels keeps naming <%s> until "
                                 "something is entered."),
                               name.c_str(), strerror(errno), name.c_str());
                startednew = true;
            }
        }
    } else {
        SDPGM pgm = Basic;
        int usedarg = 0;
        for (int i = first; i < argc; ++i) {
            const char* arg = argv[i];
            if (int taken = TakeLayoutArgument(i, argc, argv)) {
                i += taken - 1;
            } else if (arg[0] && !isnumber(arg)) {
                // A word names a level or a club; anything else names a club file too (a
                // path, a name in any letters: "Übung.dorvel"), so that no club is silently
                // passed over: one that is not there is said.
                SDPGM level = idpgm(arg);
                if (level != NOPGM) {
                    pgmfloor = pgm = level;
                    usedarg = 0;
                } else if (ReadClubFile(arg, "dorvel", "DORVELS")) {
                    usedcmdline = true;
                } else {
                    usedcmdline = false;
                    NoClubFile(arg, &notfound);
                    std::string name = arg;
                    size_t dot = name.rfind('.');
                    if (dot != std::string::npos) name.resize(dot);
                    clubname = name;
                    BuildOutputFilename();
                }
            } else if (isnumber(arg)) {
                int qty = atoi(arg);
                usedcmdline = true;
                anonymous = anonymous || qty > 0;
                switch (usedarg++) {
                case 0: AnonCouple(qty, pgm); break;
                case 1: AnonSingle(qty, 0, 0, 0, 0, pgm); break;
                case 2: AnonSingle(0, qty, 0, 0, 0, pgm); break;
                case 3: AnonSingle(0, 0, qty, 0, 0, pgm); break;
                case 4: AnonSingle(0, 0, 0, qty, 0, pgm); break;
                case 5: AnonSingle(0, 0, 0, 0, qty, pgm); break;
                default: break;
                }
            }
        }
    }

    if (!usedcmdline) {
        if (FILE* fp = fopen(dfltsavefile, "r")) {
            inputfilename = dfltsavefile;
            BindOutputFile(dfltsavefile);
            ReadDorvels(fp);
            fclose(fp);
        } else if (!outputfilename.empty()) {
            ReadClubFile(outputfilename, "dorvel", "DORVELS");
        }
    }

    if (!notfound.empty()) {
        if (inputfilename.empty()) {
            ClubFileNotice(_("No club file %s was found:\na new club \"%s\" is started. It is saved "
                             "once a dancer or a setting is entered."),
                           notfound.c_str(), clubname.c_str());
            startednew = true;
        } else {
            ClubFileNotice(_("No club file %s was found: <%s> was read instead."), notfound.c_str(),
                           inputfilename.c_str());
        }
    }
    if (mixoption >= 0) mixflag = mixoption;
    anonymousevening = anonymous && inputfilename.empty() && !startednew;
}

int TakeLongOption(int* argc, char** argv, const char* name, std::string* value, bool optional) {
    size_t len = strlen(name);
    for (int i = 1; i < *argc; ++i) {
        if (strncmp(argv[i], name, len) != 0 || (argv[i][len] != '\0' && argv[i][len] != '=')) continue;
        int taken = 1;
        if (argv[i][len] == '=') {
            *value = argv[i] + len + 1;
        } else if (!optional && i + 1 < *argc && argv[i + 1][0] != '-') {
            *value = argv[i + 1];
            taken = 2;
        } else {
            value->clear();
        }
        for (int j = i; j + taken <= *argc; ++j) argv[j] = argv[j + taken];
        *argc -= taken;
        return value->empty() && !optional ? -1 : 1;
    }
    return 0;
}

// The value an option would take after "=", written after a blank instead: a number, an
// address with its port, or (for a file name) any argument that is no option.
static bool LooksLikeValue(const char* arg, bool anyname) {
    if (!arg || arg[0] == '-') return false;
    if (anyname || isnumber(arg)) return true;
    const char* colon = strrchr(arg, ':');
    return colon && isnumber(colon + 1);
}

std::string CommandLineProblem(int argc, char** argv) {
    static const struct { const char* name; bool anyname; } eqoptions[] = {
        {"--serve", false}, {"--trace", false}, {"--tracefile", true}};
    for (int i = 1; i < argc; ++i)
        for (const auto& o : eqoptions)
            if (strcmp(argv[i], o.name) == 0 && i + 1 < argc && LooksLikeValue(argv[i + 1], o.anyname))
                return strprintf(_("\"%s %s\": a value is written after \"=\", as %s=%s (after a blank it "
                                   "would be read as a count of anonymous dancers or a club)"),
                                 argv[i], argv[i + 1], argv[i], argv[i + 1]);
    // The anonymous dancers the positional scan would make: couples count two.
    long long total = 0;
    int usedarg = 0;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (strncmp(arg, "--", 2) == 0) {
            if (strcmp(arg, "--print-pdf") == 0) ++i;  // its file
            continue;
        }
        if (options && arg[0] == '-') {
            if (arg[1] == 'd' && !isalpha(static_cast<unsigned char>(arg[2]))) ++i;
            continue;
        }
        options = false;
        if (strncmp(arg, "maxsqr", 6) == 0) {
            if (i + 1 < argc && strchr(argv[i + 1], '=')) ++i;
        } else if (idpgm(arg) != NOPGM) {
            usedarg = 0;
        } else if (isnumber(arg)) {
            // Capped far above the limit only so that the sum cannot overflow: the refusal
            // counts the dancers asked for (1024 couples are 2048 dancers).
            long long n = std::min(strtoll(arg, nullptr, 10), 1000000000000LL);
            if (n > 0 && usedarg < 6) total += usedarg == 0 ? 2 * n : n;
            ++usedarg;
        }
    }
    // The refusal names every dancer the whole command line asks for.
    if (total > MAXANONDANCERS)
        return strprintf(_("%lld anonymous dancers asked for on the command line: at most %d are "
                           "made (a window size is written WIDTHxHEIGHT, a port --serve=PORT)"),
                         total, MAXANONDANCERS);
    return "";
}

static bool EndsWith(const std::string& s, const char* end) {
    size_t n = strlen(end);
    return s.size() >= n && s.compare(s.size() - n, n, end) == 0;
}

static bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    return !a.empty() && !b.empty() && stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string PdfTargetProblem(const std::string& file) {
    std::string base = file.substr(file.rfind('/') == std::string::npos ? 0 : file.rfind('/') + 1);
    bool clubname = base == lastdancefile || EndsWith(base, ".dorvel") || EndsWith(base, ".dorvels") ||
                    EndsWith(base, ".reset") || EndsWith(base, "~");
    for (const std::string& club : {inputfilename, outputfilename})
        clubname = clubname || SameFile(file, club) || SameFile(file, club + "~");
    if (clubname)
        return strprintf(_("<%s> is a club file, its backup or the pointer file: a PDF is never written there"),
                         file.c_str());
    struct stat st;
    if (stat(file.c_str(), &st) != 0) return "";
    if (!S_ISREG(st.st_mode)) return strprintf(_("<%s> is no plain file: a PDF is not written there"), file.c_str());
    if (st.st_size == 0) return "";
    char head[5] = {};
    FILE* fp = fopen(file.c_str(), "rb");
    bool pdf = fp && fread(head, 1, sizeof head, fp) == sizeof head && memcmp(head, "%PDF-", 5) == 0;
    if (fp) fclose(fp);
    if (!pdf)
        return strprintf(_("<%s> exists and is no PDF: it is not written over (name a new file, or an old PDF)"),
                         file.c_str());
    return "";
}

void StartupFinish() {
    if (sdhd) SortByName();
    // A start that read no club file (an empty folder, a club not found, anonymous dancers
    // only) writes neither a club file nor the pointer file until something is entered.
    MarkClubUnchanged(startednew || (inputfilename.empty() && !anonymousevening));
    // The anonymous dancers are entered dancers: their club file is written now, which makes
    // it this run's own, so that the evening is kept beside it and offered when the same
    // command line starts again (a replay writes nothing).
    if (anonymousevening && dbgfile.empty()) {
        BindOutputFile(ClubFileName(clubname));
        WriteDorvels(0);
    }
    initial_s1 = initial_s2 = initial_s3 = 0;
    int64_t a = 0, b = 0, c = 0;
    init_rndm(&a, &b, &c);
    s1 = a;
    s2 = b;
    s3 = c;
    Record("seeds: s1=%ld s2=%ld s3=%ld\n", static_cast<long>(s1), static_cast<long>(s2), static_cast<long>(s3));
}

bool TerminateEvening(int data) {
    Record("(terminate)\n");
    bool ok = true;
    if (data == 1 || data == 2) ok = SaveWithChoice(data == 2 ? 1 : 0, true);
    // The season memory goes with the evening that was kept (after the tips taken back).
    if (ok && (data == 1 || data == 2)) SeasonSave();
    AttendanceSave();  // before the evening file, which keeps the evening's identity
    // The evening as it ended is offered at the next start (also after a quit without
    // writing: the club file then lacks tonight's changes, the evening file has them).
    EveningSave(true);
    CloseRecordFile();
    ReplayStop();  // a replay that ends the evening ends with it
    end_rndm();
    return ok;
}
