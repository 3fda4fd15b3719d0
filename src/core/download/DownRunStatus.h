#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>

// What a download run tells its front end while it goes and after it ended: the picture counts,
// whether a picture manager has workers, and the folder of the album in hand (the window's
// "打开" button opens it while workers run).
//
// Owned by DownloadRun; written by the run thread and its picture manager, read by any thread.
class DownRunStatus {
public:
    std::atomic<int> picturesSaved{0};
    std::atomic<int> picturesFailed{0};
    // 1 while a picture manager has workers.
    std::atomic<std::uint8_t> workersActive{0};

    QString AlbumFolder() const
    {
        std::lock_guard lock(mutex_);
        return albumFolder_;
    }
    void SetAlbumFolder(const QString &folder)
    {
        QString copy(folder);
        std::lock_guard lock(mutex_);
        albumFolder_ = std::move(copy);
    }

private:
    mutable std::mutex mutex_;
    QString albumFolder_;
};
