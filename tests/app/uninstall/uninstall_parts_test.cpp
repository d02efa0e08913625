// The pieces of the confirmation: the minimum loading time, the scan box, the
// running-application probe on a made-up /proc and the residue list.
#include "uninstall/running_app_probe.h"
#include "uninstall/uninstall_accessory.h"
#include "uninstall/uninstall_flow.h"
#include "uninstall/uninstall_scan_box.h"

#include "localization/l10n.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QFileInfo>

#include <optional>

namespace {

struct LoadingCase
{
    const char *name;
    std::optional<QString> value;
    double seconds;
};

class MinimumLoadingTest : public testing::TestWithParam<LoadingCase>
{
};

TEST_P(MinimumLoadingTest, OnlyANumberFromZeroToTenCounts)
{
    EXPECT_DOUBLE_EQ(UninstallFlow::minimumLoadingTime(GetParam().value), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(Values, MinimumLoadingTest,
                         testing::Values(LoadingCase{"Unset", std::nullopt, 0.3},
                                         LoadingCase{"Zero", QStringLiteral("0"), 0},
                                         LoadingCase{"Ten", QStringLiteral("10"), 10},
                                         LoadingCase{"Fraction", QStringLiteral("1.5"), 1.5},
                                         LoadingCase{"Eleven", QStringLiteral("11"), 0.3},
                                         LoadingCase{"Negative", QStringLiteral("-1"), 0.3},
                                         LoadingCase{"NotANumber", QStringLiteral("abc"), 0.3},
                                         LoadingCase{"NaN", QStringLiteral("nan"), 0.3},
                                         LoadingCase{"Empty", QStringLiteral(""), 0.3}),
                         [](const testing::TestParamInfo<LoadingCase> &info) { return info.param.name; });

TEST(UninstallScanBox, TakesAResultOnceAndIgnoresOneNeverTaken)
{
    UninstallScanBox box;
    EXPECT_FALSE(box.consume().has_value());
    EXPECT_TRUE(box.result().isEmpty());
    const UninstallResidue residue(QStringLiteral("/h/Library/Caches/x"), UninstallResidue::Kind::caches, {"x"});
    box.publish({residue});
    EXPECT_TRUE(box.result().isEmpty()) << "published but not taken";
    const std::optional<QList<UninstallResidue>> taken = box.consume();
    ASSERT_TRUE(taken.has_value());
    EXPECT_EQ(*taken, QList<UninstallResidue>{residue});
    EXPECT_FALSE(box.consume().has_value());
    box.publish({});
    EXPECT_EQ(box.result(), QList<UninstallResidue>{residue}) << "a later result is not taken";
}

// A bundle runs when a process executes a program inside its Contents/MacOS.
TEST(ProcRunningAppProbe, FindsBundlesThroughTheirProcessesExecutables)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString proc = dir.filePath(QStringLiteral("proc"));
    const QString apps = dir.filePath(QStringLiteral("Applications"));
    for (const char *bundle : {"Alpha.app", "Beta.app", "Alphabet.app"})
        ASSERT_TRUE(QDir().mkpath(apps + QLatin1Char('/') + QString::fromLatin1(bundle) + QStringLiteral("/Contents/MacOS")));
    const auto process = [&](const QString &pid, const QString &exe) {
        ASSERT_TRUE(QDir().mkpath(proc + QLatin1Char('/') + pid));
        ASSERT_TRUE(QFile::link(exe, proc + QLatin1Char('/') + pid + QStringLiteral("/exe")));
    };
    process(QStringLiteral("101"), apps + QStringLiteral("/Alpha.app/Contents/MacOS/alpha"));
    process(QStringLiteral("102"), QStringLiteral("/usr/bin/beta"));
    // Not a process folder.
    process(QStringLiteral("self"), apps + QStringLiteral("/Beta.app/Contents/MacOS/beta"));
    // A program beside the bundle, not inside it.
    process(QStringLiteral("103"), apps + QStringLiteral("/Alphabet.appx/Contents/MacOS/a"));

    const QList<AppItem> items{AppItem("com.a", "Alpha", apps + "/Alpha.app"), AppItem("com.b", "Beta", apps + "/Beta.app"),
                               AppItem("com.ab", "Alphabet", apps + "/Alphabet.app")};
    const ProcRunningAppProbe probe(proc);
    EXPECT_EQ(probe.runningAppNames(items, {{QStringLiteral("com.a"), QStringLiteral("My Alpha")}}),
              QStringList{QStringLiteral("My Alpha")});
}

TEST(ProcRunningAppProbe, SeesThisVeryProcess)
{
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    ASSERT_FALSE(self.isEmpty());
    EXPECT_TRUE(ProcRunningAppProbe().runningExecutables().contains(self));
}

TEST(UninstallAccessory, ListsEachLeftoverWithItsKindAndHomeRelativePath)
{
    L10n::setForTesting(AppLanguage::en);
    const QList<UninstallResidue> residues{
        UninstallResidue(QStringLiteral("/home/u/Library/Preferences/com.a.plist"), UninstallResidue::Kind::preferences, {"com.a"}),
        UninstallResidue(QStringLiteral("/home/u/Library/Caches/com.a"), UninstallResidue::Kind::caches, {"com.a"})};
    EXPECT_EQ(UninstallAccessory::residueListText(residues.mid(0, 1), QStringLiteral("/home/u")),
              UninstallResidue::label(UninstallResidue::Kind::preferences)
                  + QStringLiteral("\t~/Library/Preferences/com.a.plist"));
    EXPECT_EQ(UninstallAccessory::residueListText(residues, QStringLiteral("/home/u")).count(QStringLiteral("\n\n")), 1);

    // A slot filled a second time shows only the new content.
    UninstallAccessory accessory(new QCheckBox, QStringLiteral("/home/u"));
    accessory.updateResidueSlot(residues, false);
    ASSERT_NE(accessory.residueList(), nullptr);
    EXPECT_TRUE(accessory.residueList()->isReadOnly());
    accessory.updateResidueSlot({}, true);
    EXPECT_EQ(accessory.residueList(), nullptr);
    EXPECT_EQ(accessory.slot()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly).size(), 1);
    EXPECT_EQ(accessory.panelText(), QStringLiteral("The leftover scan timed out; only the app will be uninstalled."));
}

} // namespace
