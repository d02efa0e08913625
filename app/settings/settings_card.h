#pragma once

#include <QList>
#include <QWidget>

// A rounded, lightly tinted card of rows stacked top to bottom at the card's
// full width, with a hairline between every two rows.
class SettingsCard : public QWidget
{
    Q_OBJECT

public:
    static constexpr double cornerRadius = 12;

    SettingsCard(const QList<QWidget *> &contents, int width, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
