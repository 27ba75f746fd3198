// SPDX-License-Identifier: GPL-3.0-or-later
// What a run knows about each club file it read or wrote, so that no write costs a club its
// roster: a file that could not be read is not written over unasked; a file another Dorvels
// holds (an advisory lock that the system drops when that process ends) is not written at
// all; a file changed by another program since it was read is kept beside the new one; and
// the first write of a run keeps the version before it as "name~".
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>

// How ReplaceFile writes: REPLACE_THROUGH_LINK writes a symbolic link's file (the club file
// itself may be a link the operator made); REPLACE_PRIVATE keeps the file from users other
// than the owner and the group (it holds the page's access key).
enum { REPLACE_THROUGH_LINK = 1, REPLACE_PRIVATE = 2 };
// Replaces the file `path` by `content` so that it holds either its old or its new content
// whatever happens: the content goes to a temporary file in the same folder, is synced, and
// is renamed over `path`. A symbolic link at `path` is replaced, not written through (one
// planted in a folder others may write must not lead the write elsewhere), unless `how` says
// REPLACE_THROUGH_LINK. The file takes the permissions of the club file in use (the one
// read or written last), else keeps its own; a new one, without a club file, those the
// umask gives. `ready`, when given, runs once the new content is safe in the temporary file,
// before it takes the file's place; false from it stops the replacement. With `lockfd`, the
// new file is locked and its open descriptor returned there. On failure errno tells why and
// `path` is untouched.
bool ReplaceFile(const std::string& path, const std::string& content,
                 const std::function<bool()>& ready = {}, int* lockfd = nullptr, int how = 0);

// Opens a file beside the club file to append to it (created when missing): never through a
// link, never a pipe or another special file (the write would wait on it), and a new file
// with the club file's permissions. Null with errno on failure.
FILE* AppendBeside(const std::string& path);

// Whether the file or folder `path` (of status st) may be written. One without any write
// permission is taken as the operator's wish that it is not written, even by the super-user.
bool Writable(const std::string& path, const struct stat& st);
// The part of name after its folder, if any; the folder of a path ("." when none).
size_t BaseStart(const std::string& name);
std::string DirOf(const std::string& path);
// A file name as the operator knows it: relative to the working directory when inside it.
std::string ShownName(const std::string& path);
// A companion file (season memory, attendance) that could not be used: one written by a newer
// Dorvels (why "newer") stays as it is; a damaged one is kept as FILE.damaged for a look. Says
// so with the matching message (newer: the file; aside: the file, why, the copy; stuck: the
// file, why, the error). Returns whether a new file may be begun in its place.
bool CompanionPutAside(const std::string& path, const std::string& why, const char* what, const char* newer,
                       const char* aside, const char* stuck);

// Records the club file just read through fp (nothing for a file without a name), as read,
// or as not read when `unread` gives the reason; takes its lock. Returns the file's path
// ("" when unnamed) and sets *inuse when another Dorvels holds the file.
std::string GuardRead(FILE* fp, const std::string& unread, bool* inuse);
// Whether this run read the file `name` as a club file or wrote it.
bool GuardKnown(const std::string& name);
// Whether the file `name` is this run's own club file: read or written here, and neither
// held by another Dorvels nor left unread.
bool GuardOurs(const std::string& name);
// Records a club file that exists but could not be opened.
void GuardUnread(const std::string& name, const std::string& reason);

// Takes this run's lock of the club file `path` before it is read in place of the roster
// (the setup dialog's choice). False when another Dorvels holds it; nothing is marked then,
// so that the file may be chosen again once that program has ended.
bool GuardLock(const std::string& path);
// Drops this run's lock of the club file `path`, or with others, the locks of every club
// file but `path` (another club file has become the club's).
void GuardUnlock(const std::string& path, bool others = false);
// What the operator is told of a club file that another Dorvels holds.
std::string InUseText(const std::string& name);

// Whether a write of the club file `target` may go ahead (GUARD_OK), or why not (*why
// says it for the operator). With explicitsave (the operator saves on purpose) a file that was
// not read may be written (its old content is then kept as "name~").
enum GuardCheck { GUARD_OK, GUARD_INUSE, GUARD_UNREAD };
GuardCheck GuardBeforeWrite(const std::string& target, bool explicitsave, std::string* why);
// Writes `content` to the club file `target` after GuardBeforeWrite allowed it, keeping the
// file as it was (as "name~" at the first write of a run, or as "name.changed-<time>~" when
// another program changed it since this run read or wrote it). False with errno and *why
// on failure; *note tells where a changed file was kept ("" otherwise).
bool GuardedWrite(const std::string& target, const std::string& content, std::string* why,
                  std::string* note);

// The copy of the club file `name` from before the evening is kept already (an evening
// resumed after a break): this run's first write does not make it again.
void GuardKeepBackup(const std::string& name);
// Whether this run has kept that copy (or was told it is kept).
bool GuardBackedUp(const std::string& name);
// Removes what an interrupted ReplaceFile of `path` left beside it (its temporary files).
void RemoveLeftovers(const std::string& path);

// Drops every lock and forgets every file (a fresh evening, tests).
void GuardReset();
