#pragma once

// The two optional passes over an album's picture files after its workers have ended: the
// format fix gives each file the extension its first bytes call for, the order fix gives the
// files descending time stamps in job order (now, now - 60 s, now - 120 s, ...) so that a file
// browser sorting by date shows the album's order.
//
// Only files of the job list are touched, through JobFilePath (download/SafeNames.h): an entry
// that is not a plain name or an absolute path inside the root folder is skipped. Missing files
// (pictures that failed) are skipped silently. Renames never replace an existing file. Time
// stamps are the access and modification times (what Linux lets a program set).
//
// Called on the download thread after the album's picture manager has ended; workers of a
// stopped album may still be writing, and their files may then be missing or skipped.

#include "download/DownJobList.h"

#include <QByteArray>
#include <QString>

// The extension for a file whose first bytes are `head` (read as 7 bytes, zeros past its end):
// FF D8 ".jpg"; 89 50 ".png"; 47 49 46 ".gif"; 42 4D ".bmp"; 00 00 (02 or 10) 00 00 ".tga";
// 00 00 01 00 01 ".ico"; 00 00 02 00 01 ".cur"; 4D 4D or 49 49 ".tiff"; tested in this order.
// Empty when nothing matches.
QString ExtensionByMagic(const QByteArray &head);

// For each job in order: when FixExtByMagic renames its file, the entry is updated (a plain
// name becomes the new plain name, an absolute entry the new absolute path).
void FixPicFormats(ST_DOWNJOBLIST &jobs);

// Gives the regular file `path` the extension ExtensionByMagic reads from its first bytes. The
// old extension is the text from the last "." of the file's own name (none when the name has
// no "."; the new one is then appended). Nothing happens when the file is missing or not a
// regular file, cannot be read, its content matches no signature, it already has the right
// extension, or a file of the new name exists. True, with `path` updated, when the rename
// took place.
bool FixExtByMagic(QString &path);

// Sets the times of every job's file: the first gets the current time (whole seconds), each
// further one 60 s less.
void FixPicOrder(const ST_DOWNJOBLIST &jobs);

// Sets the access and modification times of the existing regular file `path` to `unixTime`
// (whole seconds) when `unixTime` is above 0. The file is opened for reading and writing
// without following a symbolic link; when that fails nothing happens. True when the file could
// be opened (and, for a time above 0, its times were set).
bool SetFileTimes(const QString &path, qint64 unixTime);

// Renames `from` to `to` unless something named `to` exists (atomically, with
// renameat2(RENAME_NOREPLACE), or with link() and unlink() where the file system lacks it).
bool RenameNoReplace(const QString &from, const QString &to);
