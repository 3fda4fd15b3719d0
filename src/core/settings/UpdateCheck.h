#pragma once

#include <QString>

class CSrvInfo;

// The verdict of the update check made once at start-up.
struct UpdateVerdict {
    enum Kind {
        None,  // no newer version, or nothing to compare with
        Newer, // a newer version exists: show link 1030, tell the user, open the page, end
    };
    Kind kind = None;
    // Entry 0 cut before its "#" (Newer only).
    QString version;
    // Entry 1, the update page to open (Newer only).
    QString updatePage;

    bool operator==(const UpdateVerdict &) const = default;
};

// The start-up update check: entry 0 of the remote configuration list against our own version.
//
// The comparison goes by UTF-16 units of "版本号：<version>", not by numbers: the first unit that
// differs decides, and a text that is a prefix of the other is the smaller, so "15.4.8.1" is
// newer than "15.04.08.01". A "#" and anything after it in entry 0 are a remark.
//
// Pure functions; any thread may call them (the start-up thread does).
class UpdateCheck {
public:
    // Our own version, "15.04.08.01".
    static QString OwnVersion() { return QStringLiteral(GLEANER_VERSION); }
    // "版本号：" followed by `version`, cut before its first "#".
    static QString VersionText(const QString &version);
    // True when `newestVersion` (entry 0) is newer than `ownVersion`.
    static bool IsNewer(const QString &newestVersion, const QString &ownVersion = OwnVersion());

    // The verdict for a fetched configuration list: None when the list holds no entry 0 or 1
    // (nothing was accepted), when entry 0 is not newer, or when entry 1 is not an absolute
    // http(s) address (a page we would not open); Newer otherwise.
    static UpdateVerdict Decide(const CSrvInfo &srvInfo, const QString &ownVersion = OwnVersion());
    // The same for entries given directly.
    static UpdateVerdict Decide(const QString &newestVersion, const QString &updatePage,
                                const QString &ownVersion = OwnVersion());

    // The message box text for a Newer verdict.
    static QString NewerMessage(const UpdateVerdict &verdict);
    // The text of line 1031 when there is no update: our status followed by `srvStatus`
    // (CSrvInfo::StatusText()); `accepted` tells whether a configuration was accepted.
    static QString StatusLine(bool accepted, const QString &srvStatus);

    // After a Newer verdict the program ends this many milliseconds after opening the page.
    static constexpr int kExitDelayMs = 1000;
};
