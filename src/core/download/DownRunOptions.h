#pragma once

#include "settings/DownParams.h"

#include <QtGlobal>

#include <optional>

// Settings that one download run uses instead of the stored ones, never saved: the command
// line's overrides and the tests' short pauses. A plain value, handed to DownloadRun before
// Start and copied by the run thread at its start.
struct DownRunOptions {
    // Replaces the site kind's DownParams for this run (checked as the settings dialog would
    // by the front end that sets it).
    std::optional<DownParams> params;
    // Option bits forced on and forced off for this run; applied each time a bit is read.
    quint16 setBits = 0;
    quint16 clearBits = 0;
    // Pause after a failed picture attempt, and between pictures with one worker configured.
    unsigned retryWaitSeconds = 1;
    int singleWorkerPauseMs = 2000;

    quint16 Apply(quint16 stored) const { return quint16((stored | setBits) & ~clearBits); }
};
