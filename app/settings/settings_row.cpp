#include "settings_row.h"

#include "settings_style.h"

#include <QFontMetrics>
#include <QLabel>

namespace {
constexpr int kMaxTitleLines = 2;
}

SettingsRow::SettingsRow(const QString &title, QWidget *control, QWidget *parent)
    : QWidget(parent), m_title(new QLabel(title, this)), m_control(control)
{
    setFixedHeight(rowHeight);
    m_title->setFont(SettingsStyle::font(14.5));
    QPalette palette = m_title->palette();
    palette.setColor(QPalette::WindowText, SettingsStyle::label());
    m_title->setPalette(palette);
    m_title->setWordWrap(true);
    m_title->setTextFormat(Qt::PlainText);
    m_control->setParent(this);
    m_control->show();
    layoutContents();
}

void SettingsRow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutContents();
}

void SettingsRow::layoutContents()
{
    // A control outlives its rows: one that has moved on to a newer row is
    // no longer this row's to place.
    if (m_control.isNull() || m_control->parentWidget() != this)
        return;
    // The control keeps its own size at the trailing edge; the title takes
    // what is left and wraps by words onto at most two lines.
    const QSize controlSize = m_control->sizeHint().expandedTo(m_control->minimumSize()).boundedTo(m_control->maximumSize());
    const int controlX = width() - rowInset - controlSize.width();
    m_control->setGeometry(controlX, (rowHeight - controlSize.height()) / 2, controlSize.width(), controlSize.height());

    const int titleWidth = std::max(0, controlX - titleGap - rowInset);
    const QFontMetrics metrics(m_title->font());
    const int lineHeight = metrics.lineSpacing();
    const int wanted = m_title->heightForWidth(titleWidth);
    const int titleHeight = std::min(wanted > 0 ? wanted : lineHeight, kMaxTitleLines * lineHeight);
    m_title->setGeometry(rowInset, (rowHeight - titleHeight) / 2, titleWidth, titleHeight);
}
