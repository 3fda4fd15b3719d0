#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Converts the main window's layout, given in dialog units as in a dialog template, into
// pixels. One horizontal unit is a quarter of the base width, one vertical unit an eighth of
// the base height. The base units are taken from the dialog font the way Windows does: the
// width is the average advance of "A".."Z" + "a".."z", rounded (sum / 26 + 1) / 2; the height
// is the font's line height. Pixel values are rounded as MulDiv does. A value type; any
// thread.
class DialogUnits {
public:
    explicit DialogUnits(const QFont &font);
    DialogUnits(int baseWidth, int baseHeight) : base_(baseWidth, baseHeight) {}

    QSize Base() const { return base_; }
    int X(int units) const;
    int Y(int units) const;
    QRect ToPixels(int x, int y, int w, int h) const;
    QSize ToPixels(int w, int h) const;

private:
    QSize base_;
};
