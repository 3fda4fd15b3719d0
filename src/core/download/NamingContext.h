#pragma once

#include "model/PerListRecord.h"
#include "settings/NamingRecord.h"

#include <QString>
#include <QtGlobal>

// Everything the file and folder naming of one album reads: the current site kind's naming
// settings, the album record, and the three run facts the escapes "?6", "?7" and "?8" print.
// A plain value, filled by the download run for each album (copies, so a settings change
// during the album cannot tear a name); read on the download thread only.
struct NamingContext {
    NamingRecord naming;      // file-name settings of the current site kind
    ST_PERLISTRECORD album;   // name ("?1"), listIndex ("?3", "?9"), extraNum1/2 ("?4", "?5")
    qint32 selectedCount = 0; // albums selected for this run ("?6")
    qint32 albumCount = 0;    // albums in the list, selected or not ("?7")
    QString blogFolder;       // the list's blog folder piece, empty or ending in "/" ("?8")
};
