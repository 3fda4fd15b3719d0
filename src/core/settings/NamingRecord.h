#pragma once

#include <QString>
#include <QtGlobal>

// Option bits of NamingRecord::optionBits (the menu toggles).
inline constexpr quint16 OPT_FIX_FORMAT = 0x01;      // "修正图片格式"
inline constexpr quint16 OPT_FIX_ORDER = 0x02;       // "修正图片顺序"
inline constexpr quint16 OPT_NAME_LIST = 0x04;       // "生成图片原始名文件"
inline constexpr quint16 OPT_URL_LIST_ONLY = 0x08;   // "只生成迅雷下载列表"
inline constexpr quint16 OPT_OPEN_FOLDER = 0x10;     // "下载完成后打开保存路径"
inline constexpr quint16 OPT_SHOP_MAIN_ONLY = 0x20;  // "只下载淘宝宝贝主图"
inline constexpr quint16 OPT_SKIP_DOWNLOADED = 0x40; // "不下载以前下载过的图片"
inline constexpr quint16 OPT_LARGE_PICS = 0x80;      // "又拍相册下载大图…"
inline constexpr quint16 OPT_SHOP_DESC_ONLY = 0x100; // "只下载宝贝描述里的图片"

// fileNameMode values; any other value acts as NAME_BY_NUMBER.
inline constexpr quint8 NAME_BY_DESCRIPTION = 0;
inline constexpr quint8 NAME_BY_NUMBER = 1;
inline constexpr quint8 NAME_BY_ADDRESS = 2;

// folderNameMode values; any other value acts as FOLDER_NONE.
inline constexpr quint8 FOLDER_BY_ALBUM = 0;
inline constexpr quint8 FOLDER_NONE = 1;

// File-name settings and option toggles of one site kind, as stored in soft.dat (484 bytes:
// six text fields of 40 UTF-16 units, then the option bits and the two mode bytes). A plain
// value: SettingsBlock hands out copies. A text holds at most NAMING_TEXT_MAX units; a longer
// one is cut when it is stored. The mode bytes are kept as stored, in range or not.
struct NamingRecord {
    static constexpr int NAMING_TEXT_MAX = 39; // 40-unit field with its terminating NUL

    QString filePrefix;   // text before a picture's name
    QString fileSuffix;   // text after a picture's name
    QString replaceFrom;  // text to replace in a picture's name
    QString replaceTo;    // replacement text
    QString folderPrefix; // text before an album folder's name
    QString folderSuffix; // text after an album folder's name
    quint16 optionBits = 0;
    quint8 fileNameMode = NAME_BY_DESCRIPTION;
    quint8 folderNameMode = FOLDER_BY_ALBUM;

    friend bool operator==(const NamingRecord &, const NamingRecord &) = default;
};
