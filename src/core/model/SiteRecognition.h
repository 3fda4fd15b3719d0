#pragma once

#include <QLatin1StringView>
#include <QRect>
#include <QString>
#include <QStringList>

// Recognition of a site from an address typed or picked in the address box (1001): the table of
// the twenty site kinds and their domain fragments, the built-in site names of the site combo
// (1002), the sub-kind rule of the QQ addresses (combo 1035), and the geometry the address box
// takes when the sub-kind combo is shown or hidden.
//
// Pure functions over texts and rectangles; no state, no window. The main window calls them on
// the GUI thread and applies the answers to its controls; any thread may call them.
class SiteRecognition {
public:
    static constexpr int kSiteKindCount = 20;
    static constexpr int kLofterSiteKind = 19;
    // The site kind whose selection shows the sub-kind combo (QQ).
    static constexpr int kQqSiteKind = 0;

    // Items of the sub-kind combo.
    static constexpr int SUBKIND_QZONE = 0;
    static constexpr int SUBKIND_QQ_GROUP = 1;
    static constexpr int SUBKIND_TENCENT_WEIBO = 2;

    // Only texts holding this (anywhere) are recognised; "https://" addresses are not.
    static constexpr QLatin1StringView kHttpMarker{"http://"};
    // The address box starts this many pixels right of a shown sub-kind combo.
    static constexpr int kAddressGap = 3;

    // One domain fragment: the end of a service's host name (with the "/" after the host for
    // the sites whose fragment would otherwise match too much).
    struct Fragment {
        int siteKind;
        QLatin1StringView text;
    };

    // Every fragment in the order in which it is tested: site kind 0 first, 19 (LOFTER) last;
    // within a site kind in the order given.
    static const Fragment *Fragments(int &count);
    // Fragments that tell QQ group and Tencent Weibo addresses apart from QQ Zone addresses.
    static constexpr QLatin1StringView kTencentWeiboFragment{"t.qq.com"};
    static constexpr QLatin1StringView kQqGroupFragment{"qun.qq.com"};

    // The built-in site names, one per site kind in kind order (item i stands for site kind i).
    // The site combo shows them when the configuration service gave none.
    static QStringList BuiltInSiteNames();
    // The three items of the sub-kind combo, in item order.
    static QStringList SubKindNames();

    // True when `fragment` occurs in `text` at a position above 0 (the first occurrence counts;
    // exact and case-sensitive).
    static bool FragmentMatches(const QString &text, QLatin1StringView fragment);
    // The site kind of the first fragment (in test order) that matches `text`; -1 when none
    // matches or `text` holds no "http://".
    static int RecogniseSite(const QString &text);
    // The sub-kind item for a QQ address: Tencent Weibo before QQ group before QQ Zone.
    static int SubKindFor(const QString &text);

    // What an edit of the address box changes.
    struct AddressDecision {
        // False when the text holds no "http://": nothing changes, nothing else is valid.
        bool applies = false;
        // The site combo's selection afterwards (-1: none).
        int siteSelection = -1;
        // Whether the sub-kind combo is shown (selection 0) and, when shown, its item.
        bool subKindShown = false;
        int subKindItem = -1;
    };

    // The decision for the address box text `text`, with the site combo showing `itemCount`
    // items and `currentSelection` selected. A recognised site kind the combo does not hold
    // keeps the current selection (an empty combo stays without selection).
    static AddressDecision DecideAddress(const QString &text, int currentSelection, int itemCount);

    // The address box's text after a pick from its drop-down list: the picked entry when there
    // is one (`pickedIndex` >= 0), otherwise the current text. DecideAddress follows.
    static QString TextAfterSelect(int pickedIndex, const QString &pickedText,
                                   const QString &currentText);

    // Selection change of the site combo: the sub-kind combo is shown only for selection 0.
    static bool SubKindShown(int siteSelection) { return siteSelection == kQqSiteKind; }
    // The address box's rectangle (client coordinates) after a selection change of the site
    // combo. Shown sub-kind combo: the box's left edge moves to kAddressGap pixels right of the
    // combo's right edge; hidden: it moves to the combo's left edge, taking its place. Top,
    // right and bottom edges stay.
    static QRect AddressBoxRect(const QRect &addressBox, const QRect &subKindCombo,
                                bool subKindShown);
};
