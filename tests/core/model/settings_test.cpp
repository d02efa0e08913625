#include "localization/l10n.h"
#include "model/file_user_defaults.h"
#include "model/memory_user_defaults.h"
#include "model/settings.h"
#include "support/temp_env.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInfinity = std::numeric_limits<double>::infinity();

TEST(SettingsTest, EmptyStoreLoadsTheDefaults)
{
    MemoryUserDefaults defaults;
    const Settings settings = Settings::load(defaults);
    EXPECT_EQ(settings, Settings());
    EXPECT_EQ(settings.pageSize(), 35);
    EXPECT_EQ(settings.columns, 7);
    EXPECT_EQ(settings.rows, 5);
    EXPECT_DOUBLE_EQ(settings.dim, 0.34);
    EXPECT_EQ(settings.viewMode, Settings::ViewMode::pages);
    EXPECT_EQ(settings.hotKey, Settings::HotKeyPreset::optionSpace);
    EXPECT_EQ(settings.hotCorner, Settings::HotCorner::none);
    EXPECT_FALSE(settings.showHidden);
    EXPECT_TRUE(settings.animate && settings.showLabels && settings.useEventTap && settings.enableF4Shortcut);
    EXPECT_EQ(settings.pinchGesture, PinchGesture::off);
    EXPECT_TRUE(settings.hideOnSystemEvents);
    EXPECT_FALSE(settings.adoptImportGrid);
    EXPECT_DOUBLE_EQ(settings.sideInset, 0.16);
    EXPECT_DOUBLE_EQ(settings.iconScale, 1.0);
    EXPECT_TRUE(settings.useLaunchpadNames && settings.pureUninstall);
    EXPECT_EQ(settings.language, AppLanguage::system);
}

// One stored value and the field it must produce.
struct LoadCase
{
    const char *name;
    const char *field;
    QVariant stored;
    std::function<bool(const Settings &)> holds;
};

class SettingsLoadTest : public ::testing::TestWithParam<LoadCase>
{
};

TEST_P(SettingsLoadTest, ReadsClampsOrKeepsDefault)
{
    const LoadCase &c = GetParam();
    MemoryUserDefaults defaults;
    ASSERT_TRUE(defaults.setObject(Settings::key(QString::fromLatin1(c.field)), c.stored));
    const Settings settings = Settings::load(defaults);
    EXPECT_TRUE(c.holds(settings)) << "columns=" << settings.columns << " rows=" << settings.rows
                                   << " dim=" << settings.dim << " sideInset=" << settings.sideInset
                                   << " iconScale=" << settings.iconScale;
}

