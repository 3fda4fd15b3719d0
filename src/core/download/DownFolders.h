#pragma once

// Folder preparation of the download run: the root folder with every missing level, and the
// time stamps of a folder. Called on the download thread.

#include <QString>
#include <QtGlobal>

class WindowPort;

// Creates every missing level of the folder `path`. `path` is normalised in place first:
// white space trimmed at both ends, made absolute against the current folder, "." pieces and
// doubled "/" dropped, ".." resolved, "/" at the end. Each level that is not a folder is
// created; when one cannot be (a regular file stands in its place, no permission, ...), a
// message box shows that level's path and the answer is false. True when `path` is a folder.
bool MakeFolderPath(QString &path, WindowPort &window);

// Sets the access and modification times of the folder `path` (whole seconds) when `unixTime`
// is above 0; does nothing when `path` is not a folder (a symbolic link is not followed).
void SetFolderTimes(const QString &path, qint64 unixTime);
