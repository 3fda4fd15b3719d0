// The splash window offscreen: its size, its shape cut by the key colour, its white text, the
// configured fades, Esc asking the program to end and clicks being ignored.
#include "CSplashScreenEx.h"

#include "WaitFor.h"

#include <QApplication>
#include <QBitmap>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QRegion>

#include <gtest/gtest.h>

using testsupport::WaitFor;

namespace {

int CountPixels(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &test)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixel(x, y)) ? 1 : 0;
    return count;
}

bool IsWhite(QRgb pixel)
{
    return (pixel & 0xFFFFFF) == 0xFFFFFF;
}

TEST(SplashScreen, SizeAndShapeFromTheKeyColour)
{
    CSplashScreenEx splash;
    EXPECT_EQ(splash.size(), QSize(300, 167));
    EXPECT_EQ(splash.Picture().size(), QSize(300, 167));
    const QRegion shape = splash.mask();
    ASSERT_FALSE(shape.isEmpty());
    // Exactly the pixels that are not of the key colour belong to the shape.
    const QImage &picture = splash.Picture();
    int keyed = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const bool key =
                (picture.pixel(x, y) & 0xFFFFFF) == (CSplashScreenEx::kKeyColour & 0xFFFFFF);
            keyed += key ? 1 : 0;
            ASSERT_EQ(shape.contains(QPoint(x, y)), !key) << x << "," << y;
        }
    }
    // The corners are cut, the middle is not.
    EXPECT_GT(keyed, 0);
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(299, 166)));
    EXPECT_TRUE(shape.contains(QPoint(150, 83)));
}

TEST(SplashScreen, TextIsWhiteAndInsideItsRectangle)
{
    CSplashScreenEx splash;
    EXPECT_EQ(CSplashScreenEx::TextColour(), QColor(Qt::white));
    EXPECT_EQ(CSplashScreenEx::kTextRect, QRect(QPoint(30, 50), QPoint(290, 159)));
    const QImage &picture = splash.Picture();
    EXPECT_GT(CountPixels(picture, CSplashScreenEx::kTextRect, IsWhite), 20);
    // Nothing else of the picture is white: the white comes from the text only.
    const QRegion outside = QRegion(picture.rect()) - QRegion(CSplashScreenEx::kTextRect);
    int whiteOutside = 0;
    for (const QRect &part : outside)
        whiteOutside += CountPixels(picture, part, IsWhite);
    EXPECT_EQ(whiteOutside, 0);
}

TEST(SplashScreen, FadesAreConfigured)
{
    CSplashScreenEx splash;
    const QPropertyAnimation *in = splash.FadeInAnimation();
    const QPropertyAnimation *out = splash.FadeOutAnimation();
    ASSERT_NE(in, nullptr);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(in->duration(), 500);
    EXPECT_EQ(out->duration(), 200);
    EXPECT_EQ(in->propertyName(), "windowOpacity");
    EXPECT_EQ(out->propertyName(), "windowOpacity");
    EXPECT_EQ(in->targetObject(), &splash);
    EXPECT_EQ(out->targetObject(), &splash);
    EXPECT_EQ(in->endValue().toDouble(), 1.0);
    EXPECT_EQ(out->endValue().toDouble(), 0.0);

    splash.ShowSplash();
    EXPECT_TRUE(splash.isVisible());
    EXPECT_EQ(in->state(), QAbstractAnimation::Running);

    int fadedOut = 0;
    QObject::connect(&splash, &CSplashScreenEx::FadedOut, [&] { ++fadedOut; });
    splash.FadeOut();
    EXPECT_EQ(in->state(), QAbstractAnimation::Stopped);
    EXPECT_EQ(out->state(), QAbstractAnimation::Running);
    ASSERT_TRUE(WaitFor([&] { return fadedOut > 0; }));
    EXPECT_EQ(fadedOut, 1);
    EXPECT_FALSE(splash.isVisible());
}

TEST(SplashScreen, EscAsksToEndOtherKeysAndClicksDoNothing)
{
    CSplashScreenEx splash;
    int escape = 0;
    QObject::connect(&splash, &CSplashScreenEx::EscapePressed, [&] { ++escape; });
    QKeyEvent other(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&splash, &other);
    const QPointF at(100, 100);
    QMouseEvent click(QEvent::MouseButtonPress, at, splash.mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&splash, &click);
    EXPECT_EQ(escape, 0);
    EXPECT_TRUE(click.isAccepted());

    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&splash, &esc);
    EXPECT_EQ(escape, 1);
    EXPECT_TRUE(esc.isAccepted());
}

} // namespace
