// What the settings window's controls do: each setting control writes its
// one field through the host and reports the new state in the status line;
// the Apps and Advanced pages' commands import, rearrange, rescan, change
// the application folders and ask for the input permission.
#include "settings_window_controller.h"

#include "popup_button.h"
#include "settings_host.h"
#include "settings_slider.h"
#include "settings_status_bar.h"
#include "settings_window.h"
#include "toggle_switch.h"

#include "foundation/log.h"
#include "localization/key_words.h"
#include "localization/app_language.h"
#include "localization/l10n.h"
#include "model/layout_backup.h"
#include "model/settings.h"
#include "model/pinch_gesture.h"

#include "timer_scheduler.h"

#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>

namespace {

QString percent(double value)
{
    return QString::asprintf("%.0f%%", value * 100);
}

// The case at pop-up index `index`; an index past the last case names the
// last one. None for a negative index: nothing is chosen (a pop-up being
// cleared or refilled reports -1), and nothing may reach the settings.
template <typename Case>
std::optional<Case> caseAt(const QList<Case> &cases, int index)
{
    if (index < 0 || cases.isEmpty())
        return std::nullopt;
    return cases.at(std::min<qsizetype>(index, cases.size() - 1));
}

} // namespace

// ------------------------------------------------------------ pop-ups

void SettingsWindowController::changeLanguage(int index)
{
    const QList<AppLanguage> languages = AppLanguage::allCases();
    if (index < 0 || index >= languages.size())
        return;
    const AppLanguage language = languages.at(index);
    // A real change of the interface language rebuilds this window in the
    // new language before updateSettings() returns.
    m_host.updateSettings([language](Settings &settings) { settings.language = language; });
    setStatus(L(QStringLiteral("界面语言已设为 %@"), L10n::current().displayName()));
}

void SettingsWindowController::changeHotKey(int index)
{
    const std::optional<Settings::HotKeyPreset> preset = caseAt(Settings::HotKeyPreset::allCases(), index);
    if (!preset)
        return;
    m_host.updateSettings([preset](Settings &settings) { settings.hotKey = *preset; });
    m_host.hotKeyChanged();
    // Whatever the start found is old news now.
    m_hotKeyNoticeDue = false;
    if (m_host.hotKeyHeldElsewhere())
        setStatus(hotKeyTakenText(*preset));
    else
        setStatus(L(QStringLiteral("全局快捷键已设为 %@"), KeyWords::forDisplay(preset->label())));
}

QString SettingsWindowController::hotKeyTakenText(Settings::HotKeyPreset preset)
{
    return L(QStringLiteral("全局快捷键 %@ 已被其他程序占用，未能设置"), KeyWords::forDisplay(preset.label()));
}

void SettingsWindowController::showHotKeyNoticeOnce()
{
    if (!m_hotKeyNoticeDue)
        return;
    m_hotKeyNoticeDue = false;
    if (m_host.hotKeyHeldElsewhere())
        setStatus(hotKeyTakenText(m_host.settings().hotKey));
}

void SettingsWindowController::changePinch(int index)
{
    const std::optional<PinchGesture> gesture = caseAt(PinchGesture::allCases(), index);
    if (!gesture)
        return;
    m_host.updateSettings([gesture](Settings &settings) { settings.pinchGesture = *gesture; });
    setStatus(*gesture == PinchGesture::off ? L(QStringLiteral("捏合手势已关闭。"))
                                            : L(QStringLiteral("捏合手势已设为 %@。"), gesture->label()));
}

void SettingsWindowController::changeCorner(int index)
{
    const std::optional<Settings::HotCorner> corner = caseAt(Settings::HotCorner::allCases(), index);
    if (!corner)
        return;
    m_host.updateSettings([corner](Settings &settings) { settings.hotCorner = *corner; });
    m_host.hotCornerChanged();
    setStatus(*corner == Settings::HotCorner::none ? L(QStringLiteral("触发角已关闭"))
                                                   : L(QStringLiteral("触发角已设为 %@"), corner->label()));
}

void SettingsWindowController::changeColumns(int index)
{
    if (index < 0)
        return;
    m_host.updateSettings([index](Settings &settings) { settings.columns = index + 4; });
}

void SettingsWindowController::changeRows(int index)
{
    if (index < 0)
        return;
    m_host.updateSettings([index](Settings &settings) { settings.rows = index + 3; });
}

void SettingsWindowController::changeMode(int index)
{
    const std::optional<Settings::ViewMode> mode = caseAt(Settings::ViewMode::allCases(), index);
    if (!mode)
        return;
    m_host.updateSettings([mode](Settings &settings) { settings.viewMode = *mode; });
}

