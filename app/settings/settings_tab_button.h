#pragma once

#include <QAbstractButton>
#include <QString>

// One tab of the settings window's tab row: a glyph above a caption. The
// selected tab shows both in the accent colour on a faint accent backdrop;
// the others in the secondary label colour.
class SettingsTabButton : public QAbstractButton
{
    Q_OBJECT

public:
    // An unknown symbol shows the "circle" glyph.
    SettingsTabButton(const QString &symbol, const QString &title, int index, QWidget *parent = nullptr);

    int index() const { return m_index; }
    QString symbol() const { return m_symbol; }
    QString caption() const { return m_caption; }
    bool isSelectedTab() const { return m_selected; }
    // Every assignment restyles the tab, also to the value it had.
    void setSelectedTab(bool selected);

    QSize sizeHint() const override;
    // The focus ring is drawn: the tab has the focus, and the keyboard put it there.
    bool showsFocusRing() const { return hasFocus() && m_keyboardFocus; }

    // The width a tab needs for its caption in the selected (heavier) weight.
    int captionWidthNeeded() const;
    // The caption's font, selected or not, made smaller where the caption
    // would not fit the tab's width otherwise (never below 9 pixels).
    QFont captionFont(bool selected) const;

    // The glyph box and the caption box inside a tab of `size`.
    static QRectF iconRect(const QSize &size);
    static QRectF captionRect(const QSize &size);

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    QString m_symbol;
    QString m_caption;
    int m_index;
    bool m_selected = false;
    // A focus ring only for focus that came from the keyboard.
    bool m_keyboardFocus = false;
};
