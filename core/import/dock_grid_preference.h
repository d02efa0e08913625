#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <functional>
#include <optional>

// The system launcher's grid size as the Dock stores it.
struct DockGridPreference
{
    std::optional<int> columns; // 4...10 when read from the Dock
    std::optional<int> rows;    // 3...7 when read from the Dock

    bool isUsable() const { return columns.has_value() && rows.has_value(); }
    // "7 × 5", or nothing unless both are present.
    std::optional<QString> label() const;

    static inline const QString kColumnsKey = QStringLiteral("springboard-columns");
    static inline const QString kRowsKey = QStringLiteral("springboard-rows");
    static inline const QString kDockDomain = QStringLiteral("com.apple.dock");

    // Integers as they stand, numbers truncated, trimmed decimal strings;
    // anything else (NaN included) is absent. Present values are clamped.
    static DockGridPreference parse(const QVariantMap &values);

    // Reads one key of the Dock's preferences; nothing when it holds none.
    using Reader = std::function<std::optional<QVariant>(const QString &key)>;
    // There is no Dock domain outside macOS: the real readers find nothing.
    static Reader defaultSuiteReader();
    static Reader defaultPreferencesReader();

    // The suite's value for each key, else the preferences system's.
    static DockGridPreference systemPreference(const Reader &suite = defaultSuiteReader(),
                                               const Reader &preferences = defaultPreferencesReader());

    friend bool operator==(const DockGridPreference &, const DockGridPreference &) = default;
};
