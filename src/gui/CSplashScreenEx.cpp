#include "CSplashScreenEx.h"

#include <QBitmap>
#include <QFont>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScreen>

CSplashScreenEx::CSplashScreenEx(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(DrawPicture()), fadeIn_(new QPropertyAnimation(this, "windowOpacity", this)),
      fadeOut_(new QPropertyAnimation(this, "windowOpacity", this))
{
    setObjectName(QStringLiteral("SplashScreenExClass"));
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The bitmap is cleared (transparent) exactly where the picture has the key colour.
    setMask(QBitmap::fromImage(picture_.createMaskFromColor(kKeyColour, Qt::MaskInColor)));

    fadeIn_->setDuration(kFadeInMs);
    fadeIn_->setStartValue(0.0);
    fadeIn_->setEndValue(1.0);
    fadeOut_->setDuration(kFadeOutMs);
    fadeOut_->setStartValue(1.0);
    fadeOut_->setEndValue(0.0);
    connect(fadeOut_, &QPropertyAnimation::finished, this, [this] {
        hide();
        Q_EMIT FadedOut();
    });
}

CSplashScreenEx::~CSplashScreenEx() = default;

QString CSplashScreenEx::SplashText()
{
    return QStringLiteral("gleaner %1\n\n正在连接配置服务，请稍候……\n按 Esc 键退出。")
        .arg(QStringLiteral(GLEANER_VERSION));
}

QImage CSplashScreenEx::DrawPicture()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(kKeyColour));

    QPainter painter(&image);
    // The body: a rounded card whose corners stay key-coloured (cut out). Drawn without
    // antialiasing so that no blended edge pixel comes near the key colour.
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPainterPath card;
    card.addRoundedRect(QRectF(0, 0, kWidth, kHeight), 18, 18);
    QLinearGradient body(0, 0, 0, kHeight);
    body.setColorAt(0.0, QColor(38, 62, 96));
    body.setColorAt(1.0, QColor(16, 28, 48));
    painter.fillPath(card, body);
    // A band behind the title and a thin rule above the text.
    painter.fillRect(QRect(0, 14, kWidth, 26), QColor(58, 92, 138));
    painter.fillRect(QRect(30, 44, kWidth - 60, 1), QColor(120, 150, 190));

    QFont title;
    title.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Sans Serif")});
    title.setPointSize(14);
    title.setBold(true);
    title.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(title);
    painter.setPen(QColor(200, 220, 245));
    painter.drawText(QRect(30, 14, kWidth - 60, 26), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("gleaner"));

    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Sans Serif")});
    font.setPointSize(10);
    font.setWeight(QFont::Normal);
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(TextColour());
    painter.drawText(kTextRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, SplashText());
    painter.end();
    return image;
}

void CSplashScreenEx::ShowSplash()
{
    if (const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    fadeOut_->stop();
    setWindowOpacity(0.0);
    show();
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
    fadeIn_->start();
}

void CSplashScreenEx::FadeOut()
{
    fadeIn_->stop();
    fadeOut_->setStartValue(windowOpacity());
    fadeOut_->start();
}

void CSplashScreenEx::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}

void CSplashScreenEx::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        Q_EMIT EscapePressed();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CSplashScreenEx::mousePressEvent(QMouseEvent *event)
{
    event->accept(); // clicks are ignored
}
