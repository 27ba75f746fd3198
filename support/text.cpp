// SPDX-License-Identifier: GPL-3.0-or-later
// Text and line helpers.
#include <cctype>
#include <cstdarg>
#include <cstring>
#include <vector>

#include "support/helmtext.h"

static bool isblank_(char c) { return c == ' ' || c == '\t'; }

const char* stpblk(const char* s) {
    if (!s) return s;
    while (isblank_(*s)) ++s;
    return s;
}

char* srmtrblk(char* s) {
    if (!s) return s;
    size_t n = strlen(s);
    while (n > 0 && isspace(static_cast<unsigned char>(s[n - 1]))) --n;
    s[n] = '\0';
    return s;
}

std::string& srmtrblk(std::string& s) {
    size_t n = s.size();
    while (n > 0 && isspace(static_cast<unsigned char>(s[n - 1]))) --n;
    s.resize(n);
    return s;
}

const char* stpnxt(const char* s, const char* fmt) {
    if (!s || !fmt) return s;
    for (const char* f = fmt; *f; ++f) {
        if (*f != '%' || !f[1]) continue;
        ++f;
        switch (*f) {
        case 's':
            while (*s && !isspace(static_cast<unsigned char>(*s))) ++s;
            break;
        case 'c':
            if (*s) ++s;
            break;
        case 'd':
            if (*s == '-' || *s == '+') ++s;
            while (isdigit(static_cast<unsigned char>(*s))) ++s;
            break;
        case 'b':
            s = stpblk(s);
            break;
        default:
            break;
        }
    }
    return s;
}

const char* stptok(const char* s, char* tok, size_t size, const char* delims) {
    static const char* rest = nullptr;
    if (!s) s = rest;
    if (tok && size) tok[0] = '\0';
    if (!s) return nullptr;
    size_t len = strcspn(s, delims);
    if (tok && size) {
        size_t n = len < size - 1 ? len : size - 1;
        memcpy(tok, s, n);
        tok[n] = '\0';
    }
    rest = s[len] ? s + len + 1 : nullptr;
    return rest;
}

std::string vstrprintf(const char* fmt, va_list ap) {
    if (!fmt) return {};
    va_list copy;
    va_copy(copy, ap);
    char small[256];
    int n = vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, n);
    std::string out(static_cast<size_t>(n) + 1, '\0');
    vsnprintf(out.data(), out.size(), fmt, ap);
    out.resize(n);
    return out;
}

std::string strprintf(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string s = vstrprintf(fmt, ap);
    va_end(ap);
    return s;
}

bool autobuf_fgets(FILE* fp, std::string& line) {
    line.clear();
    if (!fp) return false;
    // getline grows its buffer to the longest line seen and reports the true length, so
    // lines of any length and NUL bytes inside a line are handled.
    static char* buf = nullptr;
    static size_t cap = 0;
    ssize_t n = getline(&buf, &cap, fp);
    if (n < 0) return false;
    line.assign(buf, static_cast<size_t>(n));
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // A NUL byte would silently cut the line for every C-string consumer: make it a blank.
    for (char& c : line)
        if (c == '\0') c = ' ';
    return true;
}

int isnumber(const char* s) {
    if (!s) return 0;
    if (*s == '-' || *s == '+') ++s;
    if (!*s) return 0;
    for (; *s; ++s)
        if (!isdigit(static_cast<unsigned char>(*s))) return 0;
    return 1;
}

int isany(int) { return 1; }

std::string sprt(const char* s) {
    if (!s) return "-null-";
    std::string out;
    for (; *s; ++s) out += cprt(static_cast<unsigned char>(*s));
    return out;
}

std::string cprt(int c) {
    if (c == '\n') return "\\n";
    if (c == '\t') return "\\t";
    if (c >= 32 && c < 127) return std::string(1, static_cast<char>(c));
    return strprintf("\\x%02x", c & 0xff);
}
