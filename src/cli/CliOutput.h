#pragma once

#include <QString>

#include <cstdio>

// Writes `text` to `stream` as UTF-8, whatever the locale, followed by a line feed when
// `newline` is set, and flushes it. Callable from any thread; each call is one write.
void WriteUtf8(std::FILE *stream, const QString &text, bool newline = true);
