#pragma once

#include "model/PerListRecord.h"
#include "window/AlbumViewState.h"
#include "window/WindowPort.h"

#include <QHash>
#include <QList>
#include <QString>

#include <atomic>
#include <mutex>

// Longest album name shown and downloaded, in UTF-16 units.
inline constexpr int ALBUM_NAME_SHOWN_MAX = 80;

// The albums of the latest list run, in list order. The position of a record is the album
// index that the grid stores in each album row and that the download run reads back. Names
// are distinct (exact comparison) whenever a record is added or its name is cut.
//
// Owned by the application state for the program's whole life; emptied when a list run starts.
// Thread-safe: one mutex guards the records, and At() returns copies. The list run adds and
// shows albums on its thread, the download run and the thumbnail view read on theirs, the GUI
// thread clears it. No grid or window call is made while the mutex is held.
class AlbumList {
public:
    AlbumList() = default;
    AlbumList(const AlbumList &) = delete;
    AlbumList &operator=(const AlbumList &) = delete;

    // Copies `tpl` to a new record at the end and answers the new count. The copy's name is
    // cleaned (CleanName with the time fallback) and made distinct: "abc", then "abc (1)",
    // "abc (2)", ... with the counter starting at 1 for every album. `tpl.listIndex` and
    // `tpl.thumbIndex` are ignored: the record gets its position and -1.
    int AddAlbum(const ST_PERLISTRECORD &tpl);
    // Removes every record. selectedCount is kept.
    void Clear();
    int Count() const;
    // A copy of the record at `index`; a default record (listIndex -1) when out of range.
    ST_PERLISTRECORD At(int index) const;
    // Records that the cover of album `index` is image `thumb` of the thumbnail list.
    void SetThumbIndex(int index, qint32 thumb);

    // Shows album `index` in the window's grid. First the record's name is cut to
    // ALBUM_NAME_SHOWN_MAX units (never between the two halves of a surrogate pair); should
    // the cut name equal another album's, it is made distinct again within the limit
    // ("<first 76 units> (1)", ...). In the list view, unless `view.filterText` is non-empty
    // and not contained in the name, a row is appended: column 0 the row number "%04d" with
    // the album index as its data value, column 1 the name, column 2 CountText, column 3
    // RemarkText, columns 4 and 5 empty. Answers the new row, or -1 when no row was added
    // (filtered out, thumbnail view, `index` out of range). In the thumbnail view only the
    // cut is made here; the thumbnail view places the album's cell itself.
    int ShowAlbum(WindowPort &window, int index, const AlbumViewState &view);

    // Number of albums the latest download run set out to download (file-name escape "?6").
    std::atomic<qint32> selectedCount{0};

private:
    // Takes `name`'s use count down by one (callers hold mutex_).
    void ReleaseNameLocked(const QString &name);

    mutable std::mutex mutex_;
    QList<ST_PERLISTRECORD> records_;
    QHash<QString, int> nameUses_; // name -> number of records holding it
};

// Text of the count column: "未知" for -1, otherwise the count as unsigned in four places.
QString CountText(qint32 picCount);
// Text of the remark column: a negative value as the number of its low 31 bits in at least
// eight digits; otherwise "加密相册", "私密相册" or "好友可见" for the lowest of bits 0, 1, 2
// that is set, or empty.
QString RemarkText(qint32 remarkFlags);
