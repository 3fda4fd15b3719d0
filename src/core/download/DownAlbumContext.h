#pragma once

#include "download/DownJobList.h"
#include "download/DownRunOptions.h"
#include "download/NamingContext.h"

#include <QString>

class GleanerState;
class WindowPort;

// What the post extractor and AddPicJob work on for the album in hand: the application state
// (album list, settings, download state), the window, the album's own job list, the naming
// facts of the album and the marker read from the album's folder.
//
// Made by the download run for each album on its thread and used only there, while no
// picture worker of the album runs. The references must outlive it.
struct DownAlbumContext {
    GleanerState &state;
    WindowPort &window;
    ST_DOWNJOBLIST &jobs;
    const DownRunOptions &options;
    NamingContext naming;     // album record and run facts; naming settings copied per album
    QString rememberedMarker; // content of the album folder's pic.tql, read at its first job
};
