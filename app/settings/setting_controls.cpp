#include "setting_controls.h"

#include "popup_button.h"
#include "settings_context.h"
#include "settings_row.h"
#include "settings_slider.h"
#include "settings_style.h"
#include "toggle_switch.h"

#include "localization/l10n.h"

#include "timer_scheduler.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

namespace {

constexpr int kControlWidth = 200;

// A slider and the label of its value, side by side.
QWidget *sliderLine(SettingsSlider *slider, QLabel *valueLabel)
{
    auto *row = new QWidget;
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    line->addWidget(slider, 0, Qt::AlignVCenter);
    if (valueLabel) {
        valueLabel->setFont(SettingsStyle::font(13));
        SettingsStyle::setTextColor(valueLabel, SettingsStyle::label());
        valueLabel->setMinimumWidth(QFontMetrics(valueLabel->font()).horizontalAdvance(QStringLiteral("100%")));
        line->addWidget(valueLabel, 0, Qt::AlignVCenter);
        valueLabel->show();
    }
    slider->show();
    return row;
}

} // namespace

SettingControls::SettingControls(SettingsContext &context) : m_context(context)
{
    m_bound.reserve(settingsTable().size());
    for (const SettingRow &row : settingsTable())
        bind(row);
}

SettingControls::~SettingControls() = default;

void SettingControls::bind(const SettingRow &row)
{
    QWidget *holder = m_context.holder();
    Bound bound{&row, nullptr, nullptr};
    switch (row.control) {
    case SettingRow::Control::popup: {
        auto *popup = new PopupButton(holder);
        popup->setFixedWidth(kControlWidth);
        // activated(): the user's choice only, also of the item already chosen.
        connect(popup, &QComboBox::activated, this, [this, &row](int item) { use(row, item); });
        bound.control = popup;
        break;
    }
    case SettingRow::Control::toggle: {
        auto *toggle = new ToggleSwitch(holder);
        // clicked(): a click or a key press, not setChecked().
        connect(toggle, &QAbstractButton::clicked, this, [this, &row](bool on) { use(row, on ? 1 : 0); });
        bound.control = toggle;
        break;
    }
    case SettingRow::Control::slider: {
        auto *slider = new SettingsSlider(holder);
        slider->setFixedWidth(kControlWidth);
        if (row.valueLabel) {
            bound.valueLabel = new QLabel(percentText(row.read(Settings())), holder);
            bound.valueLabel->setObjectName(QString::fromLatin1(row.valueLabel));
            bound.valueLabel->setTextFormat(Qt::PlainText);
        }
        bound.control = slider;
        const std::size_t index = m_bound.size();
        // valueChanged() comes from the user only: refresh() blocks signals.
        connect(slider, &QAbstractSlider::valueChanged, this, [this, index] { sliderMoved(m_bound.at(index)); });
        connect(slider, &QAbstractSlider::sliderReleased, this, [this, slider] { sliderRested(slider); });
        break;
    }
    }
    bound.control->setObjectName(QString::fromLatin1(row.name));
    m_bound.push_back(bound);
}

QList<QWidget *> SettingControls::rows(SettingsSection section)
{
    QList<QWidget *> rows;
    for (const Bound &bound : m_bound) {
        const SettingRow &row = *bound.row;
        if (row.section != section)
            continue;
        QWidget *shown = bound.control;
        if (auto *popup = qobject_cast<PopupButton *>(bound.control)) {
            const QSignalBlocker quiet(popup);
            popup->setItems(row.items());
            popup->setFont(SettingsStyle::font(14.5));
        } else if (auto *slider = qobject_cast<SettingsSlider *>(bound.control)) {
            {
                const QSignalBlocker quiet(slider);
                slider->setDoubleRange(row.minimum, row.maximum);
            }
            shown = sliderLine(slider, bound.valueLabel);
        }
        rows.append(new SettingsRow(L(row.caption), shown));
    }
    return rows;
}

void SettingControls::refresh(const Settings &settings)
{
    std::vector<std::unique_ptr<QSignalBlocker>> blockers;
    blockers.reserve(m_bound.size());
    for (const Bound &bound : m_bound)
        blockers.push_back(std::make_unique<QSignalBlocker>(bound.control));

    for (const Bound &bound : m_bound) {
        const double value = bound.row->read(settings);
        if (auto *popup = qobject_cast<PopupButton *>(bound.control))
            popup->setCurrentIndex(int(value));
        else if (auto *toggle = qobject_cast<ToggleSwitch *>(bound.control))
            toggle->setChecked(value != 0);
        else if (auto *slider = qobject_cast<SettingsSlider *>(bound.control))
            slider->setDoubleValue(value);
        if (bound.valueLabel)
            bound.valueLabel->setText(percentText(value));
    }
}

QList<QWidget *> SettingControls::widgets() const
{
    QList<QWidget *> widgets;
    for (const Bound &bound : m_bound) {
        widgets.append(bound.control);
        if (bound.valueLabel)
            widgets.append(bound.valueLabel);
    }
    return widgets;
}

void SettingControls::use(const SettingRow &row, double value)
{
    const SettingsHost::SettingsChange change = row.write(value);
    if (!change)
        return;
    m_context.host().updateSettings(change);
    if (row.report) {
        Settings chosen;
        change(chosen);
        row.report(m_context, chosen);
    }
}

void SettingControls::sliderMoved(const Bound &bound)
{
    auto *slider = static_cast<SettingsSlider *>(bound.control);
    const double value = slider->doubleValue();
    if (bound.valueLabel)
        bound.valueLabel->setText(percentText(value));
    // Another slider's value waiting to be written goes first.
    if (m_pendingSlider && m_pendingSlider != slider)
        commitPendingSlider();
    m_context.host().previewSettings(bound.row->write(value));
    m_pendingSlider = slider;
    m_pendingRow = bound.row;
    // A dragged slider is written when it is let go; keys and the wheel move
    // it step by step, so it is written once it has rested.
    m_sliderRest.reset();
    if (!slider->isSliderDown()) {
        QPointer<SettingControls> self(this);
        m_sliderRest = m_context.scheduler().schedule(sliderRestDelay, false, [self] {
            if (self)
                self->commitPendingSlider();
        });
    }
}

void SettingControls::sliderRested(SettingsSlider *slider)
{
    if (m_pendingSlider == slider)
        commitPendingSlider();
}

void SettingControls::commitPendingSlider()
{
    m_sliderRest.reset();
    const SettingRow *row = m_pendingRow;
    const QPointer<SettingsSlider> slider = m_pendingSlider;
    m_pendingSlider.clear();
    m_pendingRow = nullptr;
    if (!slider || !row)
        return;
    m_context.host().updateSettings(row->write(slider->doubleValue()));
}
