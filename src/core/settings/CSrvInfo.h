#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

class CookieStore;

// The remote configuration list: a short list of texts (the newest version, the address of its
// update page, reserved entries) and the names of the known sites, fetched once at start-up
// from our configuration service.
//
// The service is reached in two stages. Each base address (at most three, tried in order) is
// asked for a list of second-stage addresses; each of those (at most kMaxSecondStage per base,
// in order) is asked for the configuration itself. The first configuration whose entry list has
// exactly kEntryCount entries is accepted and ends the search. Every address that does not
// answer, answers something else or is not an absolute http(s) address is skipped silently.
//
// Reply formats (plain text inside any page, so that an ordinary web page can carry them; HTML
// entities such as "&amp;" are decoded before the markers are looked for):
//
//   first stage   <!--gleaner-servers:            second stage   <!--gleaner-config:
//                 http://host/config.htm?id=1                    VERSION|UPDATE|R2|R3|R4|R5|R6
//                 https://other/config.php                       SITE0|SITE1|...|SITE19
//                 -->                                            -->
//
// The block runs from the start marker to the first "-->" after it and is at most
// kMaxBlockChars long. Lines are trimmed and empty lines skipped. First stage: one address per
// line; only the first kMaxSecondStage lines count. Second stage: the first line is the entry
// list, the second (optional) line the site names; both are split at "|", items trimmed, empty
// items kept in place; further lines are ignored.
//
// Owned by the application state and created with it; the CookieStore it is given (may be
// null) belongs to the same owner and must outlive Fetch. Threads: Fetch runs once on the
// start-up thread; the GUI thread reads afterwards. Every member function may be called from
// any thread at any time: the results are guarded by a mutex, which Fetch takes only to publish
// them (never while a request runs), so readers never wait on the network.
class CSrvInfo {
public:
    // The environment variable that holds the base addresses, separated by "|".
    static constexpr const char *kEnvironmentName = "GLEANER_CONFIG_URLS";
    static constexpr int kMaxBaseAddresses = 3;
    // Second-stage addresses considered per first-stage reply.
    static constexpr int kMaxSecondStage = 8;
    // Entries of an accepted configuration.
    static constexpr int kEntryCount = 7;
    // Site names kept from an accepted configuration; further names are dropped.
    static constexpr int kMaxSiteNames = 64;
    // A marker block longer than this (in UTF-16 units) rejects the reply.
    static constexpr int kMaxBlockChars = 64 * 1024;
    // Addresses longer than this are skipped.
    static constexpr int kMaxAddressChars = 2048;

    // The site kind sent with second-stage requests: LOFTER, the one site of this edition.
    static constexpr int kSiteKind = 19;

    // Indexes of the entries the program reads; entries 2 to 6 are reserved.
    static constexpr int ENTRY_VERSION = 0; // newest version; "#" and what follows are remarks
    static constexpr int ENTRY_UPDATE_PAGE = 1;

    // `baseAddresses`: the service's base addresses in order; only the first kMaxBaseAddresses
    // are used. With none, Fetch returns at once and requests nothing.
    explicit CSrvInfo(QStringList baseAddresses, CookieStore *cookies = nullptr);
    CSrvInfo(const CSrvInfo &) = delete;
    CSrvInfo &operator=(const CSrvInfo &) = delete;

    // The base addresses in `value`: split at "|", each trimmed, empty parts dropped, at most
    // kMaxBaseAddresses kept.
    static QStringList ParseBaseAddresses(const QString &value);
    // ParseBaseAddresses of the environment variable kEnvironmentName (none when unset). Read
    // by the owner when it creates the object.
    static QStringList BaseAddressesFromEnvironment();

    // Time-out of every request (connect and read); 20,000 ms unless changed. Takes effect for
    // the requests that start after the call.
    void SetTimeoutMs(std::uint32_t timeoutMs);

    // A check that cuts off the request in flight and ends Fetch early as soon as it answers
    // true (closing the window uses it, so that Fetch never waits out a time-out). Set before
    // Fetch starts, on the thread that starts it; called on the fetching thread, at least every
    // 50 ms while a request waits; it must be cheap and thread-safe (typically an atomic read).
    // An aborted Fetch accepts nothing.
    void SetAbortCheck(std::function<bool()> shouldAbort);

    // Blocking; called once on the start-up thread. Searches as the class comment says. When a
    // configuration is accepted: publishes its entries and the 1-based numbers of the base
    // address and of the second-stage address that gave it, replaces `siteNames` with its site
    // names (when it has at least one), and answers true. Otherwise the entries are empty, both
    // numbers 0, `siteNames` is left as it was, and the answer is false.
    bool Fetch(QStringList &siteNames);

    // A copy of entry `index`; empty for an index that the list does not hold.
    QString GetEntry(int index) const;
    // Number of entries: kEntryCount after an accepted configuration, otherwise 0.
    int EntryCount() const;
    // "\tSrv Info:<serverNo>_<addressNo>", "\tSrv Info:0_0" when nothing was accepted.
    QString StatusText() const;
    int ServerNo() const;
    int AddressNo() const;

    // The address that is requested for `address`: `address` followed by "?" (or "&" when it
    // holds a "?" beyond its first character) and the query "f=T&t=<fraction>", plus
    // "&s=<siteKind>" when `siteKind` is 0 or more. Values are percent-encoded (the fraction's
    // line feed becomes "%0A").
    static QString QueryAddress(const QString &address, const QString &fraction, int siteKind);
    // True for an absolute http or https address with a host, no fragment, no white space or
    // control character, and at most kMaxAddressChars units.
    static bool IsFetchableAddress(const QString &address);
    // The second-stage addresses of a first-stage reply (at most kMaxSecondStage lines, as
    // listed, fetchable or not); empty when the reply holds no block.
    static QStringList ParseServerList(const QString &reply);
    // The entry list and site names of a second-stage reply. False when the reply holds no
    // block or the block has no line; the entry list may have any length.
    static bool ParseConfig(const QString &reply, QStringList &entries, QStringList &siteNames);

private:
    // One GET with the configuration service's header lines; the reply text, or false.
    bool Get(const QString &address, QString &text) const;
    bool Aborted() const { return abortCheck_ && abortCheck_(); }

    const QStringList baseAddresses_;
    CookieStore *const cookies_;
    std::atomic<std::uint32_t> timeoutMs_{20000};
    std::function<bool()> abortCheck_; // set before Fetch, read only by Fetch

    mutable std::mutex mutex_; // guards the three members below
    QStringList entries_;
    int serverNo_ = 0;
    int addressNo_ = 0;
};
