// SPDX-License-Identifier: GPL-3.0-or-later
// The working folder of a start from the desktop's menu: the program's folder under the
// user's data folder instead of the home folder.
#include "core/workfolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "core/dorvels.h"
#include "files/clubfile.h"
#include "support/intl.h"

static bool firststart = false;

std::string UserDataFolder(const char* home, const char* xdgdatahome) {
    // A relative XDG_DATA_HOME is to be ignored, as the base-directory rules say.
    if (xdgdatahome && xdgdatahome[0] == '/') return std::string(xdgdatahome) + "/dorvels";
    if (!home || home[0] != '/') return {};
    return std::string(home) + "/.local/share/dorvels";
}

static bool SameFolder(const char* a, const char* b) {
    struct stat sa, sb;
    return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Makes the folder and the folders above it that are missing, private to the user.
static bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

static bool HoldsClub(const std::string& dir) {
    for (const char* name : {dfltsavefile, lastdancefile})
        if (access((dir + "/" + name).c_str(), F_OK) == 0) return true;
    return false;
}

std::string ChooseWorkingFolder(int argc, char** argv) {
    firststart = false;
    // The options, as the start-up scans them: "-d" alone takes the next argument.
    int i = 1;
    while (i < argc && argv[i][0] == '-') {
        if (argv[i][1] == 'd' && !isalpha(static_cast<unsigned char>(argv[i][2]))) ++i;
        ++i;
    }
    const char* home = getenv("HOME");
    if (i < argc || !home || !SameFolder(".", home) || HoldsClub(home)) return {};
    std::string dir = UserDataFolder(home, getenv("XDG_DATA_HOME"));
    if (dir.empty()) return {};
    if (!MakeFolders(dir) || chdir(dir.c_str()) != 0) {
        ClubFileNotice(_("The folder <%s> for the club files could not be made (%s):\nthe club "
                       "file is kept in the home folder."),
                       dir.c_str(), strerror(errno));
        return {};
    }
    firststart = !HoldsClub(".");
    return dir;
}

bool FirstStart() { return firststart; }
void EndFirstStart() { firststart = false; }

void FirstStartFinish() {
    if (firststart && inputfilename.empty() && !sdhd) MarkClubUnchanged(true);
}
