#pragma once

#include "listing/ListEnd.h"
#include "model/GleanerState.h"
#include "window/WindowPort.h"

#include <QByteArray>
#include <QString>

// The LOFTER blog lister: reads a blog's archive page and asks the service's archive call for
// the blog's posts, 50 at a time, turning every post into an album of the state's album list
// that is shown in the window's grid at once.

// Posts asked for per archive call; an answer with fewer ends the listing.
inline constexpr int ARCHIVE_PAGE_POSTS = 50;
// Longest archive call body, in bytes. A blog id that would make it longer is not usable.
inline constexpr int ARCHIVE_BODY_MAX = 1022;

// The archive page of `blogAddress` (which ends with "/"): blogAddress + "view".
QString ArchivePageUrl(const QString &blogAddress);
// The archive call of `blogAddress`: blogAddress +
// "dwr/call/plaincall/ArchiveBean.getArchivePostByTime.dwr".
QString ArchiveCallUrl(const QString &blogAddress);
// Header lines of the archive call, separated by CR LF, none after the last.
QString ArchiveCallHeaders();
// The eleven-line body of the archive call for `blogId` and the time cursor `cursor`
// (milliseconds since 1970 as decimal text), both narrowed with ToGbk; lines end with CR LF
// except the last.
QByteArray ArchiveCallBody(const QString &blogId, const QString &cursor);
// The first time cursor: the current time in whole seconds since 1970 (UTC) followed by "000".
QString InitialTimeCursor();

// Reads the blog at `blogAddress` (normalised: trimmed, cut before "post/", ending with "/")
// into state.albumList, showing each album in `window`'s grid as it is added. Sets the
// state's blog folder (the cleaned blog title, without separator) once the archive page has
// been accepted, and its blog id. Shows message M3 or M4 when the page is not a blog's archive
// page or holds no blog id; other failures show nothing. Asks the archive call again with the
// time of the last post read until an answer holds fewer than ARCHIVE_PAGE_POSTS posts or the
// cursor stops decreasing; a permalink is listed once per call of this function. Honours
// LIST_STOP in state.listState after every album and before every archive call.
//
// Runs on the list thread (any thread but one that serves `window`'s calls). Blocks for as
// long as the requests take (each with the engine's 20-second time-outs).
ListEnd ListLofterBlog(const QString &blogAddress, GleanerState &state, WindowPort &window);

// Decodes every "\u" followed by four characters read as a hexadecimal number (as far as they
// are hexadecimal digits, after optional white space, a sign and "0x", as the C library's
// wcstol reads them) into the UTF-16 unit of that number. A "\u" followed by fewer than four
// characters is dropped and the characters kept. No other escape is decoded.
QString DecodeUnicodeEscapes(const QString &text);
