#pragma once

#include "model/AlbumList.h"
#include "net/CookieStore.h"
#include "settings/SettingsBlock.h"
#include "window/AlbumViewState.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>

// States of the list run (GleanerState::listState).
inline constexpr std::uint8_t LIST_IDLE = 0;
inline constexpr std::uint8_t LIST_RUNNING = 1;
inline constexpr std::uint8_t LIST_STOP = 2; // stop requested, the run has not ended yet

// States of the download run (GleanerState::downState).
inline constexpr std::uint8_t DOWN_IDLE = 0;
inline constexpr std::uint8_t DOWN_RUNNING = 1;
inline constexpr std::uint8_t DOWN_ALBUM_DONE = 2;
inline constexpr std::uint8_t DOWN_STOP = 3;

// Site kind of LOFTER, the one site this edition lists and downloads.
inline constexpr int SITE_KIND_LOFTER = 19;

// What the runs of the program share: the album list, the settings block, the cookie store,
// the view of the album grid, the folder pieces and blog id of the latest list run, the site
// kind, and the state bytes with which a front end starts and stops the runs.
//
// One object per program, owned by the front end (the main window, or the command line) for
// the program's whole life and passed by reference to every run; there is no global instance.
// It must outlive every run thread and every CUrlSource that uses `cookies`.
//
// Threads: any thread may use it.
// - The state bytes and `siteKind` are atomics: a front end writes stop requests, the runs
//   write their state changes and poll for stops.
// - The texts (blog folder, sub-folder, blog id) and the view state are guarded by one
//   internal mutex and handed out as copies, so a front end may read them while a run writes
//   them; a reader during a run sees either the old or the new value, never a torn one.
// - AlbumList, SettingsBlock and CookieStore carry their own locks.
// - The program folder is fixed at construction.
class GleanerState {
public:
    // `programFolder`: the folder of soft.dat (the working folder at start-up); a "/" is
    // appended when it lacks one. `cookieFile`: the file that keeps persistent cookies, or
    // empty to keep cookies in memory only. Nothing is read from soft.dat until
    // settings.LoadSettings().
    explicit GleanerState(const QString &programFolder, const QString &cookieFile = QString());
    GleanerState(const GleanerState &) = delete;
    GleanerState &operator=(const GleanerState &) = delete;

    // Ends with "/".
    QString ProgramFolder() const { return programFolder_; }

    // Folder piece of the current list: the cleaned blog title followed by "/", or empty. The
    // download run appends it to the save folder.
    QString BlogFolder() const;
    void SetBlogFolder(const QString &text);
    // Second folder piece, appended after the blog folder; emptied by every list run.
    QString SubFolder() const;
    void SetSubFolder(const QString &text);
    // The blog's numeric id as read from its archive page (text, as read).
    QString BlogId() const;
    void SetBlogId(const QString &text);

    // How the album grid shows the list (list or thumbnail view, filter text).
    AlbumViewState View() const;
    void SetView(const AlbumViewState &view);

    AlbumList albumList;
    SettingsBlock settings;
    CookieStore cookies;

    // Site kind of the current list; 0 until start-up or a list run sets it.
    std::atomic<int> siteKind{0};
    // LIST_IDLE, LIST_RUNNING or LIST_STOP.
    std::atomic<std::uint8_t> listState{LIST_IDLE};
    // DOWN_IDLE, DOWN_RUNNING, DOWN_ALBUM_DONE or DOWN_STOP.
    std::atomic<std::uint8_t> downState{DOWN_IDLE};
    // 1 while a stop of the download run is requested; the picture manager polls it.
    std::atomic<std::uint8_t> stopFlag{0};

private:
    // A copy of `field`, read under the lock.
    template <typename T> T Read(const T &field) const
    {
        std::lock_guard lock(mutex_);
        return field;
    }
    // `field` becomes `value`. The copy is made before the lock and moved in, because Qt's
    // out-of-line copy assignment is not instrumented and the thread sanitizer would report
    // a false race on it.
    template <typename T> void Write(T &field, const T &value)
    {
        T copy(value);
        std::lock_guard lock(mutex_);
        field = std::move(copy);
    }

    const QString programFolder_;
    mutable std::mutex mutex_; // guards the texts and view_
    QString blogFolder_;
    QString subFolder_;
    QString blogId_;
    AlbumViewState view_;
};
