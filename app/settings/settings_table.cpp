// The settings table: one row per setting of the settings window, in the
// order the pages show them, and the few kinds of row it is made of.
#include "settings_table.h"

#include "settings_context.h"

#include "localization/app_language.h"
#include "localization/key_words.h"
#include "localization/l10n.h"
#include "model/pinch_gesture.h"

namespace {

using Change = SettingsHost::SettingsChange;
using Report = SettingRow::Report;

template <typename Case>
int indexOf(const QList<Case> &cases, Case value)
{
    const qsizetype index = cases.indexOf(value);
    return index < 0 ? 0 : int(index);
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

SettingRow blankRow(SettingRow::Control control, const char *name, const QString &caption, SettingsSection section)
{
    SettingRow row;
    row.control = control;
    row.name = name;
    row.caption = caption;
    row.section = section;
    return row;
}

// A pop-up over the cases of an enumeration, titled by their labels.
template <typename Case>
SettingRow caseRow(const char *name, const QString &caption, SettingsSection section, Case Settings::*field,
                   Report report = {})
{
    SettingRow row = blankRow(SettingRow::Control::popup, name, caption, section);
    row.read = [field](const Settings &settings) { return double(indexOf(Case::allCases(), settings.*field)); };
    row.write = [field](double item) -> Change {
        const std::optional<Case> chosen = caseAt(Case::allCases(), int(item));
        if (!chosen)
            return {};
        return [field, value = *chosen](Settings &settings) { settings.*field = value; };
    };
    row.items = [] {
        QStringList titles;
        for (const Case &value : Case::allCases())
            titles.append(KeyWords::forDisplay(value.label()));
        return titles;
    };
    row.report = std::move(report);
    return row;
}

// A pop-up of the whole numbers `first` to `last`.
SettingRow countRow(const char *name, const QString &caption, SettingsSection section, int Settings::*field, int first,
                    int last)
{
    SettingRow row = blankRow(SettingRow::Control::popup, name, caption, section);
    row.read = [field, first](const Settings &settings) { return double(std::max(0, settings.*field - first)); };
    row.write = [field, first](double item) -> Change {
        if (item < 0)
            return {};
        return [field, count = int(item) + first](Settings &settings) { settings.*field = count; };
    };
    row.items = [first, last] {
        QStringList numbers;
        for (int n = first; n <= last; ++n)
            numbers.append(QString::number(n));
        return numbers;
    };
    return row;
}

SettingRow switchRow(const char *name, const QString &caption, SettingsSection section, bool Settings::*field,
                     Report report = {})
{
    SettingRow row = blankRow(SettingRow::Control::toggle, name, caption, section);
    row.read = [field](const Settings &settings) { return settings.*field ? 1.0 : 0.0; };
    row.write = [field](double value) -> Change {
        return [field, on = value != 0](Settings &settings) { settings.*field = on; };
    };
    row.report = std::move(report);
    return row;
}

SettingRow sliderRow(const char *name, const QString &caption, SettingsSection section, double Settings::*field,
                     double minimum, double maximum, const char *valueLabel = nullptr)
{
    SettingRow row = blankRow(SettingRow::Control::slider, name, caption, section);
    row.read = [field](const Settings &settings) { return settings.*field; };
    row.write = [field](double value) -> Change {
        return [field, value](Settings &settings) { settings.*field = value; };
    };
    row.minimum = minimum;
    row.maximum = maximum;
    row.valueLabel = valueLabel;
    return row;
}

// The status line says what a switch now does, one text for on, one for off.
Report tellSwitch(bool Settings::*field, const QString &onKey, const QString &offKey)
{
    return [field, onKey, offKey](SettingsContext &context, const Settings &chosen) {
        context.setStatus(chosen.*field ? L(onKey) : L(offKey));
    };
}

SettingRow languageRow()
{
    SettingRow row = blankRow(SettingRow::Control::popup, "languagePopup", QStringLiteral("语言"), SettingsSection::language);
    row.read = [](const Settings &settings) { return double(indexOf(AppLanguage::allCases(), settings.language)); };
    row.write = [](double item) -> Change {
        const QList<AppLanguage> languages = AppLanguage::allCases();
        if (item < 0 || item >= languages.size())
            return {};
        return [language = languages.at(int(item))](Settings &settings) { settings.language = language; };
    };
    row.items = [] {
        QStringList names;
        for (const AppLanguage &language : AppLanguage::allCases())
            names.append(language.displayName());
        return names;
    };
    // A real change of the interface language has rebuilt the window in the
    // new language by now.
    row.report = [](SettingsContext &context, const Settings &) {
        context.setStatus(L(QStringLiteral("界面语言已设为 %@"), L10n::current().displayName()));
    };
    return row;
}

std::vector<SettingRow> makeTable()
{
    using S = SettingsSection;
    return {
        // ------------------------------------------------------------ General
        languageRow(),
        caseRow("hotKeyPopup", QStringLiteral("全局快捷键"), S::activation, &Settings::hotKey,
                [](SettingsContext &context, const Settings &chosen) {
                    context.host().hotKeyChanged();
                    // Whatever the start found is old news now.
                    context.dismissHotKeyNotice();
                    if (context.host().hotKeyHeldElsewhere())
                        context.setStatus(hotKeyTakenText(chosen.hotKey));
                    else
                        context.setStatus(
                            L(QStringLiteral("全局快捷键已设为 %@"), KeyWords::forDisplay(chosen.hotKey.label())));
                }),
        switchRow("f4Button", QStringLiteral("F4 / 启动台键"), S::activation, &Settings::enableF4Shortcut,
                  tellSwitch(&Settings::enableF4Shortcut, QStringLiteral("已启用 F4 / 启动台键；它需要键盘与手势监听。"),
                             QStringLiteral("已关闭 F4 / 启动台键。"))),
        caseRow("pinchPopup", QStringLiteral("捏合手势"), S::activation, &Settings::pinchGesture,
                [](SettingsContext &context, const Settings &chosen) {
                    const PinchGesture gesture = chosen.pinchGesture;
                    context.setStatus(gesture == PinchGesture::off
                                          ? L(QStringLiteral("捏合手势已关闭。"))
                                          : L(QStringLiteral("捏合手势已设为 %@。"), gesture.label()));
                }),
        caseRow("cornerPopup", QStringLiteral("触发角"), S::activation, &Settings::hotCorner,
                [](SettingsContext &context, const Settings &chosen) {
                    context.host().hotCornerChanged();
                    const Settings::HotCorner corner = chosen.hotCorner;
                    context.setStatus(corner == Settings::HotCorner::none
                                          ? L(QStringLiteral("触发角已关闭"))
                                          : L(QStringLiteral("触发角已设为 %@"), corner.label()));
                }),

        // ---------------------------------------------------------- Interface
        countRow("columnsPopup", QStringLiteral("每页列数"), S::grid, &Settings::columns, 4, 10),
        countRow("rowsPopup", QStringLiteral("每页行数"), S::grid, &Settings::rows, 3, 7),
        caseRow("modePopup", QStringLiteral("浏览方式"), S::grid, &Settings::viewMode),
        sliderRow("marginSlider", QStringLiteral("两侧留白"), S::grid, &Settings::sideInset, 0.02, 0.28,
                  "marginValueLabel"),
        sliderRow("iconSlider", QStringLiteral("图标大小"), S::grid, &Settings::iconScale, 0.75, 1.25, "iconValueLabel"),
        sliderRow("dimSlider", QStringLiteral("背景暗度"), S::appearance, &Settings::dim, 0, 0.85),
        switchRow("animateButton", QStringLiteral("页面滑动动画"), S::appearance, &Settings::animate),
        switchRow("labelsButton", QStringLiteral("显示应用名称"), S::appearance, &Settings::showLabels),
        switchRow("hiddenButton", QStringLiteral("显示已隐藏应用"), S::appearance, &Settings::showHidden),
        switchRow("launchpadNamesButton", QStringLiteral("使用启动台名称"), S::appearance, &Settings::useLaunchpadNames,
                  [](SettingsContext &context, const Settings &chosen) {
                      // The names come from the scan.
                      context.host().rescan();
                      tellSwitch(&Settings::useLaunchpadNames,
                                 QStringLiteral("名称已与系统启动台一致（含「Siri」「Safari浏览器」等本地化名）。"),
                                 QStringLiteral("已改用应用自带名称；启动台里的隐藏应用仍会显示图标。"))(context, chosen);
                  }),

        // --------------------------------------------------------------- Apps
        switchRow("adoptGridButton", QStringLiteral("采纳来源网格"), S::layoutMaintenance, &Settings::adoptImportGrid,
                  tellSwitch(&Settings::adoptImportGrid,
                             QStringLiteral("导入时仅采纳导入来源记录的网格行列数；本系统没有 Dock 网格偏好。"),
                             QStringLiteral("导入时保持当前网格设置。"))),
        switchRow("pureUninstallButton", QStringLiteral("默认纯净卸载"), S::uninstall, &Settings::pureUninstall,
                  tellSwitch(&Settings::pureUninstall,
                             QStringLiteral("已默认开启纯净卸载：卸载时一并清理可明确归属的残留文件。"),
                             QStringLiteral("已默认关闭纯净卸载：卸载时只把应用移到废纸篓。"))),

        // ----------------------------------------------------------- Advanced
        switchRow("eventTapButton", QStringLiteral("键盘与手势监听"), S::input, &Settings::useEventTap,
                  tellSwitch(&Settings::useEventTap,
                             QStringLiteral("已启用键盘与手势监听；关闭后仅用 X11 按键抓取与触发角。"),
                             QStringLiteral("已退回零权限模式：X11 按键抓取 + 触发角。"))),
        switchRow("hideOnSystemButton", QStringLiteral("系统事件时收起"), S::input, &Settings::hideOnSystemEvents,
                  tellSwitch(&Settings::hideOnSystemEvents, QStringLiteral("锁屏、休眠、显示桌面时会自动收起启动台。"),
                             QStringLiteral("系统事件不再自动收起启动台。"))),
    };
}

} // namespace

const std::vector<SettingRow> &settingsTable()
{
    static const std::vector<SettingRow> table = makeTable();
    return table;
}

QString hotKeyTakenText(Settings::HotKeyPreset preset)
{
    return L(QStringLiteral("全局快捷键 %@ 已被其他程序占用，未能设置"), KeyWords::forDisplay(preset.label()));
}

QString percentText(double value)
{
    return QString::asprintf("%.0f%%", value * 100);
}
