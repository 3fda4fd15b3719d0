#include "model/AlbumList.h"

#include "text/TextScan.h"

namespace {

// `name` cut to at most `limit` units, one less when the cut would split a surrogate pair.
QString CutName(const QString &name, qsizetype limit)
{
    if (name.size() <= limit)
        return name;
    qsizetype keep = limit;
    if (keep > 0 && name.at(keep - 1).isHighSurrogate() && name.at(keep).isLowSurrogate())
        --keep;
    return name.left(keep);
}

QString Numbered(const QString &base, quint32 counter)
{
    return base + QStringLiteral(" (") + QString::number(counter) + QLatin1Char(')');
}

} // namespace

int AlbumList::AddAlbum(const ST_PERLISTRECORD &tpl)
{
    ST_PERLISTRECORD record = tpl;
    record.thumbIndex = -1;
    QString name = tpl.name;
    // Cleaning needs no lock; the time fallback reads the clock, nothing of the list.
    CleanName(name, true);

    std::lock_guard lock(mutex_);
    record.listIndex = static_cast<qint32>(records_.size());
    QString candidate = name;
    for (quint32 counter = 1; nameUses_.contains(candidate); ++counter)
        candidate = Numbered(name, counter);
    record.name = candidate;
    ++nameUses_[candidate];
    records_.append(std::move(record));
    return static_cast<int>(records_.size());
}

void AlbumList::Clear()
{
    std::lock_guard lock(mutex_);
    records_.clear();
    nameUses_.clear();
}

int AlbumList::Count() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(records_.size());
}

ST_PERLISTRECORD AlbumList::At(int index) const
{
    std::lock_guard lock(mutex_);
    if (index < 0 || index >= records_.size()) {
        ST_PERLISTRECORD none;
        none.listIndex = -1;
        return none;
    }
    return records_.at(index);
}

void AlbumList::SetThumbIndex(int index, qint32 thumb)
{
    std::lock_guard lock(mutex_);
    if (index >= 0 && index < records_.size())
        records_[index].thumbIndex = thumb;
}

void AlbumList::ReleaseNameLocked(const QString &name)
{
    const auto it = nameUses_.find(name);
    if (it == nameUses_.end())
        return;
    if (--it.value() <= 0)
        nameUses_.erase(it);
}

int AlbumList::ShowAlbum(WindowPort &window, int index, const AlbumViewState &view)
{
    ST_PERLISTRECORD record;
    {
        std::lock_guard lock(mutex_);
        if (index < 0 || index >= records_.size())
            return -1;
        ST_PERLISTRECORD &stored = records_[index];
        if (stored.name.size() > ALBUM_NAME_SHOWN_MAX) {
            ReleaseNameLocked(stored.name);
            // Two albums must never share a name: they would share a folder and overwrite
            // each other's pictures. A cut that meets another album's name is numbered again.
            QString candidate = CutName(stored.name, ALBUM_NAME_SHOWN_MAX);
            for (quint32 counter = 1; nameUses_.contains(candidate); ++counter) {
                const QString suffix = Numbered(QString(), counter);
                candidate = CutName(stored.name, ALBUM_NAME_SHOWN_MAX - suffix.size()) + suffix;
            }
            stored.name = candidate;
            ++nameUses_[candidate];
        }
        record = stored;
    }

    if (view.thumbMode)
        return -1;
    if (!view.filterText.isEmpty() && !record.name.contains(view.filterText))
        return -1;

    GridOps &grid = window.Grid();
    const int row = grid.AppendRow();
    grid.SetCellText(row, 0, QString::asprintf("%04d", row));
    grid.SetCellData(row, 0, index);
    grid.SetCellText(row, 1, record.name);
    grid.SetCellText(row, 2, CountText(record.picCount));
    grid.SetCellText(row, 3, RemarkText(record.remarkFlags));
    return row;
}

QString CountText(qint32 picCount)
{
    if (picCount == -1)
        return QStringLiteral("未知");
    return QString::asprintf("%4u", static_cast<unsigned>(static_cast<quint32>(picCount)));
}

QString RemarkText(qint32 remarkFlags)
{
    if (remarkFlags < 0)
        return QString::asprintf(
            "%08u", static_cast<unsigned>(static_cast<quint32>(remarkFlags) & 0x7FFFFFFFu));
    if (remarkFlags & 0x1)
        return QStringLiteral("加密相册");
    if (remarkFlags & 0x2)
        return QStringLiteral("私密相册");
    if (remarkFlags & 0x4)
        return QStringLiteral("好友可见");
    return {};
}
