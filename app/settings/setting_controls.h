#pragma once

#include "settings_table.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QLabel;
class QWidget;
class ScheduledTimer;
class SettingsContext;
class SettingsSlider;

// The controls of the settings table, one for each row, alive as long as the
// window: created in the holder, placed anew by every build of the pages,
// filled from the settings by refresh(), and turning every use into the
// row's one change through the host. A slider's value is applied at once for
// a look and written once the slider rests. Main thread only.
class SettingControls : public QObject
{
    Q_OBJECT

public:
    // A slider written once it has rested this long (keys, wheel).
    static constexpr double sliderRestDelay = 0.4;

    explicit SettingControls(SettingsContext &context);
    ~SettingControls() override;

    // The captioned rows of `section` in table order, their captions and
    // choices looked up anew in the language in force.
    QList<QWidget *> rows(SettingsSection section);
    // Copies `settings` into every control; copying is no use: nothing writes.
    void refresh(const Settings &settings);
    // Writes a slider value still waiting for its rest.
    void commitPendingSlider();
    // Every control and value label, for the holder to take back.
    QList<QWidget *> widgets() const;

private:
    struct Bound
    {
        const SettingRow *row;
        QWidget *control;
        QLabel *valueLabel;
    };

    void bind(const SettingRow &row);
    void use(const SettingRow &row, double value);
    void sliderMoved(const Bound &bound);
    void sliderRested(SettingsSlider *slider);

    SettingsContext &m_context;
    std::vector<Bound> m_bound;

    // The slider whose value waits to be written, its row and its rest timer.
    QPointer<SettingsSlider> m_pendingSlider;
    const SettingRow *m_pendingRow = nullptr;
    std::unique_ptr<ScheduledTimer> m_sliderRest;
};
