#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;

// One labelled row of a card: the title on the leading side (wrapping onto
// at most two lines, yielding width before the control does) and the control
// on the trailing side, both centred vertically in a row 50 pixels high.
class SettingsRow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int rowHeight = 50;
    static constexpr int rowInset = 18;
    static constexpr int titleGap = 12;

    SettingsRow(const QString &title, QWidget *control, QWidget *parent = nullptr);

    QLabel *titleLabel() const { return m_title; }
    QWidget *control() const { return m_control; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutContents();

    QLabel *m_title;
    QPointer<QWidget> m_control;
};
