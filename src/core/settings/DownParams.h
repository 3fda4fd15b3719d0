#pragma once

#include <QtGlobal>

// Download parameters of one site kind, as stored in soft.dat (8 bytes, four little-endian
// 16-bit values in this order). A plain value: SettingsBlock hands out copies.
struct DownParams {
    quint16 minSizeK = 0;    // smallest picture kept, KiB
    quint16 maxSizeK = 0;    // largest picture kept, KiB; 0 = no limit
    quint16 threadCount = 0; // picture workers, 1 to 15
    quint16 timeoutSec = 0;  // read time-out in seconds, at least 10

    friend bool operator==(const DownParams &, const DownParams &) = default;
};
