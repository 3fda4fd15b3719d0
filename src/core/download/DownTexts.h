#pragma once

// The fixed texts of the download run: button and status-line texts, the progress formats and
// the message boxes. Shared by the run, the front ends and the tests.

inline constexpr char16_t kDownloadText[] = u"下载";
inline constexpr char16_t kStopDownloadText[] = u"终止下载";
inline constexpr char16_t kDownloadDoneText[] = u"下载完毕";
inline constexpr char16_t kAlbumStartText[] = u"......";
inline constexpr char16_t kPicturesStartedText[] = u"已开始下载图片";
// printf-style formats.
inline constexpr char kAlbumProgressFormat[] = "正在下载第%d/%d个图集"; // album i of n
inline constexpr char kJobsFoundFormat[] = "已获取到%d张图片信息";      // jobs of the album
inline constexpr char kPicturesProgressFormat[] = "已下载%d/%d......";  // finished of n

// The save-path box is empty.
inline constexpr char16_t kMsgNoSavePath[] = u"请先设置保存路径";
// The root folder could not be made (shown after the box naming the failing level).
inline constexpr char16_t kMsgBadSavePath[] = u"请检测设置的保存路径是否有误";
// No album is selected in the grid.
inline constexpr char16_t kMsgNoAlbumSelected[] = u"请先选择要下载的图集";
// The current site kind has no extractor and is out of range.
inline constexpr char kMsgBadListType[] = "Error ListType Code.";
// The picture manager's thread could not be started.
inline constexpr char kMsgManagerThreadFailed[] = "Create thread:DownPicFunc failed.";
// The download run's thread could not be started.
inline constexpr char kMsgRunThreadFailed[] = "Create thread:DownAlbumsFunc failed.";
