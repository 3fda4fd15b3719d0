#pragma once

// Why a list run ended, as GetListFunc answers it to its front end. The window shows no
// message of its own for these (the run has already shown any message box that belongs to
// the ending); the command line prints a reason for every ending but Completed and turns it
// into its exit status.
enum class ListEnd {
    Completed,             // every post the service gave was read (a blog without posts too)
    EmptyAddress,          // the address box was empty (message M1)
    NotWebAddress,         // the address holds neither "http://" nor "https://" (M2)
    ArchivePageNotFetched, // the archive page could not be fetched, or its text was empty
    NotArchivePage,        // the page's title does not begin with "归档 - " (M3)
    NoBlogId,              // no usable blog id after the title (M4)
    ArchiveCallFailed,     // an archive call failed, or its answer was empty
    Stopped,               // a stop was requested (LIST_STOP) and honoured
};
