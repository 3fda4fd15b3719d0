#include "settings/SettingsBlock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr quint16 kDefaultThreadCount = 5;
constexpr quint16 kDefaultTimeoutSec = 30;

bool ValidKind(int siteKind)
{
    return siteKind >= 0 && siteKind < SettingsBlock::SITE_KINDS;
}

int DownParamsAt(int siteKind)
{
    return SettingsBlock::DOWN_PARAMS_OFFSET + siteKind * SettingsBlock::DOWN_PARAMS_SIZE;
}

int NamingAt(int siteKind)
{
    return SettingsBlock::NAMING_OFFSET + siteKind * SettingsBlock::NAMING_SIZE;
}

// Byte offset of text field `index` (0 filePrefix ... 5 folderSuffix) inside a naming record.
int NamingTextAt(int index)
{
    return index * 2 * SettingsBlock::NAMING_TEXT_UNITS;
}

} // namespace

QString SettingsBlock::PathInFolder(const QString &folder)
{
    return QDir(folder).filePath(FileName());
}

SettingsBlock::SettingsBlock(QString filePath) : filePath_(std::move(filePath)) {}

QString SettingsBlock::ReadText(const Image_t &image, int offset, int units)
{
    QString text;
    for (int i = 0; i < units; ++i) {
        const quint16 unit = ReadU16(image, offset + 2 * i);
        if (unit == 0)
            break;
        text.append(QChar(unit));
    }
    return text;
}

void SettingsBlock::WriteText(Image_t &image, int offset, int units, const QString &text)
{
    const int kept = static_cast<int>(std::min<qsizetype>(text.size(), units - 1));
    for (int i = 0; i < units; ++i)
        WriteU16(image, offset + 2 * i, i < kept ? text.at(i).unicode() : 0);
}

quint16 SettingsBlock::ReadU16(const Image_t &image, int offset)
{
    const auto at = static_cast<size_t>(offset);
    return static_cast<quint16>(image[at] | (image[at + 1] << 8));
}

void SettingsBlock::WriteU16(Image_t &image, int offset, quint16 value)
{
    const auto at = static_cast<size_t>(offset);
    image[at] = static_cast<unsigned char>(value & 0xFF);
    image[at + 1] = static_cast<unsigned char>(value >> 8);
}

int SettingsBlock::HistoryOffset(int kind)
{
    return kind == HISTORY_ADDRESS ? ADDRESS_HISTORY_OFFSET : SAVE_PATH_HISTORY_OFFSET;
}

void SettingsBlock::ApplyRangeRulesLocked()
{
    for (int kind = 0; kind < SITE_KINDS; ++kind) {
        const int at = DownParamsAt(kind);
        const quint16 threads = ReadU16(image_, at + 4);
        if (threads < 1 || threads > 15)
            WriteU16(image_, at + 4, kDefaultThreadCount);
        if (ReadU16(image_, at + 6) < 10)
            WriteU16(image_, at + 6, kDefaultTimeoutSec);
    }
}

void SettingsBlock::ApplyDefaultsLocked()
{
    for (int kind = 0; kind < SITE_KINDS; ++kind) {
        const int at = NamingAt(kind);
        quint16 bits = OPT_OPEN_FOLDER;
        if (kind == 7)
            bits |= OPT_LARGE_PICS | OPT_FIX_ORDER;
        if (kind == 11 || kind == 16)
            bits |= OPT_FIX_ORDER;
        WriteU16(image_, at + NAMING_OPTION_BITS_AT, bits);
        if (kind == 8)
            image_[static_cast<size_t>(at + NAMING_FILE_MODE_AT)] = NAME_BY_NUMBER;
        if (kind == 17)
            WriteText(image_, at + NamingTextAt(0), NAMING_TEXT_UNITS, QStringLiteral("?2) "));
    }
}

SettingsBlock::LoadOutcome SettingsBlock::LoadSettings()
{
    LoadOutcome outcome = LoadOutcome::FileMissing;
    {
        std::lock_guard lock(mutex_);
        image_.fill(0);
        QFile file(filePath_);
        if (file.open(QIODevice::ReadOnly)) {
            outcome = LoadOutcome::FileRead;
            qint64 total = 0;
            while (total < BLOCK_SIZE) {
                const qint64 got =
                    file.read(reinterpret_cast<char *>(image_.data()) + total, BLOCK_SIZE - total);
                if (got < 0) {
                    outcome = LoadOutcome::FileUnreadable;
                    break;
                }
                if (got == 0)
                    break;
                total += got;
            }
        } else if (QFileInfo(filePath_).exists()) {
            outcome = LoadOutcome::FileUnreadable;
        }
        if (outcome == LoadOutcome::FileUnreadable)
            image_.fill(0);
        ApplyRangeRulesLocked();
        if (outcome != LoadOutcome::FileRead)
            ApplyDefaultsLocked();
    }
    // A file that exists but cannot be read may still hold the user's settings: keep it.
    if (outcome != LoadOutcome::FileUnreadable)
        SaveSettings();
    return outcome;
}

