#include "settings.h"

#include "foundation/log.h"
#include "localization/l10n.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kMinColumns = 4;
constexpr int kMaxColumns = 10;
constexpr int kMinRows = 3;
constexpr int kMaxRows = 7;

// Lower bound first, then upper. NaN has no place in the range: it takes the
// default, so no NaN ever reaches geometry or opacity.
double clampedDouble(double value, double lower, double upper, double fallback)
{
    if (std::isnan(value))
        return fallback;
    return std::min(std::max(value, lower), upper);
}

void clampRanges(Settings &settings)
{
    settings.columns = std::min(std::max(settings.columns, kMinColumns), kMaxColumns);
    settings.rows = std::min(std::max(settings.rows, kMinRows), kMaxRows);
    settings.dim = clampedDouble(settings.dim, 0.0, 0.85, 0.34);
    settings.sideInset = clampedDouble(settings.sideInset, 0.02, 0.28, 0.16);
    settings.iconScale = clampedDouble(settings.iconScale, 0.75, 1.25, 1.0);
}

void logUnusable(const QString &key)
{
    Log::write("[settings] ignored key=%@ reason=unusable value", key);
}

// An integer field: a stored value that is no number, NaN or infinite keeps the
// default; a huge one saturates before it is narrowed (and clamped later).
void readInteger(const UserDefaults &defaults, QStringView field, int &target)
{
    const QString key = Settings::key(field);
    if (!defaults.contains(key))
        return;
    const std::optional<qint64> value = defaults.integer(key);
    if (!value) {
        logUnusable(key);
        return;
    }
    target = static_cast<int>(std::clamp<qint64>(*value, std::numeric_limits<int>::min(),
                                                 std::numeric_limits<int>::max()));
}

void readDouble(const UserDefaults &defaults, QStringView field, double &target)
{
    const QString key = Settings::key(field);
    if (!defaults.contains(key))
        return;
    const std::optional<double> value = defaults.doubleValue(key);
    if (!value || !std::isfinite(*value)) {
        logUnusable(key);
        return;
    }
    target = *value;
}

void readBool(const UserDefaults &defaults, QStringView field, bool &target)
{
    const QString key = Settings::key(field);
    if (!defaults.contains(key))
        return;
    const std::optional<bool> value = defaults.boolValue(key);
    if (!value) {
        logUnusable(key);
        return;
    }
    target = *value;
}

template <typename Enumeration>
void readEnumeration(const UserDefaults &defaults, QStringView field, Enumeration &target)
{
    const std::optional<QString> text = defaults.string(Settings::key(field));
    if (!text)
        return;
    if (const std::optional<Enumeration> value = Enumeration::fromRawValue(*text))
        target = *value;
}

// AppLanguage takes only its exact raw values here, not the lenient parse.
void readLanguage(const UserDefaults &defaults, QStringView field, AppLanguage &target)
{
    const std::optional<QString> text = defaults.string(Settings::key(field));
    if (!text)
        return;
    if (const std::optional<AppLanguage> value = AppLanguage::fromRawValue(*text))
        target = *value;
}

} // namespace

// ViewMode

QString Settings::ViewMode::label() const
{
    switch (m_value) {
    case pages: return L(QStringLiteral("分页"));
    case scroll: return L(QStringLiteral("纵向滚动"));
    }
    return QString();
}

// HotKeyPreset

QString Settings::HotKeyPreset::label() const
{
    switch (m_value) {
    case optionSpace: return QStringLiteral(u"⌥ Space");
    case f4: return QStringLiteral("F4");
    case commandShiftSpace: return QStringLiteral(u"⌘ ⇧ Space");
    case controlSpace: return QStringLiteral(u"⌃ Space");
    case disabled: return L(QStringLiteral("关闭"));
    }
    return QString();
}

quint32 Settings::HotKeyPreset::keyCode() const
{
    constexpr quint32 kSpace = 49;
    constexpr quint32 kF4 = 118;
    switch (m_value) {
    case optionSpace:
    case commandShiftSpace:
    case controlSpace: return kSpace;
    case f4: return kF4;
    case disabled: return 0;
    }
    return 0;
}

quint32 Settings::HotKeyPreset::modifiers() const
{
    // The modifier bits as macOS numbers them, so a stored preset means the
    // same key everywhere.
    constexpr quint32 kCmdKey = 1u << 8;
    constexpr quint32 kShiftKey = 1u << 9;
    constexpr quint32 kOptionKey = 1u << 11;
    constexpr quint32 kControlKey = 1u << 12;
    switch (m_value) {
    case optionSpace: return kOptionKey;
    case commandShiftSpace: return kCmdKey | kShiftKey;
    case controlSpace: return kControlKey;
    case f4:
    case disabled: return 0;
    }
    return 0;
}

// HotCorner

