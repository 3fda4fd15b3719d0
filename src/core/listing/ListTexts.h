#pragma once

// The fixed texts of the list run: button, group box and status-line texts, and the message
// boxes M1 to M4 with which the run tells the user what to do. Shared by the run, the front
// ends and the tests.

inline constexpr char16_t kGetListText[] = u"获取相册";
inline constexpr char16_t kStopListText[] = u"终止获取";
inline constexpr char16_t kAlbumFrameText[] = u"相册列表";
inline constexpr char16_t kListingStatusText[] = u"正在获取相册列表，请稍等...";
// printf-style formats with the number of albums.
inline constexpr char kAlbumFrameCountFormat[] = "相册列表(共%d个)";
inline constexpr char kListDoneFormat[] = "获取相册列表完成，共%d个";

// M1: the address box is empty.
inline constexpr char16_t kMsgEmptyAddress[] = u"请输入博客地址。";
// M2: the address is not a web address.
inline constexpr char16_t kMsgNotWebAddress[] =
    u"这不是网址：请输入以 http:// 或 https:// 开头的 LOFTER 博客地址。";
// M3: the archive page's title does not begin with "归档 - ".
inline constexpr char16_t kMsgNotLofterBlog[] =
    u"这个地址不是 LOFTER 博客（读不到博客的归档页）。请检查地址后重试。";
// M4: no blog id on the archive page.
inline constexpr char16_t kMsgNoBlogId[] =
    u"读不到这个博客的编号，无法获取相册列表。请检查地址，或稍后重试。";

// Shown when the list thread cannot be started.
inline constexpr char kThreadFailedText[] = "Create thread:GetListFunc failed.";
