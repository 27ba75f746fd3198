// SPDX-License-Identifier: GPL-3.0-or-later
// Replaying a record file. Every line is "(Handler) text", written by the handler of one
// operator action, or a "seeds:" line; the screen's table of replay functions performs a
// line's action again (core/screen.h, ReplayLine).
#include "files/replay.h"

#include <cctype>
#include <cstdio>

#include "core/dorvels.h"
#include "core/screen.h"
#include "files/record.h"
#include "support/helmtext.h"
#include "support/intl.h"
#include "support/rndm.h"

namespace {
// No record line comes near this; a longer one is not a record line.
constexpr size_t LINEMAX = 8192;

enum LineKind { LINE_END, LINE_WHOLE, LINE_CUT, LINE_LONG };

bool replaying = false;
bool evening_ended = false;  // a replayed action ended the evening: the replay ends instead
std::string current;         // the line being replayed
bool currentechoed = false;  // the action has written it again already
bool haveahead = false;      // a line was read ahead (to match an echo or an answer)
std::string ahead;
LineKind aheadkind = LINE_END;

// Reads one line of any length, its line end removed: LINE_CUT when the file ends before the
// line end, LINE_LONG when the line is longer than LINEMAX (only its start is kept).
LineKind ReadRecordLine(FILE* fp, std::string& line) {
    line.clear();
    size_t length = 0;
    int c;
    while ((c = getc(fp)) != EOF && c != '\n') {
        if (++length <= LINEMAX) line += (char)c;
    }
    if (c == EOF && length == 0) return LINE_END;
    if (length > LINEMAX) return LINE_LONG;
    return c == EOF ? LINE_CUT : LINE_WHOLE;
}

LineKind NextLine(std::string& line) {
    if (haveahead) {
        haveahead = false;
        line = ahead;
        return aheadkind;
    }
    return dbgfilefp ? ReadRecordLine(dbgfilefp, line) : LINE_END;
}

// The next unread whole line, trailing white space stripped; null when there is none.
const std::string* PeekLine() {
    if (!haveahead) {
        if (!dbgfilefp) return nullptr;
        aheadkind = ReadRecordLine(dbgfilefp, ahead);
        srmtrblk(ahead);
        haveahead = true;
    }
    return aheadkind == LINE_WHOLE ? &ahead : nullptr;
}

// The replay has ended: at the end of the record, or where the evening replayed ended.
void EndOfRecording() {
    DPRINTF(1, "(DbgRecording) end of recording<%s>\n", dbgfile.c_str());
    GtkNote(_("end of recording<%s>"), dbgfile.c_str());
}

bool SeedsLine(const std::string& line, int Gmode) {
    long a = 0, b = 0, c = 0;
    if (sscanf(line.c_str() + 7, "s1=%ld s2=%ld s3=%ld", &a, &b, &c) != 3 || (a == 0 && b == 0 && c == 0))
        return false;
    int64_t x = a, y = b, z = c;
    init_rndm(&x, &y, &z);
    s1 = x;
    s2 = y;
    s3 = z;
    GtkTimeNote(2, _("%s: initialized seeds to %ld %ld %ld"), dbgfile.c_str(), a, b, c);
    return Gmode == 0;
}
}  // namespace

bool Replaying() { return replaying; }

bool SplitRecordLine(const std::string& line, std::string* handler, std::string* text) {
    if (line.size() < 3 || line[0] != '(') return false;
    size_t close = line.find(')');
    if (close == std::string::npos || close == 1) return false;
    for (size_t i = 1; i < close; ++i)
        if (!isalnum((unsigned char)line[i]) && line[i] != '_') return false;
    if (close + 1 < line.size() && line[close + 1] != ' ') return false;
    *handler = line.substr(1, close - 1);
    *text = stpblk(line.c_str() + close + 1);
    return true;
}

std::string ReplayKeys(const std::string& text, bool keybrdline) {
    if (keybrdline) {
        if (text.empty()) return "\r";
        if (text == "<esc>") return "\x1b";
        if (text == "-" || text == "+") return text;
        if (isalpha((unsigned char)text[0]) && text[0] != 'm' && (text.size() == 1 || text[1] == ' '))
            return text.substr(0, 1);
    }
    if (text.compare(0, 6, "event<") == 0) return "";
    std::string keys;
    for (char c : text) {
        if (!isalnum((unsigned char)c) || c == 'm') break;
        keys += c;
    }
    if (!text.empty() && isdigit((unsigned char)text[0])) keys += '\r';
    return keys;
}

