// The record file: every operator action appends one line, so that an evening can be
// replayed later.
#include "files/record.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>

#include "core/dorvels.h"
#include "core/screen.h"
#include "support/helmtext.h"

static constexpr int RECORDQTY = 1000;

void Record(const char* fmt, ...) {
    if (!rflag || !fmt) return;
    va_list ap;
    va_start(ap, fmt);
    vfprintf(rflag, fmt, ap);
    va_end(ap);
    fflush(rflag);
}

void CloseRecordFile() {
    if (rflag) {
        fclose(rflag);
        rflag = nullptr;
    }
}

void OpenRecordFile() {
    edbg("OpenRecordFile()");
    CloseRecordFile();
    for (int n = 0; n < RECORDQTY; ++n) {
        std::string name = strprintf("dorvels.record%03d", n);
        // O_EXCL: an existing record file is never overwritten, even if another program
        // makes the same name between the test and the creation.
        int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            DPRINTF(1, "(OpenRecordFile) unable to create <%s>\n", name.c_str());
            break;
        }
        FILE* fp = fdopen(fd, "w");
        if (!fp) {
            close(fd);
            unlink(name.c_str());
            break;
        }
        rflag = fp;
        Record("seeds: %ld %ld %ld\n", (long)s1, (long)s2, (long)s3);
        DPRINTF(1, "(OpenRecordFile) recording to <%s>\n", name.c_str());
        rdbg("OpenRecordFile");
        return;
    }
    GtkWarning("can't record; %d dorvels.record### files already present!\n", RECORDQTY);
    rdbg("OpenRecordFile");
}
