#pragma once

// Identifiers of the main window's controls. The runs address controls by these numbers
// through WindowPort; the GUI gives each widget the same number, so tests and the headless
// front end can name a control without knowing its widget.

inline constexpr int IDC_SAVE_PATH = 1000;      // save folder box (history combo)
inline constexpr int IDC_ADDRESS = 1001;        // blog address box (history combo)
inline constexpr int IDC_SITE = 1002;           // site combo
inline constexpr int IDC_GRID = 1003;           // album grid
inline constexpr int IDC_GET_LIST = 1004;       // "获取相册" / "终止获取"
inline constexpr int IDC_DOWNLOAD = 1005;       // "下载" / "终止下载"
inline constexpr int IDC_PIC_STATUS = 1006;     // picture-step status line
inline constexpr int IDC_SET_PATH = 1007;       // "设置": choose the save folder
inline constexpr int IDC_OPEN_PATH = 1008;      // "打开": open the save folder
inline constexpr int IDC_ALBUM_STATUS = 1009;   // album-step status line
inline constexpr int IDC_ALBUM_FRAME = 1011;    // group box "相册列表"
inline constexpr int IDC_SELECT_ALL = 1012;     // check box "全选"
inline constexpr int IDC_NOTICE = 1013;         // notice line
inline constexpr int IDC_THUMBNAILS = 1014;     // check box "预览图"
inline constexpr int IDC_UPDATE_LINK = 1030;    // "程序有更新"
inline constexpr int IDC_SERVICE_STATUS = 1031; // service status line
inline constexpr int IDC_MAKERS_LINK = 1032;    // makers' page link
inline constexpr int IDC_FIND_LINK = 1034;      // "查找"
inline constexpr int IDC_SUB_KIND = 1035;       // sub-kind combo
inline constexpr int IDC_FILTER_LINK = 1036;    // "筛选"
inline constexpr int IDC_EXPORT_LINK = 1037;    // "导出"