void ReplayEcho(const std::string& written) {
    if (!replaying) return;
    std::string line = written;
    srmtrblk(line);
    if (!currentechoed && line == current) {
        currentechoed = true;
        return;
    }
    const std::string* next = PeekLine();
    if (next && *next == line) haveahead = false;
}

std::string ReplayAnswer(const char* handler) {
    if (!replaying) return "";
    const std::string* next = PeekLine();
    std::string name, text;
    if (!next || !SplitRecordLine(*next, &name, &text) || name != handler) return "";
    return text;
}

void ReplayStop() {
    if (dbgfilefp) fclose(dbgfilefp);
    dbgfilefp = nullptr;
    haveahead = false;
    ahead.clear();
}

void ReplayEndsEvening() {
    if (!replaying) return;
    ReplayStop();
    evening_ended = true;
}

void DbgRecording(int Gmode) {
    if (!dbgfilefp || replaying) return;
    replaying = true;
    RecordSuspend();
    for (;;) {
        EDITMODE mode = editmode;
        std::string line;
        LineKind kind = NextLine(line);
        if (kind == LINE_END) {
            ReplayStop();
            replaying = false;
            RecordResume();
            EndOfRecording();
            return;
        }
        srmtrblk(line);
        if (kind != LINE_WHOLE) {
            // A line cut off at the end of the file, or far too long for a record line: half an
            // action is never performed.
            GtkTimeNote(2, _("%s: %s line passed over: %.60s"), dbgfile.c_str(),
                        kind == LINE_CUT ? _("incomplete last") : _("overlong"), line.c_str());
            if (Gmode == 0) break;
            continue;
        }
        // The line is shown, unless the note would take the place of a dialog's pop-up.
        if (!KeyboardTaken()) GtkTimeNote(2, "%s: %s", dbgfile.c_str(), line.c_str());
        std::string handler, text;
        if (line.compare(0, 7, "seeds: ") == 0) {
            if (SeedsLine(line, Gmode)) break;
        } else if (SplitRecordLine(line, &handler, &text)) {
            current = line;
            currentechoed = false;
            ReplayLine(handler, text);
            current.clear();
        } else {
            GtkTimeNote(2, _("%s: not a record line, passed over: %.60s"), dbgfile.c_str(), line.c_str());
        }
        if (!dbgfilefp || (!KeyboardTaken() && (Gmode == 0 || editmode != mode))) break;
    }
    replaying = false;
    RecordResume();
    if (evening_ended) {
        evening_ended = false;
        EndOfRecording();
    }
}

std::string RecordField(const std::string& text, const char* key, bool* found) {
    if (found) *found = false;
    std::string open = std::string(key) + "<";
    size_t at = 0;
    // The field's name starts the text or follows a blank.
    while ((at = text.find(open, at)) != std::string::npos && at > 0 && text[at - 1] != ' ') ++at;
    if (at == std::string::npos) return "";
    size_t from = at + open.size();
    for (size_t end = text.find('>', from); end != std::string::npos; end = text.find('>', end + 1)) {
        if (end + 1 == text.size() || text[end + 1] == ' ') {
            if (found) *found = true;
            return text.substr(from, end - from);
        }
    }
    return "";
}

std::string RecordName(const SqrDancer* sd) {
    return sd->lastname.compare(0, 7, "Couple#") == 0 ? sd->firstname + " " + sd->lastname : sd->firstlast;
}

SqrDancer* RecordedDancer(const std::string& text) {
    bool found = false;
    std::string name = RecordField(text, "dancer", &found);
    if (!found) name = RecordField(text, "sd", &found);
    if (!found) return nullptr;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (RecordName(sd) == name) return sd;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->firstlast == name) return sd;
    SqrDancer* only = nullptr;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (sd->dispname != name) continue;
        if (only) return nullptr;  // shared by two: not told apart
        only = sd;
    }
    return only;
}

void ReplayKey(int Gmode) {
    if (replaying) return;  // a key typed by the replay itself
    char key = Gmode ? 'G' : 'g';
    if (dbgfile.empty()) {
        GtkWarning(_("\"%c\" command requested but null dbgfile!\n  (did you mean to type \"r\" instead?)"), key);
        return;
    }
    if (!dbgfilefp) {
        ReplayStop();
        dbgfilefp = fopen(dbgfile.c_str(), "r");
        if (!dbgfilefp) {
            GtkWarning(_("\"%c\" command requested but unable to open<%s>!\n"), key, dbgfile.c_str());
            return;
        }
    }
    DbgRecording(Gmode);
}
