#pragma once

#include <QByteArray>
#include <QString>

// Writes `bytes` as the whole new content of the file `path`: the bytes go to a new temporary
// file in the same folder (short fixed-length name, permissions 0666 less the umask), are
// synced to disk, and the temporary file is then renamed over `path`. Readers see the old
// content or the new one, never a part; a failure leaves `path` as it was and removes the
// temporary file. A symbolic link at `path` is replaced by the new file, never written through
// (unlike QSaveFile, which follows it). Answers false on any failure (for example a missing
// folder or a folder at `path`).
//
// Callable from any thread; two writers of the same path at once each write a whole file and
// the later rename wins.
bool WriteFileWhole(const QString &path, const QByteArray &bytes);

// The UTF-16LE bytes of `text` (two per code unit, low byte first), whatever the host's byte
// order.
QByteArray Utf16LeBytes(const QString &text);
