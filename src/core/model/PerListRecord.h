#pragma once

#include <QString>
#include <QtGlobal>

// One album (one post of a blog) of the album list. A lister fills one as a template and
// hands it to AlbumList::AddAlbum, which copies it; the list owns its copies. A plain value.
struct ST_PERLISTRECORD {
    QString name;           // cleaned post title; also the album's folder name
    QString postUrl;        // address of the post page the pictures are read from
    QString coverUrl;       // cover picture for the thumbnail view; empty when unknown
    QString extraText1;     // further album text, copied along
    QString extraText2;     // further album text, copied along
    qint32 picCount = -1;   // pictures in the album; -1 = not counted
    qint32 remarkFlags = 0; // bit 0 encrypted, bit 1 private, bit 2 friends only;
                            // negative: a number shown instead (RemarkText)
    qint32 extraNum1 = 0;   // printed by the file-name escape "?4"
    qint32 extraNum2 = 0;   // printed by the file-name escape "?5"
    qint32 listIndex = 0;   // position in the list when added; set by AddAlbum
    qint32 thumbIndex = -1; // cover's index in the thumbnail image list; -1 = none

    friend bool operator==(const ST_PERLISTRECORD &, const ST_PERLISTRECORD &) = default;
};
