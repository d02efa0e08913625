#pragma once

#include <QWidget>

// The hairline between two rows of a card, inset 18 pixels on both sides.
class SettingsSeparator : public QWidget
{
    Q_OBJECT

public:
    static constexpr int inset = 18;

    explicit SettingsSeparator(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
