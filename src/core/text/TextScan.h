#pragma once

// Page text scanning primitives: plain text search between fixed markers, the HTML entity
// replacement every decoded page goes through, and the cleaner that turns a title into a
// file or folder name.
//
// Contract shared by every function here:
// - Texts are UTF-16 (QString); positions count UTF-16 units from 0; "not found" is -1.
// - Searches are exact and case-sensitive, unit by unit: lone surrogates and NUL characters
//   are ordinary units, and no normalisation takes place.
// - An empty marker is found at once, at the position the search starts from.
// - Any text is accepted (empty, many megabytes, lone surrogates, NUL inside): no function
//   crashes, throws or loops without end.
// - Cost is linear in the text length. The in-place cuts (GetBetween with BETWEEN_ADVANCE,
//   SkipTo) drop the front of an unshared QString without copying the rest, so walking a page
//   with repeated calls is linear too. A text that shares its data with another QString is
//   copied once, on its first cut, and is unshared from then on.
// - Pure functions of their arguments (CleanName's time fallback aside): callable from any
//   thread, on texts that no other thread touches at the same time.

#include <QString>
#include <QStringList>

// Mode for GetBetween: the text loses everything up to and including the start marker found.
inline constexpr int BETWEEN_ADVANCE = 1;

// The text between the first `start` and the first `end` after it; empty when `start` or
// `end` is absent. With mode BETWEEN_ADVANCE and `start` found, `text` loses everything up to
// and including that `start` (whether or not `end` follows); any other mode leaves `text` as
// it is.
QString GetBetween(QString &text, const QString &start, const QString &end, int mode = 0);

// Position of the first `marker` in `text`, or -1. When found, `text` loses everything before
// the marker, and the marker itself too when `pastMarker` is true. When absent, nothing changes.
qsizetype SkipTo(QString &text, const QString &marker, bool pastMarker);

// Position of the first `marker` in `text`, or -1. When found, `text` keeps only what stands
// before it (an empty marker is found at 0 and so empties the text). When absent, nothing
// changes.
qsizetype KeepBefore(QString &text, const QString &marker);

// Number n of non-overlapping occurrences of `separator` in `text`, scanning from the front.
// `parts` is emptied; when n > 0 it receives the n + 1 pieces around the separators, empty
// pieces included. When n is 0, or `separator` is empty, `parts` stays empty and 0 is returned.
qsizetype Split(const QString &text, const QString &separator, QStringList &parts);

// Replaces, in this order and one pass each: "&quot;" -> '"', "&amp;" -> '&', "&lt;" -> '<',
// "&gt;" -> '>', "&nbsp;" -> ' ' (U+0020), "&hellip;" -> U+2026, "&#39;" -> '\''. No other
// entity is decoded. Because "&amp;" comes second, "&amp;lt;" ends as "<" while "&amp;quot;"
// ends as "&quot;".
void DecodeEntities(QString &text);

// Turns `text` into a name usable for a file or folder:
//  1. DecodeEntities;
//  2. every run of two or more spaces (U+0020) becomes one space;
//  3. white space is trimmed at both ends (IsNameWhiteSpace below);
//  4. a text of dots only becomes as many U+3002 (ideographic full stop);
//  5. CR, LF, '\', '/', ':', '*', '?', '"', '<', '>', '|' are deleted, a tab becomes '_',
//     U+0007 is deleted;
//  6. dots at the end, then dots at the start, are removed;
//  7. white space is trimmed at both ends again;
//  8. with `timeFallback`, a text that is now empty or 1,000 UTF-16 units long or longer
//     becomes the local date and time "%Y%m%d%H%M%S" (14 digits), or empty when the time
//     cannot be formatted.
void CleanName(QString &text, bool timeFallback);

// White space for CleanName's trims: the set that the C library's iswspace() reports in a
// Unicode locale (glibc, C.UTF-8), fixed here so that the result does not depend on the host
// locale: U+0009-U+000D, U+0020, U+1680, U+2000-U+2006, U+2008-U+200A, U+2028, U+2029, U+205F
// and U+3000. No-break spaces (U+00A0, U+2007, U+202F) are not white space.
bool IsNameWhiteSpace(char16_t unit);