QString Settings::HotCorner::label() const
{
    switch (m_value) {
    case none: return L(QStringLiteral("关闭"));
    case topLeft: return L(QStringLiteral("左上角"));
    case topRight: return L(QStringLiteral("右上角"));
    case bottomLeft: return L(QStringLiteral("左下角"));
    case bottomRight: return L(QStringLiteral("右下角"));
    }
    return QString();
}

// Settings

Settings::Settings(int columns_, int rows_, double dim_, ViewMode viewMode_, HotKeyPreset hotKey_,
                   HotCorner hotCorner_, bool showHidden_, bool animate_, bool showLabels_, bool useEventTap_,
                   bool enableF4Shortcut_, PinchGesture pinchGesture_, bool hideOnSystemEvents_,
                   bool adoptImportGrid_, double sideInset_, bool useLaunchpadNames_, double iconScale_,
                   bool pureUninstall_, AppLanguage language_)
    : columns(columns_), rows(rows_), dim(dim_), viewMode(viewMode_), hotKey(hotKey_), hotCorner(hotCorner_),
      showHidden(showHidden_), animate(animate_), showLabels(showLabels_), useEventTap(useEventTap_),
      enableF4Shortcut(enableF4Shortcut_), pinchGesture(pinchGesture_), hideOnSystemEvents(hideOnSystemEvents_),
      adoptImportGrid(adoptImportGrid_), sideInset(sideInset_), iconScale(iconScale_),
      useLaunchpadNames(useLaunchpadNames_), pureUninstall(pureUninstall_), language(language_)
{
    clampRanges(*this);
}

QStringList Settings::allKeys()
{
    static const char *const kFields[] = {
        "columns",          "rows",         "dim",                "viewMode",        "hotKey",
        "hotCorner",        "showHidden",   "animate",            "showLabels",      "useEventTap",
        "enableF4Shortcut", "pinchGesture", "hideOnSystemEvents", "adoptImportGrid", "sideInset",
        "iconScale",        "useLaunchpadNames", "pureUninstall", "language",
    };
    QStringList keys;
    for (const char *field : kFields)
        keys.append(key(QString::fromLatin1(field)));
    return keys;
}

Settings Settings::load(const UserDefaults &defaults)
{
    Settings settings;
    readInteger(defaults, u"columns", settings.columns);
    readInteger(defaults, u"rows", settings.rows);
    readDouble(defaults, u"dim", settings.dim);
    readEnumeration(defaults, u"viewMode", settings.viewMode);
    readEnumeration(defaults, u"hotKey", settings.hotKey);
    readEnumeration(defaults, u"hotCorner", settings.hotCorner);
    readBool(defaults, u"showHidden", settings.showHidden);
    readBool(defaults, u"animate", settings.animate);
    readBool(defaults, u"showLabels", settings.showLabels);
    readBool(defaults, u"useEventTap", settings.useEventTap);
    readBool(defaults, u"enableF4Shortcut", settings.enableF4Shortcut);
    readEnumeration(defaults, u"pinchGesture", settings.pinchGesture);
    readBool(defaults, u"hideOnSystemEvents", settings.hideOnSystemEvents);
    readBool(defaults, u"adoptImportGrid", settings.adoptImportGrid);
    readDouble(defaults, u"sideInset", settings.sideInset);
    readDouble(defaults, u"iconScale", settings.iconScale);
    readBool(defaults, u"useLaunchpadNames", settings.useLaunchpadNames);
    readBool(defaults, u"pureUninstall", settings.pureUninstall);
    readLanguage(defaults, u"language", settings.language);
    clampRanges(settings);
    return settings;
}

void Settings::save(UserDefaults &defaults) const
{
    const UserDefaults::Batch batch(defaults);
    defaults.setInteger(key(u"columns"), columns);
    defaults.setInteger(key(u"rows"), rows);
    defaults.setDouble(key(u"dim"), dim);
    defaults.setString(key(u"viewMode"), viewMode.rawValue());
    defaults.setString(key(u"hotKey"), hotKey.rawValue());
    defaults.setString(key(u"hotCorner"), hotCorner.rawValue());
    defaults.setBool(key(u"showHidden"), showHidden);
    defaults.setBool(key(u"animate"), animate);
    defaults.setBool(key(u"showLabels"), showLabels);
    defaults.setBool(key(u"useEventTap"), useEventTap);
    defaults.setBool(key(u"enableF4Shortcut"), enableF4Shortcut);
    defaults.setString(key(u"pinchGesture"), pinchGesture.rawValue());
    defaults.setBool(key(u"hideOnSystemEvents"), hideOnSystemEvents);
    defaults.setBool(key(u"adoptImportGrid"), adoptImportGrid);
    defaults.setDouble(key(u"sideInset"), sideInset);
    defaults.setDouble(key(u"iconScale"), iconScale);
    defaults.setBool(key(u"useLaunchpadNames"), useLaunchpadNames);
    defaults.setBool(key(u"pureUninstall"), pureUninstall);
    defaults.setString(key(u"language"), language.rawValue());
}
