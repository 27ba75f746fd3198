// SPDX-License-Identifier: GPL-3.0-or-later
// Opening files by name with a default extension and a search list.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/helmtext.h"

std::string fopenfilename;

const char* dorvels_datadir() {
#ifdef DORVELS_DATADIR
    return DORVELS_DATADIR;
#else
    return "/usr/local/share/dorvels";
#endif
}

// The data folder of an installed program, found from where the program is, so that an
// installation under any prefix finds its own data: "" when the program runs from its build
// tree (no such folder beside it).
std::string InstalledDataFolder() {
#ifdef DORVELS_BINTODATA
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string exe(buf, static_cast<size_t>(n));
    std::string dir = exe.substr(0, exe.rfind('/') + 1) + DORVELS_BINTODATA;
    if (char* real = realpath(dir.c_str(), nullptr)) {
        dir = real;
        free(real);
        return dir;
    }
#endif
    return {};
}

// The program's own data folders: the installed one, or, for a program run from its build
// tree (no data folder beside it), the configured one and the source tree's.
static std::vector<std::string> DataFolders() {
    std::string installed = InstalledDataFolder();
    if (!installed.empty()) return {installed + "/"};
    std::vector<std::string> dirs{std::string(dorvels_datadir()) + "/"};
#ifdef DORVELS_SRCDATADIR
    dirs.push_back(std::string(DORVELS_SRCDATADIR) + "/");
#endif
    return dirs;
}

std::string ProgramDataFolder() {
    std::string dir = DataFolders().front();
    return dir.substr(0, dir.size() - 1);
}

bool InDataFolder(const std::string& path) {
    for (const std::string& dir : DataFolders())
        if (path.compare(0, dir.size(), dir) == 0) return true;
    return false;
}

// The folders searched for a file that is not given as a path: the working directory, the
// folders of $DORVELS (colon separated), then the program's data folders.
static std::vector<std::string> SearchFolders() {
    std::vector<std::string> dirs{""};
    if (const char* env = getenv("DORVELS")) {
        std::string all = env;
        size_t pos = 0;
        while (pos <= all.size()) {
            size_t colon = all.find(':', pos);
            if (colon == std::string::npos) colon = all.size();
            std::string d = all.substr(pos, colon - pos);
            if (!d.empty()) dirs.push_back(d.back() == '/' ? d : d + "/");
            pos = colon + 1;
        }
    }
    for (const std::string& dir : DataFolders()) dirs.push_back(dir);
    return dirs;
}

FILE* OpenPlainFile(const std::string& path, const char* mode) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st;
    bool statted = fstat(fd, &st) == 0;
    if (!statted || !S_ISREG(st.st_mode)) {
        int saved = statted ? EINVAL : errno;
        close(fd);
        errno = saved;
        return nullptr;
    }
    // A plain file never blocks; reads go on as usual from here.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* fp = fdopen(fd, mode);
    if (!fp) {
        int saved = errno;
        close(fd);
        errno = saved;
    }
    return fp;
}

static FILE* OpenOne(const std::string& path, const char* mode) {
    bool reading = mode[0] == 'r' && !strchr(mode, '+');
    FILE* fp = reading ? OpenPlainFile(path, mode) : fopen(path.c_str(), mode);
    if (fp) fopenfilename = path;
    return fp;
}

FILE* fopenx(const std::string& name, const char* mode, const char* ext, const char* search) {
    if (name.empty() || !mode) return nullptr;
    std::vector<std::string> candidates;
    if (ext && ext[0] == '=') {
        candidates.push_back(name + (ext + 1));
    } else {
        candidates.push_back(name);
        if (ext && *ext) candidates.push_back(name + "." + ext);
    }
    bool searching = search && *search && name.find('/') == std::string::npos;
    std::vector<std::string> dirs = searching ? SearchFolders() : std::vector<std::string>{""};
    for (const std::string& dir : dirs)
        for (const std::string& c : candidates)
            if (FILE* fp = OpenOne(dir + c, mode)) return fp;
    return nullptr;
}

std::string fd2name(int fd) {
    char link[64];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char buf[4096];
    ssize_t n = readlink(link, buf, sizeof buf - 1);
    if (n < 0) return {};
    return std::string(buf, static_cast<size_t>(n));
}
