// Opening files by name with a default extension and a search list.
#include <fcntl.h>
#include <unistd.h>

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

// The folders searched for a file that is not given as a path: the working directory, the
// folders of $DORVELS (colon separated), the installed data folder, then the data folder of
// the source tree the program was built from (so a build tree runs without installing).
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
    dirs.push_back(std::string(dorvels_datadir()) + "/");
#ifdef DORVELS_SRCDATADIR
    dirs.push_back(std::string(DORVELS_SRCDATADIR) + "/");
#endif
    return dirs;
}

static FILE* OpenOne(const std::string& path, const char* mode) {
    FILE* fp = fopen(path.c_str(), mode);
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
