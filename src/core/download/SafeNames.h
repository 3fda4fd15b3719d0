#pragma once

// The guarantees that keep every file the download writes inside its save folder.
//
// - A folder or file name made from user settings, album names or picture addresses is one
//   plain name: not empty, not "." or "..", no "/", no "\" (the separator of the other
//   platform, never produced by the name cleaning), no NUL, and at most NAME_MAX_BYTES bytes in
//   its on-disk form (UTF-8, QFile::encodeName), the file system's limit for one name.
// - An absolute job file name is accepted only inside the run's root folder, judged on the
//   text: no "." or ".." piece, and the cleaned path begins with the cleaned root followed by
//   at least one plain name. Symbolic links inside the root are not resolved.
//
// Pure functions of their arguments; callable from any thread.

#include "download/DownJobList.h"

#include <QString>

// Longest name of one file or folder, in bytes of its on-disk form.
inline constexpr int NAME_MAX_BYTES = 255;

// The platform's absolute-path test for file paths: on Linux, the path begins with "/". (Qt's
// resource paths ":/..." are not file paths here; a job name never names a resource.)
bool IsAbsoluteFilePath(const QString &path);

// Not empty, not "." or "..", and no "/", "\" or NUL. The length is not looked at.
bool IsPlainName(const QString &name);

// IsPlainName and at most NAME_MAX_BYTES bytes on disk.
bool IsSafeComponent(const QString &name);

// Bytes of `text` in its on-disk form.
qsizetype NameBytes(const QString &text);

// The first `units` UTF-16 units of `text`, one less when the cut would separate the two halves
// of a surrogate pair; empty when `units` is 0 or less.
QString CutUnits(const QString &text, qsizetype units);

// Cuts the end of the last "/"-separated piece of `text` (the whole text when it has no "/")
// until that piece plus `reserveBytes` fits NAME_MAX_BYTES, never inside a surrogate pair.
void FitNameBytes(QString &text, qsizetype reserveBytes);

// `folder` with every "." piece and doubled "/" dropped, made absolute against the current
// folder, ending in "/"; empty when `folder` is empty or holds a ".." piece.
QString CleanFolder(const QString &folder);

// True when `path` is absolute, holds no "." or ".." piece and no NUL, and names something
// strictly inside `folder` (CleanFolder) whose pieces below `folder` are safe components.
bool IsInsideFolder(const QString &path, const QString &folder);

// The path of job `index`'s file: `albumFolder` + the entry for a plain name, the entry itself
// for an absolute path inside `rootFolder`. Empty (the job is not to be touched) when the entry
// is neither, when `albumFolder` is empty or does not end in "/", or when `index` is out of
// range.
QString JobFilePath(const ST_DOWNJOBLIST &jobs, qsizetype index);

// "<albumFolder><albumName><extension>", the path of an album's name list or URL list; empty
// when `albumFolder` is empty or does not end in "/", or when the name with its extension is
// not a safe component (such a list is then not written).
QString AlbumRecordPath(const QString &albumFolder, const QString &albumName,
                        const QString &extension);
