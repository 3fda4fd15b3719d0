#pragma once

// The LOFTER post picture extractor and the one way a picture job enters an album's job list.
//
// Both run on the download thread, while no picture worker of the album runs.

#include "download/DownAlbumContext.h"

#include <QString>

// Reads the post page of album `albumIndex` (one attempt; a stop of the run cuts it off; UTF-8
// unless the reply names GBK), keeps
// the content area (after "div class=\"content", before "class=\"nctitle", each only when
// present), and queues the address of the first "<img src=\"" up to its closing double quote
// (empty when it has none) as picture "图片<n>", n = the album's job count + 1. A page that
// cannot be read, is empty or holds no picture tag adds nothing.
void ParseLofterPost(DownAlbumContext &ctx, int albumIndex);

// Adds one picture job to the album's job list:
//  - at the album's first job, the album folder is appended to the job list's folder, created
//    (one level), given the current time, and its marker read;
//  - the file name follows the naming rules (MakeJobFileName); a refused name adds nothing;
//  - with "skip downloaded" on and `address` equal to the non-empty marker, the album is done
//    (DOWN_ALBUM_DONE, unless a stop is pending) and nothing is added; an album already done
//    takes no further job;
//  - otherwise the job is appended, the picture status line reads "已获取到%d张图片信息" and,
//    with "name list" on, `name` is added to the album's name list.
void AddPicJob(DownAlbumContext &ctx, const QString &address, const QString &name,
               const QString &headerLines, int albumIndex);
