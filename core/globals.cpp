// SPDX-License-Identifier: GPL-3.0-or-later
// The shared state of the club evening and its reset.
#include <cstdlib>

#include "core/dorvels.h"
#include "assign/assign.h"
#include "files/record.h"
#include "files/replay.h"
#include "files/clubfile.h"
#include "files/attendance.h"
#include "files/evening.h"
#include "registry/registry.h"
#include "support/helmtext.h"

SqrDancer *sdhd = nullptr, *sdtl = nullptr;
SqrDancer *dhd = nullptr, *dtl = nullptr;
VarHash* varhash = nullptr;
PS* ps = nullptr;
SqrDancer *currsd = nullptr, *newsd = nullptr, *sdtoggled = nullptr, *rfid_sd = nullptr;
SqrDancer** mapi2sd = nullptr;
int mapi2sdqty = 0;
int anoncnt = 0;
int anoncounts[6] = {};
std::string caller = "None", clubname = "None";
SDPGM pgmfloor = Basic;
int squaresize = 8;
int maxsquares = 0;
int askflag = 1;
int mixflag = 0;
DISPNAME dispnamestyle = LASTNAME;
int scrollerincrchg = 0;
uint64_t speccard[SPECCARDQTY] = {};
int Rflag = 0, Sflag = 0;
FILE* rflag = nullptr;
const char* const dfltsavefile = "dorvels.dorvel";
std::string inputfilename;
std::string outputfilename = dfltsavefile;
std::string os = "unix";
std::string resfile = "resolution.unix";
std::string dbgfile;
FILE* dbgfilefp = nullptr;
EDITMODE editmode = BEGIN;
int tipcnt = 0, prvtipcnt = 0, prehistory = 0;
History *hist = nullptr, *histhd = nullptr, *histtl = nullptr;
int totavail = 0, totsquare = 0, maxdances = 0;
Square* sqr = nullptr;
SquareTag sqrtag[SQRTAGQTY];
OutDancer *outdancerhd = nullptr, *outdancertl = nullptr;
SkipTip *skiptiphd = nullptr, *skiptiptl = nullptr;
MustOnce *mustoncehd = nullptr, *mustoncetl = nullptr;
int64_t s1 = 0, s2 = 0, s3 = 0;
int64_t initial_s1 = 0, initial_s2 = 0, initial_s3 = 0;
int Aflag = 0, Eflag = 0, Iflag = 0, Mflag = 0, NDflag = 0, zflag = 0, skiptipflag = 0;
int chgpgmflag = -1, chgsexflag = -1;
uint64_t rfid = 0;
SqrDancer* zflagpending = nullptr;
uint64_t zflagpendingrfid = 0;
SqrDancer statsd;
int cflag = 0, hintflag = 0;
int lflag = 1;
int reqW = 0, reqH = 0;
int hallview = 0, hallfontchg = 0;
int projector = 0;

void ResetEvening() {
    ResetAssign();
    ResetClubFiles();
    EveningReset();
    AttendanceReset();
    ClearDancers();
    if (varhash) {
        VarHashFree(varhash, 0);
        varhash = nullptr;
    }
    if (ps) {
        ps_free(ps, 0);
        ps = nullptr;
    }
    CloseRecordFile();
    ReplayStop();
    free(mapi2sd);
    mapi2sd = nullptr;
    mapi2sdqty = 0;
    currsd = newsd = sdtoggled = rfid_sd = nullptr;
    dhd = dtl = nullptr;
    anoncnt = 0;
    for (int& c : anoncounts) c = 0;
    ClubSettingsDefaults();
    maxsquares = 0;
    inputfilename.clear();
    outputfilename = dfltsavefile;
    os = "unix";
    resfile = "resolution.unix";
    dbgfile.clear();
    editmode = BEGIN;
    tipcnt = prvtipcnt = prehistory = 0;
    totavail = totsquare = maxdances = 0;
    for (auto& t : sqrtag) t = SquareTag{};
    s1 = s2 = s3 = 0;
    initial_s1 = initial_s2 = initial_s3 = 0;
    Aflag = Eflag = Iflag = Mflag = NDflag = zflag = skiptipflag = 0;
    chgpgmflag = chgsexflag = -1;
    rfid = 0;
    zflagpending = nullptr;
    zflagpendingrfid = 0;
    statsd = SqrDancer{};
    cflag = hintflag = 0;
    lflag = 1;
    reqW = reqH = 0;
    hallview = hallfontchg = 0;
    projector = 0;
}

void ClubSettingsDefaults() {
    caller = "None";
    clubname = "None";
    pgmfloor = Basic;
    squaresize = 8;
    askflag = 1;
    mixflag = 0;
    hallview = 0;
    dispnamestyle = LASTNAME;
    scrollerincrchg = 0;
    for (auto& c : speccard) c = 0;
    Rflag = Sflag = 0;
}