// ------------------------------------------------------------ sliders

void SettingsWindowController::changeSideInset()
{
    m_marginValueLabel->setText(percent(m_marginSlider->doubleValue()));
    sliderMoved(m_marginSlider, [](Settings &settings, double value) { settings.sideInset = value; });
}

void SettingsWindowController::changeIconScale()
{
    m_iconValueLabel->setText(percent(m_iconSlider->doubleValue()));
    sliderMoved(m_iconSlider, [](Settings &settings, double value) { settings.iconScale = value; });
}

void SettingsWindowController::changeDim()
{
    sliderMoved(m_dimSlider, [](Settings &settings, double value) { settings.dim = value; });
}

void SettingsWindowController::sliderMoved(SettingsSlider *slider, const std::function<void(Settings &, double)> &assign)
{
    // Another slider's value waiting to be written goes first.
    if (m_pendingSlider && m_pendingSlider != slider)
        commitPendingSlider();
    const double value = slider->doubleValue();
    m_host.previewSettings([assign, value](Settings &settings) { assign(settings, value); });
    m_pendingSlider = slider;
    m_pendingAssign = assign;
    // A dragged slider is written when it is let go; keys and the wheel move
    // it step by step, so it is written once it has rested.
    m_sliderRest.reset();
    if (!slider->isSliderDown()) {
        TimerScheduler &scheduler = m_environment.scheduler ? *m_environment.scheduler : TimerScheduler::main();
        QPointer<SettingsWindowController> self(this);
        m_sliderRest = scheduler.schedule(sliderRestDelay, false, [self] {
            if (self)
                self->commitPendingSlider();
        });
    }
}

void SettingsWindowController::sliderRested(SettingsSlider *slider)
{
    if (m_pendingSlider == slider)
        commitPendingSlider();
}

void SettingsWindowController::commitPendingSlider()
{
    m_sliderRest.reset();
    if (!m_pendingSlider || !m_pendingAssign) {
        m_pendingSlider.clear();
        m_pendingAssign = nullptr;
        return;
    }
    const double value = m_pendingSlider->doubleValue();
    const auto assign = std::move(m_pendingAssign);
    m_pendingSlider.clear();
    m_pendingAssign = nullptr;
    m_host.updateSettings([assign, value](Settings &settings) { assign(settings, value); });
}

// ------------------------------------------------------------ switches

void SettingsWindowController::toggleF4(bool on)
{
    m_host.updateSettings([on](Settings &settings) { settings.enableF4Shortcut = on; });
    setStatus(on ? L(QStringLiteral("已启用 F4 / 启动台键；它需要键盘与手势监听。"))
                 : L(QStringLiteral("已关闭 F4 / 启动台键。")));
}

void SettingsWindowController::toggleAnimate(bool on)
{
    m_host.updateSettings([on](Settings &settings) { settings.animate = on; });
}

void SettingsWindowController::toggleLabels(bool on)
{
    m_host.updateSettings([on](Settings &settings) { settings.showLabels = on; });
}

void SettingsWindowController::toggleHidden(bool on)
{
    m_host.updateSettings([on](Settings &settings) { settings.showHidden = on; });
}

void SettingsWindowController::toggleLaunchpadNames(bool on)
{
    m_host.updateSettings([on](Settings &settings) { settings.useLaunchpadNames = on; });
    m_host.rescan();
    setStatus(on ? L(QStringLiteral("名称已与系统启动台一致（含「Siri」「Safari浏览器」等本地化名）。"))
                 : L(QStringLiteral("已改用应用自带名称；启动台里的隐藏应用仍会显示图标。")));
}

void SettingsWindowController::toggleAdoptGrid(bool on)
{
    m_host.updateSettings([on](Settings &settings) { settings.adoptImportGrid = on; });
    setStatus(on ? L(QStringLiteral("导入时仅采纳导入来源记录的网格行列数；本系统没有 Dock 网格偏好。"))
                 : L(QStringLiteral("导入时保持当前网格设置。")));
}

void SettingsWindowController::togglePureUninstall(bool on)
{
    m_host.updateSettings([on](Settings &settings) { settings.pureUninstall = on; });
    setStatus(on ? L(QStringLiteral("已默认开启纯净卸载：卸载时一并清理可明确归属的残留文件。"))
                 : L(QStringLiteral("已默认关闭纯净卸载：卸载时只把应用移到废纸篓。")));
}

void SettingsWindowController::toggleEventTap(bool on)
{
    m_host.updateSettings([on](Settings &settings) { settings.useEventTap = on; });
    setStatus(on ? L(QStringLiteral("已启用键盘与手势监听；关闭后仅用 X11 按键抓取与触发角。"))
                 : L(QStringLiteral("已退回零权限模式：X11 按键抓取 + 触发角。")));
}

