#include "model/SiteRecognition.h"

#include <iterator>

namespace {

using Fragment = SiteRecognition::Fragment;

// Test order: site kind 0 to 19. QQ, Weibo, ZOL and Tmall carry the "/" after the host name.
constexpr Fragment kFragments[] = {
    {0, QLatin1StringView("qq.com/")},       // QQ Zone, QQ groups, Tencent Weibo
    {1, QLatin1StringView("baidu.com")},     // Baidu
    {2, QLatin1StringView("163.com")},       // NetEase 163
    {3, QLatin1StringView("renren.com")},    // Renren
    {4, QLatin1StringView("sina.com.cn")},   // Sina
    {4, QLatin1StringView("weibo.com/")},    // Sina Weibo
    {5, QLatin1StringView("56.com")},        // 56
    {6, QLatin1StringView("poco.cn")},       // POCO
    {7, QLatin1StringView("yupoo.com")},     // Yupoo
    {8, QLatin1StringView("51.com")},        // 51
    {9, QLatin1StringView("zol.com.cn/")},   // ZOL
    {10, QLatin1StringView("pchome.net")},   // PChome
    {11, QLatin1StringView("taobao.com")},   // Taobao
    {11, QLatin1StringView("tmall.com/")},   // Tmall
    {11, QLatin1StringView("1688.com")},     // 1688
    {12, QLatin1StringView("moko.cc")},      // Moko
    {13, QLatin1StringView("babytree.com")}, // Babytree
    {14, QLatin1StringView("pconline.com.cn")}, {15, QLatin1StringView("hupu.com")},
    {16, QLatin1StringView("jd.com")},          {17, QLatin1StringView("instagram.com")},
    {18, QLatin1StringView("huaban.com")},      {19, QLatin1StringView("lofter.com")},
};

} // namespace

const SiteRecognition::Fragment *SiteRecognition::Fragments(int &count)
{
    count = int(std::size(kFragments));
    return kFragments;
}

QStringList SiteRecognition::BuiltInSiteNames()
{
    return {
        QStringLiteral("QQ相册"),   QStringLiteral("百度相册"),   QStringLiteral("网易相册"),
        QStringLiteral("人人相册"), QStringLiteral("新浪微博"),   QStringLiteral("56相册"),
        QStringLiteral("POCO相册"), QStringLiteral("又拍相册"),   QStringLiteral("51相册"),
        QStringLiteral("ZOL相册"),  QStringLiteral("PChome相册"), QStringLiteral("淘宝天猫1688"),
        QStringLiteral("MOKO相册"), QStringLiteral("宝宝树相册"), QStringLiteral("太平洋相册"),
        QStringLiteral("虎扑相册"), QStringLiteral("京东商品"),   QStringLiteral("Instagram"),
        QStringLiteral("花瓣画板"), QStringLiteral("LOFTER"),
    };
}

QStringList SiteRecognition::SubKindNames()
{
    return {QStringLiteral("QQ空间相册"), QStringLiteral("QQ群相册"),
            QStringLiteral("腾讯微博相册")};
}

bool SiteRecognition::FragmentMatches(const QString &text, QLatin1StringView fragment)
{
    return text.indexOf(fragment) > 0;
}

int SiteRecognition::RecogniseSite(const QString &text)
{
    if (!text.contains(kHttpMarker))
        return -1;
    for (const Fragment &fragment : kFragments) {
        if (FragmentMatches(text, fragment.text))
            return fragment.siteKind;
    }
    return -1;
}

int SiteRecognition::SubKindFor(const QString &text)
{
    if (FragmentMatches(text, kTencentWeiboFragment))
        return SUBKIND_TENCENT_WEIBO;
    if (FragmentMatches(text, kQqGroupFragment))
        return SUBKIND_QQ_GROUP;
    return SUBKIND_QZONE;
}

SiteRecognition::AddressDecision SiteRecognition::DecideAddress(const QString &text,
                                                                int currentSelection, int itemCount)
{
    AddressDecision decision;
    if (!text.contains(kHttpMarker))
        return decision;
    decision.applies = true;
    int selection = currentSelection >= 0 && currentSelection < itemCount ? currentSelection : -1;
    const int kind = RecogniseSite(text);
    if (kind >= 0 && kind < itemCount)
        selection = kind;
    decision.siteSelection = selection;
    decision.subKindShown = SubKindShown(selection);
    decision.subKindItem = decision.subKindShown ? SubKindFor(text) : -1;
    return decision;
}

QString SiteRecognition::TextAfterSelect(int pickedIndex, const QString &pickedText,
                                         const QString &currentText)
{
    return pickedIndex >= 0 ? pickedText : currentText;
}

QRect SiteRecognition::AddressBoxRect(const QRect &addressBox, const QRect &subKindCombo,
                                      bool subKindShown)
{
    QRect moved = addressBox;
    // QRect::right() is the last pixel column; the combo's right edge lies one past it.
    moved.setLeft(subKindShown ? subKindCombo.x() + subKindCombo.width() + kAddressGap
                               : subKindCombo.x());
    return moved;
}
