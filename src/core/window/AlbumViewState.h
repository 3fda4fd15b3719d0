#pragma once

#include <QString>

// How the main window shows the album list: list view or thumbnail view, the thumbnail
// geometry, and the filter applied while the grid is refilled. Fields of the main window's
// state; a run is handed a copy taken while no other thread changes it (runs and view
// switches exclude each other), so the struct itself has no lock.
struct AlbumViewState {
    // Albums whose names do not contain this text (exact, case-sensitive) get no row; empty
    // shows every album.
    QString filterText;
    // false: list view, one row per album; true: thumbnail view, one cell per album.
    bool thumbMode = false;
    int thumbsPerRow = 6;
    int thumbWidth = 113;  // pixels
    int thumbHeight = 120; // pixels
};
