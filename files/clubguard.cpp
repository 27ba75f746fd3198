// SPDX-License-Identifier: GPL-3.0-or-later
// The club files of a run: locks, files that were not read, changes made by others,
// backups, and the safe replacement of a file.
#include "files/clubguard.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "core/screen.h"
#include "support/helmtext.h"
#include "support/intl.h"

namespace {

struct Guard {
    std::string path;          // the file's real path
    bool known = false;        // the identity below is the file as last read or written here
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    int lockfd = -1;           // our advisory lock on the file; -1 = none
    bool inuse = false;        // another Dorvels held it: not written in this run
    std::string unread;        // why it could not be read ("" = read, or never tried)
    bool backedup = false;     // the version from before this run is safe (as "name~")
};
std::vector<Guard> guards;
std::string clubinuse;  // the club file read or written last: files beside it take its permissions

std::string RealPath(const std::string& name) {
    char* r = realpath(name.c_str(), nullptr);
    if (!r) return "";
    std::string s = r;
    free(r);
    return s;
}

// The real path of a file, or of its folder and its name when the file is not there (yet).
std::string Canonical(const std::string& name) {
    std::string real = RealPath(name);
    if (!real.empty()) return real;
    std::string dir = RealPath(DirOf(name));
    if (dir.empty()) return name;
    return (dir == "/" ? "" : dir) + "/" + name.substr(BaseStart(name));
}

Guard& GuardOf(const std::string& name) {
    std::string path = Canonical(name);
    for (Guard& g : guards)
        if (g.path == path) return g;
    guards.push_back(Guard{});
    guards.back().path = path;
    return guards.back();
}

void Remember(Guard& g, const struct stat& st) {
    g.known = true;
    g.dev = st.st_dev;
    g.ino = st.st_ino;
    g.size = st.st_size;
    g.mtime = st.st_mtim;
}

bool Same(const Guard& g, const struct stat& st) {
    return g.dev == st.st_dev && g.ino == st.st_ino && g.size == st.st_size &&
           g.mtime.tv_sec == st.st_mtim.tv_sec && g.mtime.tv_nsec == st.st_mtim.tv_nsec;
}

// Holds the advisory lock on the file now at g.path. False when another process holds it.
// A file that is not there, or cannot be locked (no permission, no locks on its file
// system), holds nobody else off: the write itself tells what goes wrong.
bool HoldLock(Guard& g) {
    for (int tries = 0; tries < 3; ++tries) {
        struct stat now;
        if (stat(g.path.c_str(), &now) != 0) return true;
        if (g.lockfd >= 0) {
            struct stat held;
            if (fstat(g.lockfd, &held) == 0 && held.st_dev == now.st_dev && held.st_ino == now.st_ino)
                return true;
            close(g.lockfd);  // the lock of a file replaced in the meantime
            g.lockfd = -1;
        }
        int fd = open(g.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return true;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            bool held = errno == EWOULDBLOCK;
            close(fd);
            return !held;
        }
        g.lockfd = fd;  // the next round checks that it is still the file at the path
    }
    return true;
}

bool WriteAll(int fd, const std::string& data) {
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= (size_t)n;
    }
    return true;
}

// Copies the file from to the file to (replacing it); false with errno on failure.
bool CopyFile(const std::string& from, const std::string& to) {
    FILE* fp = OpenPlainFile(from);
    if (!fp) return false;
    std::string data;
    char buf[65536];
    size_t got;
    while ((got = fread(buf, 1, sizeof buf, fp)) > 0) data.append(buf, got);
    bool ok = !ferror(fp);
    int saved = errno;
    fclose(fp);
    if (!ok) {
        errno = saved ? saved : EIO;
        return false;
    }
    return ReplaceFile(to, data);
}

}  // namespace

bool Writable(const std::string& path, const struct stat& st) {
    // A folder or file without any write permission is taken as the operator's wish that
    // it is not written, even by the super-user (whom the system would let through).
    if (access(path.c_str(), W_OK) != 0) return false;
    if (geteuid() == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        errno = EACCES;
        return false;
    }
    return true;
}

