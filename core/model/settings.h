#pragma once

#include "foundation/string_enumeration.h"

#include "localization/app_language.h"
#include "pinch_gesture.h"
#include "user_defaults.h"

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Every user preference with its default and range. Stored in the user
// defaults one key per field, "Tessellon." + the field's name. The constructor
// and load() clamp the numeric fields; a field assigned directly is not
// clamped and is saved as held.
struct Settings
{
    // Paged grid or one vertically scrolling grid.
    class ViewMode : public StringEnumeration<ViewMode>
    {
    public:
        enum Value { pages, scroll };
        static constexpr EnumerationCase<Value> cases[] = {{pages, "pages"}, {scroll, "scroll"}};

        constexpr ViewMode(Value value) : m_value(value) {}
        constexpr operator Value() const { return m_value; }

        // Localized anew on every call.
        QString label() const;

    private:
        Value m_value;
    };

    // The global hot-key choices, with the virtual key code and the modifier
    // mask each one registers (bit 8 Command/Super, 9 Shift, 11 Option/Alt,
    // 12 Control).
    class HotKeyPreset : public StringEnumeration<HotKeyPreset>
    {
    public:
        enum Value { optionSpace, f4, commandShiftSpace, controlSpace, disabled };
        static constexpr EnumerationCase<Value> cases[] = {
            {optionSpace, "optionSpace"},
            {f4, "f4"},
            {commandShiftSpace, "commandShiftSpace"},
            {controlSpace, "controlSpace"},
            {disabled, "disabled"},
        };

        constexpr HotKeyPreset(Value value) : m_value(value) {}
        constexpr operator Value() const { return m_value; }

        // The key combinations are fixed texts; only `disabled` is localized.
        QString label() const;
        quint32 keyCode() const;
        quint32 modifiers() const;

    private:
        Value m_value;
    };

    // The screen corner that shows the launcher.
    class HotCorner : public StringEnumeration<HotCorner>
    {
    public:
        enum Value { none, topLeft, topRight, bottomLeft, bottomRight };
        static constexpr EnumerationCase<Value> cases[] = {
            {none, "none"},
            {topLeft, "topLeft"},
            {topRight, "topRight"},
            {bottomLeft, "bottomLeft"},
            {bottomRight, "bottomRight"},
        };

        constexpr HotCorner(Value value) : m_value(value) {}
        constexpr operator Value() const { return m_value; }

        // Localized anew on every call.
        QString label() const;

    private:
        Value m_value;
    };

    int columns = 7;                              // 4 ... 10
    int rows = 5;                                 // 3 ... 7
    double dim = 0.34;                            // 0 ... 0.85
    ViewMode viewMode = ViewMode::pages;
    HotKeyPreset hotKey = HotKeyPreset::optionSpace;
    HotCorner hotCorner = HotCorner::none;
    bool showHidden = false;
    bool animate = true;
    bool showLabels = true;
    bool useEventTap = true;
    bool enableF4Shortcut = true;
    PinchGesture pinchGesture = PinchGesture::off;
    bool hideOnSystemEvents = true;
    bool adoptImportGrid = false;
    double sideInset = 0.16;                      // 0.02 ... 0.28
    double iconScale = 1.0;                       // 0.75 ... 1.25
    bool useLaunchpadNames = true;
    bool pureUninstall = true;
    AppLanguage language = AppLanguage::system;

    // Note the parameter order at the end: useLaunchpadNames comes before
    // iconScale. The numeric fields are clamped; a NaN takes the default.
    explicit Settings(int columns = 7, int rows = 5, double dim = 0.34, ViewMode viewMode = ViewMode::pages,
                      HotKeyPreset hotKey = HotKeyPreset::optionSpace, HotCorner hotCorner = HotCorner::none,
                      bool showHidden = false, bool animate = true, bool showLabels = true, bool useEventTap = true,
                      bool enableF4Shortcut = true, PinchGesture pinchGesture = PinchGesture::off,
                      bool hideOnSystemEvents = true, bool adoptImportGrid = false, double sideInset = 0.16,
                      bool useLaunchpadNames = true, double iconScale = 1.0, bool pureUninstall = true,
                      AppLanguage language = AppLanguage::system);

    // Columns times rows: the capacity of one page.
    int pageSize() const { return columns * rows; }

    // Reads every field over its default: a missing key, a value that is not of
    // the field's kind, a NaN or infinite number and an unknown enumeration text
    // keep the default. The numeric fields are clamped afterwards.
    static Settings load(const UserDefaults &defaults = UserDefaults::standard());
    // Writes all nineteen keys, values exactly as held.
    void save(UserDefaults &defaults = UserDefaults::standard()) const;

    static inline const QString keyPrefix = QStringLiteral("Tessellon.");
    // keyPrefix + field, e.g. key(u"hideOnSystemEvents").
    static QString key(QStringView field) { return keyPrefix + field.toString(); }
    // The nineteen keys in field order.
    static QStringList allKeys();

    friend bool operator==(const Settings &, const Settings &) = default;
};