void SettingsWindowController::toggleHideOnSystem(bool on)
{
    m_host.updateSettings([on](Settings &settings) { settings.hideOnSystemEvents = on; });
    setStatus(on ? L(QStringLiteral("锁屏、休眠、显示桌面时会自动收起启动台。"))
                 : L(QStringLiteral("系统事件不再自动收起启动台。")));
}

// ------------------------------------------------------------ commands

void SettingsWindowController::requestAccessibility()
{
    // There is no permission to grant on X11: the button asks the X server
    // for the input channels again, and the status says what came of it.
    m_host.requestAccessibility();
    refreshInputStatus();
    setStatus(L(QStringLiteral("已再次向 X 服务器申请输入通道：%@。"),
                m_host.inputStatus().value_or(L(QStringLiteral("输入通道未启动")))));
}

void SettingsWindowController::importNative()
{
    const std::optional<ImportSummary> summary =
        m_host.importNativeLayout() ? m_host.lastImportSummary() : std::nullopt;
    if (summary)
        setStatus(L(QStringLiteral("已导入系统启动台的 %@。"), summary->statusText()));
    else
        setStatus(L(QStringLiteral("未找到原生启动台布局数据库（或数据库为空）。")));
}

void SettingsWindowController::importFromSource()
{
    const QList<LayoutSourceRecord> records = m_host.availableLayoutSources();
    if (records.isEmpty()) {
        setStatus(L(QStringLiteral("未在本机发现其它启动器的布局数据。")));
        return;
    }
    QStringList labels;
    for (const LayoutSourceRecord &record : records)
        labels.append(record.label());
    const std::optional<int> chosen =
        m_environment.chooseLayoutSource ? m_environment.chooseLayoutSource(m_window.get(), labels) : std::nullopt;
    if (!chosen || *chosen < 0 || *chosen >= records.size())
        return;
    const LayoutSourceRecord &record = records.at(*chosen);
    const std::optional<ImportSummary> summary = m_host.importLayout(record) ? m_host.lastImportSummary() : std::nullopt;
    if (summary)
        setStatus(L(QStringLiteral("已从 %@ 导入 %@ · %@"), record.source.label(), summary->statusText(),
                    m_host.lastImportDetail()));
    else
        setStatus(L(QStringLiteral("「%@」没有可导入的布局。"), record.source.label()));
}

void SettingsWindowController::reorganize()
{
    // Rearranging by name discards the user's order; the previous layout
    // stays beside the new one.
    LayoutBackup::keep(m_host.layoutFilePath());
    m_host.reorganize();
    setStatus(L(QStringLiteral("已按名称重新整理布局。")));
}

void SettingsWindowController::rescan()
{
    m_host.rescan();
    setStatus(L(QStringLiteral("已重新扫描，共 %d 个应用。"), m_host.appCount()));
}

void SettingsWindowController::addSource()
{
    const std::optional<QString> folder =
        m_environment.chooseFolder ? m_environment.chooseFolder(m_window.get()) : std::nullopt;
    if (!folder || folder->isEmpty())
        return;
    if (m_host.customSources().contains(*folder)) {
        setStatus(L(QStringLiteral("已在列表中：%@"), *folder));
        return;
    }
    m_host.addSource(*folder);
    reloadSources();
    setStatus(L(QStringLiteral("已添加：%@"), *folder));
}

void SettingsWindowController::removeSource()
{
    const QStringList sources = m_host.customSources();
    const int row = m_sourcesTable->currentRow();
    if (row < 0 || row >= sources.size() || m_sourcesTable->selectedItems().isEmpty())
        return;
    m_host.removeSource(sources.at(row));
    reloadSources();
    setStatus(L(QStringLiteral("已移除所选来源。")));
}

void SettingsWindowController::reloadSources()
{
    const QSignalBlocker quiet(m_sourcesTable);
    m_sourcesTable->clear();
    for (const QString &path : m_host.customSources()) {
        auto *item = new QListWidgetItem(path, m_sourcesTable);
        item->setSizeHint(QSize(0, 22));
        item->setToolTip(path);
    }
}

void SettingsWindowController::setStatus(const QString &text)
{
    // One line, cut at its end; the whole text is the line's tooltip.
    m_statusText = text;
    const int width = windowWidth - 2 * SettingsStatusBar::inset;
    m_statusLabel->setText(QFontMetrics(m_statusLabel->font()).elidedText(text, Qt::ElideRight, width));
    m_statusLabel->setToolTip(text);
}
