#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <utility>

class SettingsTabButton;

// The settings window's row of tabs, centred across the top of the window
// with a hairline along its bottom edge. The buttons are fixed at
// construction; the selection changes only through setSelectedIndex().
class SettingsTabBar : public QWidget
{
    Q_OBJECT

public:
    // (symbol, title) per tab, in tab order.
    using Item = std::pair<QString, QString>;

    static constexpr int buttonWidth = 108;
    static constexpr int buttonHeight = 64;
    static constexpr int buttonSpacing = 6;
    static constexpr int buttonTop = 44;

    explicit SettingsTabBar(const QList<Item> &items, QWidget *parent = nullptr);

    const QList<SettingsTabButton *> &buttons() const { return m_buttons; }
    int selectedIndex() const { return m_selectedIndex; }
    // Selects exactly the button at `index`; an index outside the buttons
    // leaves none selected.
    void setSelectedIndex(int index);

signals:
    // A tab was clicked: its index.
    void tabClicked(int index);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void layoutButtons();

    QList<SettingsTabButton *> m_buttons;
    int m_selectedIndex = 0;
};