size_t BaseStart(const std::string& name) {
    size_t slash = name.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::string DirOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string ShownName(const std::string& path) {
    char cwd[4096];
    if (!path.empty() && path[0] == '/' && getcwd(cwd, sizeof cwd)) {
        std::string prefix = std::string(cwd) + "/";
        if (path.compare(0, prefix.size(), prefix) == 0) return path.substr(prefix.size());
    }
    return path;
}

bool CompanionPutAside(const std::string& path, const std::string& why, const char* what, const char* newer,
                       const char* aside, const char* stuck) {
    const std::string shown = ShownName(path);
    if (why == "newer") {
        GtkWarning(newer, shown.c_str());
        return false;
    }
    error(1, "(%s) %s: %s\n", what, path.c_str(), why.c_str());
    const std::string copy = path + ".damaged";
    if (rename(path.c_str(), copy.c_str()) == 0) {
        GtkWarning(aside, shown.c_str(), why.c_str(), ShownName(copy).c_str());
        return true;
    }
    GtkWarning(stuck, shown.c_str(), why.c_str(), strerror(errno));
    return false;
}

bool ReplaceFile(const std::string& path, const std::string& content,
                 const std::function<bool()>& ready, int* lockfd, int how) {
    std::string target = path;
    struct stat lst;
    bool link = lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode);
    if (link && (how & REPLACE_THROUGH_LINK)) {
        // Write through a symbolic link to the file it names, as writing in place would.
        std::string real = RealPath(path);
        if (!real.empty()) target = real;
        link = false;
    }
    std::string dir = DirOf(target);
    struct stat dst;
    if (stat(dir.c_str(), &dst) != 0) return false;
    if (!S_ISDIR(dst.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    if (!Writable(dir, dst)) return false;
    // A link that is not followed is replaced by the file, like a file that is not there; so
    // is a pipe or another special file put beside the club file (the new file takes its name,
    // nothing opens it). The club file itself must be a plain file.
    struct stat fst;
    bool exists = !link && lstat(target.c_str(), &fst) == 0;
    if (exists && (S_ISDIR(fst.st_mode) || ((how & REPLACE_THROUGH_LINK) && !S_ISREG(fst.st_mode)))) {
        errno = S_ISDIR(fst.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if (exists && !S_ISREG(fst.st_mode)) exists = false;
    if (exists && !Writable(target, fst)) return false;
    // A file beside the club file takes the club file's permissions and owner (a file another
    // user put there does not keep that user as its owner).
    mode_t mode;
    struct stat cst;
    bool keepowner = exists;
    uid_t owner = exists ? fst.st_uid : geteuid();
    gid_t group = exists ? fst.st_gid : getegid();
    if (!(how & REPLACE_THROUGH_LINK) && !clubinuse.empty() && clubinuse != Canonical(target) &&
        stat(clubinuse.c_str(), &cst) == 0) {
        mode = cst.st_mode & 0666;
        keepowner = true;
        owner = cst.st_uid;
        group = cst.st_gid;
    } else if (exists) {
        mode = fst.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    if (how & REPLACE_PRIVATE) mode &= ~(mode_t)S_IRWXO;

    std::string tmpl = dir + "/." + target.substr(BaseStart(target)) + ".XXXXXX";
    std::vector<char> tmpname(tmpl.begin(), tmpl.end());
    tmpname.push_back('\0');
    int fd = mkstemp(tmpname.data());
    if (fd < 0) return false;
    bool ok = WriteAll(fd, content) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    if (ok && keepowner && (owner != geteuid() || group != getegid())) {
        // Keep the owner of the file; only the super-user can, and failing is harmless.
        if (fchown(fd, owner, group) != 0) DPRINTF(1, "(ReplaceFile) owner kept\n");
    }
    // The new file is locked before it takes the old one's place, so that the file at the
    // path is never without its lock.
    if (ok && lockfd && flock(fd, LOCK_EX | LOCK_NB) != 0) DPRINTF(1, "(ReplaceFile) no lock\n");
    if (ok && ready) ok = ready();
    int saved = errno;
    if (!lockfd || !ok) {
        if (close(fd) != 0 && ok) {
            ok = false;
            saved = errno;
        }
        fd = -1;
    }
    if (ok && rename(tmpname.data(), target.c_str()) != 0) {
        ok = false;
        saved = errno;
    }
    if (!ok) {
        if (fd >= 0) close(fd);
        unlink(tmpname.data());
        errno = saved;
        return false;
    }
    if (lockfd) *lockfd = fd;
    int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}

FILE* AppendBeside(const std::string& path) {
    struct stat cst;
    bool club = !clubinuse.empty() && stat(clubinuse.c_str(), &cst) == 0;
    int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                  club ? cst.st_mode & 0666 : 0666);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = EINVAL;
        return nullptr;
    }
    fcntl(fd, F_SETFL, O_APPEND);
    FILE* fp = fdopen(fd, "a");
    if (!fp) close(fd);
    return fp;
}

std::string GuardRead(FILE* fp, const std::string& unread, bool* inuse) {
    *inuse = false;
    int fd = fp ? fileno(fp) : -1;
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink == 0) return "";
    std::string path = fd2name(fd);
    if (path.empty() || path[0] != '/') return "";
    Guard& g = GuardOf(path);
    g.unread = unread;
    if (unread.empty()) {
        clubinuse = g.path;
        Remember(g, st);
        if (g.inuse || !HoldLock(g)) g.inuse = *inuse = true;
    }
    return g.path;
}

bool GuardKnown(const std::string& name) {
    std::string path = Canonical(name);
    for (const Guard& g : guards)
        if (g.path == path) return g.known;
    return false;
}

bool GuardOurs(const std::string& name) {
    std::string path = Canonical(name);
    for (const Guard& g : guards)
        if (g.path == path) return g.known && !g.inuse && g.unread.empty();
    return false;
}

void GuardUnread(const std::string& name, const std::string& reason) { GuardOf(name).unread = reason; }

bool GuardLock(const std::string& path) {
    Guard& g = GuardOf(path);
    if (!HoldLock(g)) return false;
    g.inuse = false;  // held now: what is read from it may be written back
    return true;
}

void GuardUnlock(const std::string& path, bool others) {
    std::string canon = Canonical(path);
    for (Guard& g : guards)
        if ((g.path == canon) != others && g.lockfd >= 0) {
            close(g.lockfd);
            g.lockfd = -1;
        }
}

std::string InUseText(const std::string& name) {
    return strprintf(_("<%s> is in use by another Dorvels: this one does not write it"), name.c_str());
}

GuardCheck GuardBeforeWrite(const std::string& target, bool explicitsave, std::string* why) {
    Guard& g = GuardOf(target);
    if (g.inuse || !HoldLock(g)) {
        g.inuse = true;
        *why = InUseText(target);
        return GUARD_INUSE;
    }
    if (!g.unread.empty() && !explicitsave) {
        *why = strprintf(_("<%s> was not written: it could not be read at the start (%s); saving it on "
                           "purpose keeps the old file as <%s~>"),
                         target.c_str(), g.unread.c_str(), target.c_str());
        return GUARD_UNREAD;
    }
    return GUARD_OK;
}

bool GuardedWrite(const std::string& target, const std::string& content, std::string* why,
                  std::string* note) {
    note->clear();
    Guard& g = GuardOf(target);
    struct stat now;
    bool exists = stat(g.path.c_str(), &now) == 0 && S_ISREG(now.st_mode);
    bool changed = exists && g.known && !Same(g, now);
    // Where the file as it is now is kept before the new content takes its place.
    std::string keep;
    if (changed) {
        char stamp[32];
        time_t t = time(nullptr);
        strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", localtime(&t));
        keep = target + ".changed-" + stamp + "~";
    } else if (exists && !g.backedup) {
        keep = target + "~";
    }
    bool keptok = true;
    auto ready = [&] { return keep.empty() || (keptok = CopyFile(g.path, keep)); };
    int newlock = -1;
    if (!ReplaceFile(target, content, ready, &newlock, REPLACE_THROUGH_LINK)) {
        *why = keptok ? strprintf(_("unable to write <%s>: %s"), target.c_str(), strerror(errno))
                      : strprintf(_("unable to write <%s>: keeping its old content as <%s> failed: %s"),
                                  target.c_str(), keep.c_str(), strerror(errno));
        return false;
    }
    if (g.lockfd >= 0) close(g.lockfd);
    g.lockfd = newlock;
    struct stat st;
    if (newlock >= 0 && fstat(newlock, &st) == 0) Remember(g, st);
    g.backedup = true;
    g.unread.clear();
    clubinuse = g.path;
    if (changed)
        *note = strprintf(_("<%s> had been changed by another program since Dorvels read it: that "
                            "version is kept as <%s>"),
                          target.c_str(), keep.c_str());
    return true;
}

void GuardKeepBackup(const std::string& name) { GuardOf(name).backedup = true; }

bool GuardBackedUp(const std::string& name) {
    std::string path = Canonical(name);
    for (const Guard& g : guards)
        if (g.path == path) return g.backedup;
    return false;
}

void RemoveLeftovers(const std::string& path) {
    // ReplaceFile's temporary names: "." + the file's name + "." + six letters or digits.
    std::string dir = DirOf(path), prefix = "." + path.substr(BaseStart(path)) + ".";
    DIR* d = opendir(dir.c_str());
    if (!d) return;
    while (struct dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n.size() != prefix.size() + 6 || n.compare(0, prefix.size(), prefix) != 0) continue;
        bool tmp = true;
        for (size_t i = prefix.size(); i < n.size(); ++i) tmp = tmp && isalnum((unsigned char)n[i]);
        struct stat st;
        std::string full = dir + "/" + n;
        if (tmp && lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(full.c_str());
    }
    closedir(d);
}

void GuardReset() {
    for (Guard& g : guards)
        if (g.lockfd >= 0) close(g.lockfd);
    guards.clear();
    clubinuse.clear();
}
