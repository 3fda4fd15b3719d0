#pragma once

// Why a download run ended, as DownAlbumsFunc answers it to its front end. The run has already
// shown any message box that belongs to the ending; the command line turns it into its exit
// status.
enum class DownEnd {
    Completed,       // every selected album was visited; the run ended through "下载完毕"
    NoSavePath,      // the save-path box was empty; nothing was created
    FolderFailed,    // the root folder could not be made
    NoAlbumSelected, // nothing selected; the run ended through "下载完毕" after the message
    Stopped,         // a stop was requested and honoured; the run ended through "下载完毕"
};
