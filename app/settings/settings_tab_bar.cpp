#include "settings_tab_bar.h"

#include "settings_style.h"
#include "settings_tab_button.h"

#include <QPainter>

#include <algorithm>

SettingsTabBar::SettingsTabBar(const QList<Item> &items, QWidget *parent) : QWidget(parent)
{
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new SettingsTabButton(items[i].first, items[i].second, i, this);
        connect(button, &QAbstractButton::clicked, this, [this, i] { emit tabClicked(i); });
        m_buttons.append(button);
    }
    setSelectedIndex(0);
    layoutButtons();
}

void SettingsTabBar::setSelectedIndex(int index)
{
    m_selectedIndex = index;
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setSelectedTab(i == index);
}

void SettingsTabBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutButtons();
}

void SettingsTabBar::layoutButtons()
{
    // Centred whatever the width: a bar narrower than its row overflows
    // equally on both sides.
    // All tabs one width: the standard one, or wider where a caption in a
    // longer language needs it and the row has the room.
    const int count = int(m_buttons.size());
    int each = buttonWidth;
    for (const SettingsTabButton *button : std::as_const(m_buttons))
        each = std::max(each, button->captionWidthNeeded());
    if (count > 0)
        each = std::max(buttonWidth, std::min(each, (width() - (count - 1) * buttonSpacing) / count));
    const int total = count * each + std::max(0, count - 1) * buttonSpacing;
    int x = (width() - total) / 2;
    for (SettingsTabButton *button : m_buttons) {
        button->setGeometry(x, buttonTop, each, buttonHeight);
        x += each + buttonSpacing;
    }
}

void SettingsTabBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(QRect(0, height() - 1, width(), 1), SettingsStyle::hairline());
}
