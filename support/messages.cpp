// SPDX-License-Identifier: GPL-3.0-or-later
// Error reports, the out-of-memory stop and tracing.
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/helmtext.h"
#include "support/intl.h"

std::string lasterror;

void error(int severity, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    lasterror = vstrprintf(fmt, ap);
    va_end(ap);
    static const char* const kinds[] = {N_("internal error"), N_("bad data"), N_("command line")};
    const char* kind = severity >= 0 && severity <= 2 ? _(kinds[severity]) : _("error");
    fprintf(stderr, "dorvels (%s): %s", kind, lasterror.c_str());
    if (lasterror.empty() || lasterror.back() != '\n') fputc('\n', stderr);
}

void outofmem(const void* p, const char* fmt, ...) {
    if (p) return;
    va_list ap;
    va_start(ap, fmt);
    std::string msg = vstrprintf(fmt, ap);
    va_end(ap);
    fprintf(stderr, _("dorvels: out of memory %s"), msg.c_str());
    if (msg.empty() || msg.back() != '\n') fputc('\n', stderr);
    exit(1);
}

// ---- tracing ---------------------------------------------------------------------------
static int dbglevel = 0;
static FILE* dbgout = nullptr;
static int dbgdepth = 0;
static std::vector<std::pair<const char*, int>> dbgpos;

static FILE* TraceFile() { return dbgout ? dbgout : stderr; }

void setdbglevel(int level) { dbglevel = level; }

int dbgtst(int level) { return dbglevel >= level && level > 0 ? 1 : 0; }

static void OpenTraceFile(const char* name) {
    if (!name || !*name) return;
    if (FILE* fp = fopen(name, "w")) {
        if (dbgout) fclose(dbgout);
        dbgout = fp;
        setvbuf(dbgout, nullptr, _IOLBF, 0);
    }
}

void initdbg(int* argc, char** argv) {
    if (const char* env = getenv("DORVELS_TRACE")) dbglevel = atoi(env);
    if (const char* env = getenv("DORVELS_TRACEFILE")) OpenTraceFile(env);
    if (!argc || !argv) return;
    int out = 1;
    for (int i = 1; i < *argc; ++i) {
        const char* a = argv[i];
        if (strncmp(a, "--trace=", 8) == 0) {
            dbglevel = atoi(a + 8);
        } else if (strncmp(a, "--tracefile=", 12) == 0) {
            OpenTraceFile(a + 12);
            if (dbglevel == 0) dbglevel = 1;
        } else {
            argv[out++] = argv[i];
        }
    }
    argv[out] = nullptr;
    *argc = out;
}

static void TraceLine(const char* prefix, const char* fmt, va_list ap) {
    std::string msg = vstrprintf(fmt, ap);
    fprintf(TraceFile(), "%*s%s%s", dbgdepth * 2, "", prefix, msg.c_str());
    if (msg.empty() || msg.back() != '\n') fputc('\n', TraceFile());
}

void edbg(const char* fmt, ...) {
    if (!dbgtst(1)) return;
    va_list ap;
    va_start(ap, fmt);
    TraceLine("", fmt, ap);
    va_end(ap);
    ++dbgdepth;
}

void rdbg(const char* fmt, ...) {
    if (!dbgtst(1)) return;
    if (dbgdepth > 0) --dbgdepth;
    va_list ap;
    va_start(ap, fmt);
    TraceLine("return ", fmt, ap);
    va_end(ap);
}

void dthrdexit(int) {
    if (dbgout) fflush(dbgout);
}

void dbgDFLpush(const char* file, int line) { dbgpos.emplace_back(file, line); }

void dbgDFLpop() {
    if (!dbgpos.empty()) dbgpos.pop_back();
}

void dprintf_linux(int level, const char* fmt, ...) {
    if (!dbgtst(level)) return;
    va_list ap;
    va_start(ap, fmt);
    std::string msg = vstrprintf(fmt, ap);
    va_end(ap);
    const char* file = dbgpos.empty() ? "?" : dbgpos.back().first;
    int line = dbgpos.empty() ? 0 : dbgpos.back().second;
    if (const char* slash = strrchr(file, '/')) file = slash + 1;
    fprintf(TraceFile(), "%*s%s [%s:%d]", dbgdepth * 2, "", msg.c_str(), file, line);
    if (msg.empty() || msg.back() != '\n') fputc('\n', TraceFile());
}
