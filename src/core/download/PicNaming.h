#pragma once

// File and folder names of picture jobs: the naming modes, prefixes and suffixes, the nine
// escapes "?1" to "?9", the replacement pairs, the length limit, the extension and the
// numbering of names that repeat within an album.
//
// Every name produced here is safe to join to its folder (download/SafeNames.h): a folder name
// is one plain name plus "/", a file name is one plain name, or an absolute path inside the
// run's root folder; a name that cannot be made so is refused (empty result).
//
// Pure functions of their arguments apart from CleanName's time fallback; the download run
// calls them on its thread.

#include "download/DownJobList.h"
#include "download/NamingContext.h"

#include <QString>

// Longest path, in UTF-16 units, that an album folder and a job's file name make together
// before the extension is added: the stem is cut to FILE_PATH_LIMIT minus the length of the
// album folder.
inline constexpr int FILE_PATH_LIMIT = 250;

// The stem (no extension yet) of job number `n` + 1 of the album: the base chosen by the
// naming mode (the cleaned descriptive `name`, falling back to the album name; the text after
// the last "/" of `address`; or n + 1), framed by the file prefix and suffix, with the nine
// escapes replaced, the replacement pairs applied and the result cleaned (CleanName with the
// time fallback; NUL characters dropped first). Never empty.
QString MakePicFileName(const QString &address, const QString &name, const NamingContext &ctx,
                        qsizetype n);

// The album's folder name: folder prefix + (the album name in FOLDER_BY_ALBUM mode) + folder
// suffix, with "?1", "?3" and "?9" replaced, cleaned, and cut to NAME_MAX_BYTES bytes on disk;
// followed by "/". Empty when no folder is to be made (for example FOLDER_NONE with no prefix
// and suffix).
QString MakeAlbumFolderName(const NamingContext &ctx);

// Replaces, in `text`, `from` by `to`. When both hold the same number k of "|", piece i of
// `from` is replaced by piece i of `to`, for i = 0 .. k in order (later pairs see the result
// of earlier ones); otherwise the whole `from` is replaced by the whole `to`. An empty `from`
// (or piece of it) replaces nothing. Exact, case-sensitive.
void ReplacePairs(QString &text, const QString &from, const QString &to);

// True when the text from the last "." on, in lower case, is ".jpeg", ".jpg", ".bmp", ".gif",
// ".png" or ".tif".
bool HasPicExtension(const QString &text);

// Index of the first entry of `jobs.fileNames` of the same length as `fileName` and equal to it
// ignoring letter case; -1 when there is none.
qsizetype FindJobFileName(const ST_DOWNJOBLIST &jobs, const QString &fileName);

// The file name for a new job of `jobs`: the stem is `name` itself when `name` is an absolute
// path, otherwise MakePicFileName(address, name, ctx, jobs.Count()); then
// FinishJobFileName. Call it after the album's folder has been set in `jobs.albumFolder` (the
// length limit depends on it). Empty when the name is refused: the job is then not to be added.
QString MakeJobFileName(const QString &address, const QString &name, const NamingContext &ctx,
                        const ST_DOWNJOBLIST &jobs);

// From a stem to the job's file name:
//  1. the stem as given is the collision base;
//  2. the stem is cut to FILE_PATH_LIMIT - jobs.albumFolder.size() units (empty when that is 0
//     or less; never inside a surrogate pair);
//  3. the extension is the stem's own when HasPicExtension (case kept, taken off the stem),
//     else ".jpg";
//  4. while stem + extension equals an existing entry (FindJobFileName), the stem becomes
//     "%s(%u)" of the collision base and k = 1, 2, ...;
//  5. the last piece of the name is cut (before "(k)" and the extension) to fit NAME_MAX_BYTES.
// Refused (empty result): a relative stem that is not a plain name (empty, ".", "..", holding
// "/", "\" or NUL), and an absolute stem whose result is not inside `jobs.rootFolder`.
QString FinishJobFileName(const QString &stem, const ST_DOWNJOBLIST &jobs);
