#pragma once

#include <QString>
#include <QStringList>

// The picture jobs of one album: three parallel arrays (entry i of each belongs to job i) and
// the folder the album's pictures go to.
//
// Owned by the download run, one per album (or reused album after album through StartAlbum);
// it is filled on the download thread before the album's picture workers start, only read
// while they run, and changed again (file fixes) only after they have all ended. It has no
// lock of its own.
//
// Paths use "/" as separator. `rootFolder` and `albumFolder` end in "/". A `fileNames` entry
// is one plain file name relative to `albumFolder`, or an absolute path that lies inside
// `rootFolder` (JobFilePath in download/SafeNames.h resolves and checks both forms).
struct ST_DOWNJOBLIST {
    QStringList urls;      // the picture address, or two addresses joined by CR LF
    QStringList fileNames; // the job's file name (see above)
    QStringList headers;   // extra request header lines; may be empty strings
    QString albumFolder;   // folder of the album being downloaded
    QString rootFolder;    // the run's root folder; absolute file names must lie inside it

    qsizetype Count() const { return urls.size(); }

    // Starts a new album: the three arrays are emptied and `albumFolder` becomes `rootFolder`.
    void StartAlbum()
    {
        urls.clear();
        fileNames.clear();
        headers.clear();
        albumFolder = rootFolder;
    }

    // Appends one job to the three arrays.
    void Append(const QString &url, const QString &fileName, const QString &headerLines)
    {
        urls.append(url);
        fileNames.append(fileName);
        headers.append(headerLines);
    }
};
