#include "settings_tab_button.h"

#include "settings_style.h"
#include "settings_symbol.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {
constexpr double kIconTop = 8;
constexpr double kIconWidth = 27;
constexpr double kIconHeight = 25;
constexpr double kCaptionGap = 5;
constexpr double kCaptionInset = 2;
constexpr double kCornerRadius = 10;
constexpr double kCaptionFont = 11.5;
} // namespace

SettingsTabButton::SettingsTabButton(const QString &symbol, const QString &title, int index, QWidget *parent)
    : QAbstractButton(parent), m_symbol(SettingsSymbol::resolve(symbol)), m_caption(title), m_index(index)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(title);
    setSelectedTab(false);
}

void SettingsTabButton::setSelectedTab(bool selected)
{
    m_selected = selected;
    setFont(SettingsStyle::font(kCaptionFont, selected ? QFont::DemiBold : QFont::Medium));
    update();
}

int SettingsTabButton::captionWidthNeeded() const
{
    const QFont heavier = SettingsStyle::font(kCaptionFont, QFont::DemiBold);
    return int(std::ceil(QFontMetricsF(heavier).horizontalAdvance(m_caption) + 2 * kCaptionInset));
}

QFont SettingsTabButton::captionFont(bool selected) const
{
    QFont font = SettingsStyle::font(kCaptionFont, selected ? QFont::DemiBold : QFont::Medium);
    const double room = captionRect(size()).width();
    while (font.pixelSize() > 9 && QFontMetricsF(font).horizontalAdvance(m_caption) > room)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void SettingsTabButton::focusInEvent(QFocusEvent *event)
{
    m_keyboardFocus = SettingsStyle::isKeyboardFocus(event->reason());
    QAbstractButton::focusInEvent(event);
}

QSize SettingsTabButton::sizeHint() const
{
    return QSize(108, 64);
}

QRectF SettingsTabButton::iconRect(const QSize &size)
{
    return QRectF((size.width() - kIconWidth) / 2, kIconTop, kIconWidth, kIconHeight);
}

QRectF SettingsTabButton::captionRect(const QSize &size)
{
    const double top = kIconTop + kIconHeight + kCaptionGap;
    return QRectF(kCaptionInset, top, size.width() - 2 * kCaptionInset, size.height() - top);
}

void SettingsTabButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor accent = SettingsStyle::accent();
    if (m_selected) {
        QColor backdrop = accent;
        backdrop.setAlphaF(0.12);
        painter.setPen(Qt::NoPen);
        painter.setBrush(backdrop);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), kCornerRadius, kCornerRadius);
    } else if (isDown()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 14));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), kCornerRadius, kCornerRadius);
    }
    const QColor tint = m_selected ? accent : SettingsStyle::secondaryLabel();
    SettingsSymbol::paint(painter, m_symbol, iconRect(size()), tint);

    const QRectF caption = captionRect(size());
    const QFont captionFont = this->captionFont(m_selected);
    const QFontMetrics metrics(captionFont);
    painter.setFont(captionFont);
    painter.setPen(tint);
    painter.drawText(caption, Qt::AlignHCenter | Qt::AlignTop,
                     metrics.elidedText(m_caption, Qt::ElideRight, int(caption.width())));
    if (showsFocusRing()) {
        painter.setPen(QPen(accent, 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), kCornerRadius, kCornerRadius);
    }
}
