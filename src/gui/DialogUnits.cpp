#include "DialogUnits.h"

#include <QFontMetrics>

namespace {

// a * b / c rounded to the nearest integer, halves away from zero (MulDiv).
int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

} // namespace

DialogUnits::DialogUnits(const QFont &font)
{
    const QFontMetrics metrics(font);
    const int sum = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    base_ = QSize((sum / 26 + 1) / 2, metrics.height());
}

int DialogUnits::X(int units) const
{
    return MulDiv(units, base_.width(), 4);
}

int DialogUnits::Y(int units) const
{
    return MulDiv(units, base_.height(), 8);
}

QRect DialogUnits::ToPixels(int x, int y, int w, int h) const
{
    return QRect(X(x), Y(y), X(w), Y(h));
}

QSize DialogUnits::ToPixels(int w, int h) const
{
    return QSize(X(w), Y(h));
}
