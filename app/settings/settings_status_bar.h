#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;

// The strip along the bottom of the settings window that holds the status
// line, with a hairline along its top edge. The label stays the caller's.
class SettingsStatusBar : public QWidget
{
    Q_OBJECT

public:
    static constexpr int inset = 26;

    explicit SettingsStatusBar(QLabel *statusLabel, QWidget *parent = nullptr);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QPointer<QLabel> m_label;
};
