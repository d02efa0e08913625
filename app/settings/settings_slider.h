#pragma once

#include <QSlider>

// A horizontal slider over a range of real numbers, drawn in the manner of
// the Linux desktops: a thin rounded groove filled with the accent colour up
// to a round white handle. The integer steps of QSlider are thousandths of
// the real value, so 0.16 is stored and read back as 0.16.
class SettingsSlider : public QSlider
{
    Q_OBJECT

public:
    static constexpr int scale = 1000;

    explicit SettingsSlider(QWidget *parent = nullptr);

    void setDoubleRange(double minimum, double maximum);
    double doubleMinimum() const { return double(minimum()) / scale; }
    double doubleMaximum() const { return double(maximum()) / scale; }
    double doubleValue() const { return double(value()) / scale; }
    void setDoubleValue(double value);

    QSize sizeHint() const override;
    // The focus ring is drawn: the slider has the focus, and the keyboard put it there.
    bool showsFocusRing() const { return hasFocus() && m_keyboardFocus; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    bool m_keyboardFocus = false;
};
