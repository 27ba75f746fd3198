// SPDX-License-Identifier: GPL-3.0-or-later
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
#include "files/replay.h"
#include "support/helmtext.h"
#include "support/intl.h"

static constexpr int RECORDQTY = 1000;
static FILE* rflagaside = nullptr;  // the record file while a replayed action runs
static std::string recordname;      // the record file's name, while recording

void Record(const char* fmt, ...) {
    if (!fmt || (!rflag && !Replaying())) return;
    va_list ap;
    va_start(ap, fmt);
    std::string line = vstrprintf(fmt, ap);
    va_end(ap);
    // Every call is one whole line: a text without its line end would glue the next action's
    // line to it, and neither could be replayed.
    if (line.empty() || line.back() != '\n') line += '\n';
    if (Replaying()) ReplayEcho(line);
    if (rflag) {
        fputs(line.c_str(), rflag);
        fflush(rflag);
    }
}

void CloseRecordFile() {
    for (FILE** fp : {&rflag, &rflagaside}) {
        if (*fp) fclose(*fp);
        *fp = nullptr;
    }
}

void RecordSuspend() {
    if (!rflag) return;
    rflagaside = rflag;
    rflag = nullptr;
}

void RecordResume() {
    if (!rflagaside) return;
    if (rflag)
        fclose(rflagaside);  // the replayed action started a record of its own
    else
        rflag = rflagaside;
    rflagaside = nullptr;
}

bool RecordingOn() { return rflag || rflagaside; }

std::string RecordFileName() { return rflag ? recordname : ""; }

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
        recordname = name;
        Record("seeds: %ld %ld %ld\n", (long)s1, (long)s2, (long)s3);
        DPRINTF(1, "(OpenRecordFile) recording to <%s>\n", name.c_str());
        rdbg("OpenRecordFile");
        return;
    }
    GtkWarning(_("can't record; %d dorvels.record### files already present!\n"), RECORDQTY);
    rdbg("OpenRecordFile");
}
