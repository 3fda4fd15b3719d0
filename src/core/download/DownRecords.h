#pragma once

// The small files the download leaves in an album folder besides the pictures:
// - the folder marker "pic.tql": the first picture address of the last completed download into
//   the folder, UTF-16LE, no byte-order mark, no line end (the file keeps its name on every
//   platform so that folders of earlier downloads keep working; Linux has no hidden attribute,
//   so none is set);
// - the name list "<album>.txt": UTF-16LE with the byte-order mark FF FE, one line
//   "<name>\r\n" per picture job, started afresh at the album's first job;
// - the URL list "<album>.lst": one line "<address>\r\n" per job in GBK, no byte-order mark.
//
// Every file is written whole (WriteFileWhole: temporary file in the same folder, then
// rename). The name list, which grows by one line per job, is read back and rewritten whole at
// every job. The writers fail silently towards the user: they answer false and the download
// goes on.
//
// Called on the download thread only, while no picture worker of the album runs (the name list
// while jobs are being added).

#include "download/DownJobList.h"

#include <QString>

// The marker's file name inside an album folder.
inline constexpr char FOLDER_MARKER_NAME[] = "pic.tql";

// Writes `firstUrl` as the whole content of `folder` + "pic.tql". `folder` must end in "/".
bool WriteFolderMarker(const QString &firstUrl, const QString &folder);

// The text of `folder` + "pic.tql" up to its first line feed (U+000A, not included), read as
// UTF-16LE units (an odd last byte is ignored); empty when the folder has no marker, the
// marker is not a regular file, or it cannot be read.
QString ReadFolderMarker(const QString &folder);

// Writes the URL list to `path` (AlbumRecordPath(albumFolder, albumName, ".lst")): for each
// entry of `jobs.urls` in order, ToGbk(entry) followed by CR LF. A job whose entry holds two
// addresses joined by CR LF therefore gives two lines. False when `path` is empty or the file
// cannot be written.
bool WriteUrlList(const QString &path, const ST_DOWNJOBLIST &jobs);

// Adds `name` + CR LF (UTF-16LE) to the name list at `path`
// (AlbumRecordPath(albumFolder, albumName, ".txt")). With `firstJob` the list is started
// afresh with the byte-order mark FF FE; otherwise the existing list is read and rewritten with
// the line added, and a list that cannot be read (missing, for example because the first line
// could not be written) is left alone. False when nothing was written.
bool AddNameListLine(const QString &path, const QString &name, bool firstJob);
