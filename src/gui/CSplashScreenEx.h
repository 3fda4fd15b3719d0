#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

class QPropertyAnimation;

// The splash window shown while start-up work runs: a borderless 300 × 167 window shaped by the
// key colour of a picture drawn at construction, with the splash text in white. It fades in when
// shown and fades out when hidden, has no time-out and ignores clicks; Esc asks the program to
// end (EscapePressed; the owner connects it to quitting).
//
// Created, shown, faded out and destroyed by the main window on the GUI thread only.
class CSplashScreenEx : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 300;
    static constexpr int kHeight = 167;
    static constexpr int kFadeInMs = 500;
    static constexpr int kFadeOutMs = 200;
    // Pixels of this colour are cut out of the window's shape.
    static constexpr QRgb kKeyColour = qRgb(212, 120, 120);
    // The text rectangle: from (30, 50) to (291, 160).
    static constexpr QRect kTextRect{30, 50, 261, 110};

    explicit CSplashScreenEx(QWidget *parent = nullptr);
    ~CSplashScreenEx() override;

    // The drawn picture, text included; its key-coloured pixels are outside the shape.
    const QImage &Picture() const { return picture_; }
    static QColor TextColour() { return Qt::white; }
    static QString SplashText();

    // Centres the window on its screen, shows it and fades it in.
    void ShowSplash();
    // Fades the window out, then hides it and emits FadedOut (the owner may delete it then).
    void FadeOut();

    const QPropertyAnimation *FadeInAnimation() const { return fadeIn_; }
    const QPropertyAnimation *FadeOutAnimation() const { return fadeOut_; }

Q_SIGNALS:
    // Esc was typed while the window had the focus: the program should end (exit code 0).
    void EscapePressed();
    // The fade-out has ended and the window is hidden.
    void FadedOut();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    static QImage DrawPicture();

    QImage picture_;
    QPropertyAnimation *fadeIn_;  // child of this window
    QPropertyAnimation *fadeOut_; // child of this window
};