INSTANTIATE_TEST_SUITE_P(
    Clamping, SettingsLoadTest,
    ::testing::Values(
        LoadCase{"ColumnsAbove", "columns", 12, [](const Settings &s) { return s.columns == 10; }},
        LoadCase{"ColumnsBelow", "columns", 0, [](const Settings &s) { return s.columns == 4; }},
        LoadCase{"RowsBelow", "rows", 1, [](const Settings &s) { return s.rows == 3; }},
        LoadCase{"RowsAbove", "rows", 70, [](const Settings &s) { return s.rows == 7; }},
        LoadCase{"DimAbove", "dim", 0.9, [](const Settings &s) { return s.dim == 0.85; }},
        LoadCase{"DimZeroTaken", "dim", 0.0, [](const Settings &s) { return s.dim == 0.0; }},
        LoadCase{"DimNegative", "dim", -1.5, [](const Settings &s) { return s.dim == 0.0; }},
        LoadCase{"SideInsetAbove", "sideInset", 0.5, [](const Settings &s) { return s.sideInset == 0.28; }},
        LoadCase{"IconScaleBelow", "iconScale", 0.5, [](const Settings &s) { return s.iconScale == 0.75; }},
        LoadCase{"IconScaleInRange", "iconScale", 1.1, [](const Settings &s) { return s.iconScale == 1.1; }},
        LoadCase{"HugeIntegerSaturates", "columns", qint64(1) << 40, [](const Settings &s) { return s.columns == 10; }},
        LoadCase{"HugeNegativeInteger", "rows", -(qint64(1) << 40), [](const Settings &s) { return s.rows == 3; }},
        LoadCase{"HugeDoubleColumns", "columns", 1e300, [](const Settings &s) { return s.columns == 10; }},
        LoadCase{"FractionalColumnsTruncate", "columns", 7.9, [](const Settings &s) { return s.columns == 7; }},
        LoadCase{"IntegerForDouble", "dim", 0, [](const Settings &s) { return s.dim == 0.0; }},
        LoadCase{"NumericTextColumns", "columns", QString(" 8 "), [](const Settings &s) { return s.columns == 8; }}),
    [](const ::testing::TestParamInfo<LoadCase> &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    NonFinite, SettingsLoadTest,
    ::testing::Values(
        LoadCase{"ColumnsNaN", "columns", kNaN, [](const Settings &s) { return s.columns == 7; }},
        LoadCase{"RowsInfinity", "rows", kInfinity, [](const Settings &s) { return s.rows == 5; }},
        LoadCase{"DimNaN", "dim", kNaN, [](const Settings &s) { return s.dim == 0.34; }},
        LoadCase{"DimInfinity", "dim", kInfinity, [](const Settings &s) { return s.dim == 0.34; }},
        LoadCase{"SideInsetMinusInfinity", "sideInset", -kInfinity, [](const Settings &s) { return s.sideInset == 0.16; }},
        LoadCase{"IconScaleNaNText", "iconScale", QString("nan"), [](const Settings &s) { return s.iconScale == 1.0; }},
        LoadCase{"ColumnsNotANumber", "columns", QString("wide"), [](const Settings &s) { return s.columns == 7; }},
        LoadCase{"DimList", "dim", QVariantList{0.5}, [](const Settings &s) { return s.dim == 0.34; }}),
    [](const ::testing::TestParamInfo<LoadCase> &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    BooleansAndEnumerations, SettingsLoadTest,
    ::testing::Values(
        LoadCase{"AnimateFalseTaken", "animate", false, [](const Settings &s) { return !s.animate; }},
        LoadCase{"AnimateZero", "animate", 0, [](const Settings &s) { return !s.animate; }},
        LoadCase{"AnimateNoText", "animate", QString("NO"), [](const Settings &s) { return !s.animate; }},
        LoadCase{"AnimateGarbageKeepsDefault", "animate", QString("maybe"), [](const Settings &s) { return s.animate; }},
        LoadCase{"ShowHiddenTrue", "showHidden", true, [](const Settings &s) { return s.showHidden; }},
        LoadCase{"HotKeyExact", "hotKey", QString("f4"), [](const Settings &s) { return s.hotKey == Settings::HotKeyPreset::f4; }},
        LoadCase{"HotKeyUnknown", "hotKey", QString("hyper"),
                 [](const Settings &s) { return s.hotKey == Settings::HotKeyPreset::optionSpace; }},
        LoadCase{"HotKeyOtherCase", "hotKey", QString("ControlSpace"),
                 [](const Settings &s) { return s.hotKey == Settings::HotKeyPreset::optionSpace; }},
        LoadCase{"HotKeyNumber", "hotKey", 2, [](const Settings &s) { return s.hotKey == Settings::HotKeyPreset::optionSpace; }},
        LoadCase{"ViewModeScroll", "viewMode", QString("scroll"),
                 [](const Settings &s) { return s.viewMode == Settings::ViewMode::scroll; }},
        LoadCase{"HotCornerBottomRight", "hotCorner", QString("bottomRight"),
                 [](const Settings &s) { return s.hotCorner == Settings::HotCorner::bottomRight; }},
        LoadCase{"PinchFour", "pinchGesture", QString("four"), [](const Settings &s) { return s.pinchGesture == PinchGesture::four; }},
        LoadCase{"LanguageExact", "language", QString("zh-Hans"), [](const Settings &s) { return s.language == AppLanguage::zhHans; }},
        LoadCase{"LanguageNotLenient", "language", QString("EN"), [](const Settings &s) { return s.language == AppLanguage::system; }}),
    [](const ::testing::TestParamInfo<LoadCase> &info) { return std::string(info.param.name); });

TEST(SettingsTest, UnusableNumberIsLoggedOnce)
{
    MemoryUserDefaults defaults;
    defaults.setDouble(QStringLiteral("Tessellon.dim"), kNaN);
    LogCapture log;
    Settings::load(defaults);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().contains(QStringLiteral("key=Tessellon.dim")));
}

TEST(SettingsTest, ConstructorClampsNumericFields)
{
    const Settings settings(0, 5, 0.34, Settings::ViewMode::pages, Settings::HotKeyPreset::optionSpace,
                            Settings::HotCorner::none, false, true, true, true, true, PinchGesture::off, true, false,
                            0.16, false, 2.0);
    EXPECT_EQ(settings.columns, 4);
    EXPECT_EQ(settings.iconScale, 1.25);
    // The parameter before iconScale is useLaunchpadNames.
    EXPECT_FALSE(settings.useLaunchpadNames);

    const Settings notANumber(7, 5, kNaN);
    EXPECT_EQ(notANumber.dim, 0.34);
    const Settings infinite(7, 5, kInfinity);
    EXPECT_EQ(infinite.dim, 0.85);
}

TEST(SettingsTest, SaveWritesNineteenTypedKeysAsHeld)
{
    Settings settings;
    settings.columns = 20; // assigned directly: not clamped, saved as is
    settings.dim = 0.5;
    settings.hotCorner = Settings::HotCorner::topLeft;
    settings.language = AppLanguage::ja;
    settings.animate = false;
    MemoryUserDefaults defaults;
    settings.save(defaults);

    const QVariantMap stored = defaults.dictionaryRepresentation();
    EXPECT_EQ(stored.keys().size(), 19);
    for (const QString &key : Settings::allKeys())
        EXPECT_TRUE(stored.contains(key)) << key.toStdString();
    EXPECT_EQ(stored.value("Tessellon.columns"), QVariant(qint64(20)));
    EXPECT_EQ(stored.value("Tessellon.rows"), QVariant(qint64(5)));
    EXPECT_EQ(stored.value("Tessellon.dim"), QVariant(0.5));
    EXPECT_EQ(stored.value("Tessellon.iconScale"), QVariant(1.0));
    EXPECT_EQ(stored.value("Tessellon.animate"), QVariant(false));
    EXPECT_EQ(stored.value("Tessellon.hideOnSystemEvents"), QVariant(true));
    EXPECT_EQ(stored.value("Tessellon.viewMode"), QVariant(QStringLiteral("pages")));
    EXPECT_EQ(stored.value("Tessellon.hotKey"), QVariant(QStringLiteral("optionSpace")));
    EXPECT_EQ(stored.value("Tessellon.hotCorner"), QVariant(QStringLiteral("topLeft")));
    EXPECT_EQ(stored.value("Tessellon.pinchGesture"), QVariant(QStringLiteral("off")));
    EXPECT_EQ(stored.value("Tessellon.language"), QVariant(QStringLiteral("ja")));

    EXPECT_EQ(Settings::load(defaults).columns, 10);
}

Settings unusualSettings()
{
    return Settings(9, 4, 0.6, Settings::ViewMode::scroll, Settings::HotKeyPreset::commandShiftSpace,
                    Settings::HotCorner::bottomLeft, true, false, false, false, false, PinchGesture::system, false,
                    true, 0.02, false, 0.8, false, AppLanguage::de);
}

TEST(SettingsTest, RoundTripsThroughMemoryStore)
{
    MemoryUserDefaults defaults;
    unusualSettings().save(defaults);
    EXPECT_EQ(Settings::load(defaults), unusualSettings());
}

TEST(SettingsTest, PersistsAcrossFileStoreInstances)
{
    TempHome home;
    {
        FileUserDefaults first;
        unusualSettings().save(first);
    }
    FileUserDefaults second;
    EXPECT_EQ(second.filePath(), home.filePath(QStringLiteral("config/Tessellon/defaults.json")));
    EXPECT_EQ(Settings::load(second), unusualSettings());
    // Whole numbers stored as doubles come back equal too.
    Settings whole;
    whole.iconScale = 1.0;
    whole.dim = 0.0;
    whole.save(second);
    FileUserDefaults third;
    EXPECT_EQ(Settings::load(third), whole);
}

TEST(SettingsTest, NonFiniteDoubleSavedToFileComesBackAsDefault)
{
    TempHome home;
    Settings settings;
    settings.sideInset = kNaN;
    settings.dim = kInfinity;
    {
        FileUserDefaults first;
        settings.save(first);
    }
    FileUserDefaults second;
    const Settings loaded = Settings::load(second);
    EXPECT_EQ(loaded.sideInset, 0.16);
    EXPECT_EQ(loaded.dim, 0.34);
}

struct HotKeyCase
{
    Settings::HotKeyPreset preset;
    const char *rawValue;
    quint32 keyCode;
    quint32 modifiers;
    const char *englishLabel;
};

TEST(SettingsEnumerationTest, HotKeyPresets)
{
    L10n::setForTesting(AppLanguage::en);
    const HotKeyCase cases[] = {
        {Settings::HotKeyPreset::optionSpace, "optionSpace", 49, 2048, "⌥ Space"},
        {Settings::HotKeyPreset::f4, "f4", 118, 0, "F4"},
        {Settings::HotKeyPreset::commandShiftSpace, "commandShiftSpace", 49, 768, "⌘ ⇧ Space"},
        {Settings::HotKeyPreset::controlSpace, "controlSpace", 49, 4096, "⌃ Space"},
        {Settings::HotKeyPreset::disabled, "disabled", 0, 0, "Off"},
    };
    ASSERT_EQ(Settings::HotKeyPreset::allCases().size(), 5);
    for (qsizetype i = 0; i < 5; ++i) {
        const HotKeyCase &c = cases[i];
        EXPECT_EQ(Settings::HotKeyPreset::allCases()[i], c.preset);
        EXPECT_EQ(c.preset.rawValue(), QString::fromUtf8(c.rawValue));
        EXPECT_EQ(Settings::HotKeyPreset::fromRawValue(QString::fromUtf8(c.rawValue)), c.preset);
        EXPECT_EQ(c.preset.keyCode(), c.keyCode);
        EXPECT_EQ(c.preset.modifiers(), c.modifiers);
        EXPECT_EQ(c.preset.label().toStdString(), c.englishLabel);
    }
    L10n::setForTesting(AppLanguage::zhHans);
    EXPECT_EQ(Settings::HotKeyPreset(Settings::HotKeyPreset::disabled).label(), QStringLiteral("关闭"));
    EXPECT_EQ(Settings::HotKeyPreset(Settings::HotKeyPreset::optionSpace).label(), QStringLiteral("⌥ Space"));
}

TEST(SettingsEnumerationTest, CornersAndViewModesFollowTheLanguage)
{
    L10n::setForTesting(AppLanguage::en);
    QStringList corners;
    for (Settings::HotCorner corner : Settings::HotCorner::allCases())
        corners << corner.rawValue() + QLatin1Char('=') + corner.label();
    EXPECT_EQ(corners.join(u',').toStdString(),
              "none=Off,topLeft=Top left,topRight=Top right,bottomLeft=Bottom left,bottomRight=Bottom right");
    QStringList modes;
    for (Settings::ViewMode mode : Settings::ViewMode::allCases())
        modes << mode.rawValue() + QLatin1Char('=') + mode.label();
    EXPECT_EQ(modes.join(u',').toStdString(), "pages=Pages,scroll=Vertical scroll");
    L10n::setForTesting(AppLanguage::zhHans);
    EXPECT_EQ(Settings::ViewMode(Settings::ViewMode::scroll).label(), QStringLiteral("纵向滚动"));
    EXPECT_FALSE(Settings::HotCorner::fromRawValue(QStringLiteral("TopLeft")).has_value());
    EXPECT_FALSE(Settings::ViewMode::fromRawValue(QStringLiteral("")).has_value());
}

} // namespace