bool SettingsBlock::SaveSettings() const
{
    std::lock_guard saveLock(saveMutex_);
    const QByteArray bytes = Image();
    QSaveFile file(filePath_);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

DownParams SettingsBlock::GetDownParams(int siteKind) const
{
    if (!ValidKind(siteKind))
        return {};
    std::lock_guard lock(mutex_);
    const int at = DownParamsAt(siteKind);
    DownParams params;
    params.minSizeK = ReadU16(image_, at);
    params.maxSizeK = ReadU16(image_, at + 2);
    params.threadCount = ReadU16(image_, at + 4);
    params.timeoutSec = ReadU16(image_, at + 6);
    return params;
}

void SettingsBlock::SetDownParams(int siteKind, const DownParams &params)
{
    if (!ValidKind(siteKind))
        return;
    std::lock_guard lock(mutex_);
    const int at = DownParamsAt(siteKind);
    WriteU16(image_, at, params.minSizeK);
    WriteU16(image_, at + 2, params.maxSizeK);
    WriteU16(image_, at + 4, params.threadCount);
    WriteU16(image_, at + 6, params.timeoutSec);
}

NamingRecord SettingsBlock::GetNaming(int siteKind) const
{
    if (!ValidKind(siteKind))
        return {};
    std::lock_guard lock(mutex_);
    const int at = NamingAt(siteKind);
    NamingRecord record;
    QString *const texts[] = {&record.filePrefix, &record.fileSuffix,   &record.replaceFrom,
                              &record.replaceTo,  &record.folderPrefix, &record.folderSuffix};
    for (int i = 0; i < 6; ++i)
        *texts[i] = ReadText(image_, at + NamingTextAt(i), NAMING_TEXT_UNITS);
    record.optionBits = ReadU16(image_, at + NAMING_OPTION_BITS_AT);
    record.fileNameMode = image_[static_cast<size_t>(at + NAMING_FILE_MODE_AT)];
    record.folderNameMode = image_[static_cast<size_t>(at + NAMING_FOLDER_MODE_AT)];
    return record;
}

void SettingsBlock::SetNaming(int siteKind, const NamingRecord &record)
{
    if (!ValidKind(siteKind))
        return;
    std::lock_guard lock(mutex_);
    const int at = NamingAt(siteKind);
    const QString *const texts[] = {&record.filePrefix, &record.fileSuffix,   &record.replaceFrom,
                                    &record.replaceTo,  &record.folderPrefix, &record.folderSuffix};
    for (int i = 0; i < 6; ++i)
        WriteText(image_, at + NamingTextAt(i), NAMING_TEXT_UNITS, *texts[i]);
    WriteU16(image_, at + NAMING_OPTION_BITS_AT, record.optionBits);
    image_[static_cast<size_t>(at + NAMING_FILE_MODE_AT)] = record.fileNameMode;
    image_[static_cast<size_t>(at + NAMING_FOLDER_MODE_AT)] = record.folderNameMode;
}

quint16 SettingsBlock::OptionBits(int siteKind) const
{
    if (!ValidKind(siteKind))
        return 0;
    std::lock_guard lock(mutex_);
    return ReadU16(image_, NamingAt(siteKind) + NAMING_OPTION_BITS_AT);
}

void SettingsBlock::SetOptionBits(int siteKind, quint16 bits)
{
    if (!ValidKind(siteKind))
        return;
    std::lock_guard lock(mutex_);
    WriteU16(image_, NamingAt(siteKind) + NAMING_OPTION_BITS_AT, bits);
}

bool SettingsBlock::AddHistory(int kind, const QString &text)
{
    if (kind != HISTORY_ADDRESS && kind != HISTORY_SAVE_PATH)
        return false;
    if (text.isEmpty() || text.size() >= HISTORY_ENTRY_UNITS)
        return false;
    std::lock_guard lock(mutex_);
    const int base = HistoryOffset(kind);
    for (int i = 0; i < HISTORY_ENTRIES; ++i) {
        const QString entry = ReadText(image_, base + i * HISTORY_ENTRY_SIZE, HISTORY_ENTRY_UNITS);
        if (entry.compare(text, Qt::CaseInsensitive) == 0)
            return false;
    }
    unsigned char *const first = image_.data() + base;
    std::memmove(first + HISTORY_ENTRY_SIZE, first, (HISTORY_ENTRIES - 1) * HISTORY_ENTRY_SIZE);
    WriteText(image_, base, HISTORY_ENTRY_UNITS, text);
    return true;
}

QString SettingsBlock::HistoryEntry(int kind, int entry) const
{
    if ((kind != HISTORY_ADDRESS && kind != HISTORY_SAVE_PATH) || entry < 0 ||
        entry >= HISTORY_ENTRIES)
        return {};
    std::lock_guard lock(mutex_);
    return ReadText(image_, HistoryOffset(kind) + entry * HISTORY_ENTRY_SIZE, HISTORY_ENTRY_UNITS);
}

QStringList SettingsBlock::History(int kind) const
{
    QStringList texts;
    if (kind != HISTORY_ADDRESS && kind != HISTORY_SAVE_PATH)
        return texts;
    std::lock_guard lock(mutex_);
    for (int i = 0; i < HISTORY_ENTRIES; ++i) {
        QString entry =
            ReadText(image_, HistoryOffset(kind) + i * HISTORY_ENTRY_SIZE, HISTORY_ENTRY_UNITS);
        if (!entry.isEmpty())
            texts.append(std::move(entry));
    }
    return texts;
}

QByteArray SettingsBlock::Image() const
{
    std::lock_guard lock(mutex_);
    return QByteArray(reinterpret_cast<const char *>(image_.data()), BLOCK_SIZE);
}
