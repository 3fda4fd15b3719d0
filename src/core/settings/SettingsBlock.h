#pragma once

#include "settings/DownParams.h"
#include "settings/NamingRecord.h"

#include <QString>
#include <QStringList>

#include <array>
#include <mutex>

// History kinds of SettingsBlock::AddHistory.
inline constexpr int HISTORY_ADDRESS = 0;   // the blog address box
inline constexpr int HISTORY_SAVE_PATH = 1; // the save folder box

// All of the program's settings: the in-memory image of the file soft.dat, a fixed block of
// 19,808 bytes holding, per site kind 0 to 23, the download parameters and the file-name
// settings, and the two histories of five entries (newest first).
//
// Byte layout (little-endian, no header; texts UTF-16LE, NUL-terminated inside their field):
//   0      24 × 8     DownParams: minSizeK, maxSizeK, threadCount, timeoutSec (u16 each)
//   192    24 × 484   NamingRecord: six 40-unit texts at 0, 80, 160, 240, 320, 400;
//                     optionBits (u16) at 480; fileNameMode (u8) at 482; folderNameMode at 483
//   11808  5 × 800    address history, 400 units per entry, entry 0 newest
//   15808  5 × 800    save-path history, likewise
// The image is kept byte for byte: bytes that no field reads (after a text's NUL) are saved as
// they were loaded. A text is read up to its NUL or the end of its field, never beyond.
//
// Owned by the application state (one per program); the file path is given to it. Thread-safe:
// an internal mutex guards the image, getters return copies, and saves are serialised so the
// file always holds the latest image. The GUI thread edits it; runs read from their threads.
class SettingsBlock {
public:
    static constexpr int BLOCK_SIZE = 19808;
    static constexpr int SITE_KINDS = 24;
    static constexpr int DOWN_PARAMS_OFFSET = 0;
    static constexpr int DOWN_PARAMS_SIZE = 8;
    static constexpr int NAMING_OFFSET = DOWN_PARAMS_OFFSET + SITE_KINDS * DOWN_PARAMS_SIZE;
    static constexpr int NAMING_SIZE = 484;
    static constexpr int NAMING_TEXT_UNITS = 40;
    static constexpr int NAMING_OPTION_BITS_AT = 480;
    static constexpr int NAMING_FILE_MODE_AT = 482;
    static constexpr int NAMING_FOLDER_MODE_AT = 483;
    static constexpr int HISTORY_ENTRIES = 5;
    static constexpr int HISTORY_ENTRY_UNITS = 400;
    static constexpr int HISTORY_ENTRY_SIZE = 2 * HISTORY_ENTRY_UNITS;
    static constexpr int ADDRESS_HISTORY_OFFSET = NAMING_OFFSET + SITE_KINDS * NAMING_SIZE;
    static constexpr int SAVE_PATH_HISTORY_OFFSET =
        ADDRESS_HISTORY_OFFSET + HISTORY_ENTRIES * HISTORY_ENTRY_SIZE;

    // What LoadSettings found.
    enum class LoadOutcome {
        FileRead,       // the file was read (a short one leaves the rest zero)
        FileMissing,    // no file: defaults, and the file is created
        FileUnreadable, // a file exists but cannot be read: defaults, and the file is left alone
    };

    // The settings file's name, and its path inside the program folder.
    static QString FileName() { return QStringLiteral("soft.dat"); }
    static QString PathInFolder(const QString &folder);

    // An all-zero block bound to `filePath`; nothing is read until LoadSettings.
    explicit SettingsBlock(QString filePath);
    SettingsBlock(const SettingsBlock &) = delete;
    SettingsBlock &operator=(const SettingsBlock &) = delete;

    QString FilePath() const { return filePath_; }

    // Zeros the block; reads up to BLOCK_SIZE bytes of the file; a threadCount outside 1 to 15
    // becomes 5 and a timeoutSec below 10 becomes 30 for every site kind; when there is no
    // file, sets the defaults (option "open the save folder" for every kind, and the few
    // per-kind ones); then rewrites the file whole, except when a file exists that could not
    // be read. The histories for the two boxes are then History(HISTORY_ADDRESS) and
    // History(HISTORY_SAVE_PATH).
    LoadOutcome LoadSettings();
    // Writes the whole block to the file atomically (a temporary file in the same folder,
    // then a rename). Answers false when it could not; the file is then as it was before.
    bool SaveSettings() const;

    // Per-site-kind records; a kind outside 0 to 23 reads as an all-zero record and is not
    // written.
    DownParams GetDownParams(int siteKind) const;
    void SetDownParams(int siteKind, const DownParams &params);
    NamingRecord GetNaming(int siteKind) const;
    void SetNaming(int siteKind, const NamingRecord &record);
    quint16 OptionBits(int siteKind) const;
    void SetOptionBits(int siteKind, quint16 bits);

    // Adds `text` as entry 0 of history `kind` (HISTORY_ADDRESS or HISTORY_SAVE_PATH),
    // moving entries 0 to 3 down and dropping entry 4. Refused (false) for an empty text, a
    // text of HISTORY_ENTRY_UNITS units or more, and a text equal to one of the five entries
    // ignoring case. Does not save.
    bool AddHistory(int kind, const QString &text);
    // Entry 0 to 4 of history `kind`, possibly empty.
    QString HistoryEntry(int kind, int entry) const;
    // The non-empty entries, newest first: what the history box is filled with.
    QStringList History(int kind) const;

    // A copy of the whole image.
    QByteArray Image() const;

private:
    using Image_t = std::array<unsigned char, BLOCK_SIZE>;

    static QString ReadText(const Image_t &image, int offset, int units);
    static void WriteText(Image_t &image, int offset, int units, const QString &text);
    static quint16 ReadU16(const Image_t &image, int offset);
    static void WriteU16(Image_t &image, int offset, quint16 value);
    static int HistoryOffset(int kind);
    void ApplyRangeRulesLocked();
    void ApplyDefaultsLocked();

    const QString filePath_;
    mutable std::mutex mutex_;     // guards image_
    mutable std::mutex saveMutex_; // serialises SaveSettings
    Image_t image_{};
};

static_assert(SettingsBlock::NAMING_OFFSET == 192);
static_assert(SettingsBlock::ADDRESS_HISTORY_OFFSET == 11808);
static_assert(SettingsBlock::SAVE_PATH_HISTORY_OFFSET == 15808);
static_assert(SettingsBlock::SAVE_PATH_HISTORY_OFFSET +
                  SettingsBlock::HISTORY_ENTRIES * SettingsBlock::HISTORY_ENTRY_SIZE ==
              SettingsBlock::BLOCK_SIZE);
static_assert(6 * 2 * SettingsBlock::NAMING_TEXT_UNITS == SettingsBlock::NAMING_OPTION_BITS_AT);
