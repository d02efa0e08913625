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
#include <QCoreApplication>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
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

// A bundle whose executable is a script runs under its interpreter: /proc's
// exe names the interpreter, the command line names the script.
TEST(ProcRunningAppProbe, FindsScriptsThroughTheirCommandLines)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString proc = dir.filePath(QStringLiteral("proc"));
    const QString apps = dir.filePath(QStringLiteral("Applications"));
    for (const char *bundle : {"Shell.app", "Python.app", "Env.app", "Idle.app"})
        ASSERT_TRUE(QDir().mkpath(apps + QLatin1Char('/') + QString::fromLatin1(bundle) + QStringLiteral("/Contents/MacOS")));
    const auto process = [&](const QString &pid, const QString &exe, const QByteArray &cmdline, const QString &cwd = {}) {
        const QString folder = proc + QLatin1Char('/') + pid;
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(QFile::link(exe, folder + QStringLiteral("/exe")));
        QFile file(folder + QStringLiteral("/cmdline"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(cmdline);
        if (!cwd.isEmpty())
            ASSERT_TRUE(QFile::link(cwd, folder + QStringLiteral("/cwd")));
    };
    const QByteArray bundles = QFile::encodeName(apps);
    const auto words = [](const QList<QByteArray> &list) { return list.join('\0') + '\0'; };
    process(QStringLiteral("201"), QStringLiteral("/bin/sh"),
            words({"/bin/sh", bundles + "/Shell.app/Contents/MacOS/shell", "--flag"}));
    // Started from the bundle's folder with a relative path and options.
    process(QStringLiteral("202"), QStringLiteral("/usr/bin/python3"), words({"python3", "-u", "Contents/MacOS/tool.py"}),
            apps + QStringLiteral("/Python.app"));
    process(QStringLiteral("203"), QStringLiteral("/usr/bin/env"),
            words({"/usr/bin/env", "bash", bundles + "/Env.app/Contents/MacOS/run"}));
    // Idle.app is only mentioned far down an unrelated command line.
    process(QStringLiteral("204"), QStringLiteral("/usr/bin/grep"),
            words({"grep", "-r", "x", "/tmp", "/var", bundles + "/Idle.app/Contents/MacOS/idle"}));

    QList<AppItem> items;
    for (const char *name : {"Shell", "Python", "Env", "Idle"})
        items << AppItem(QStringLiteral("com.%1").arg(QLatin1String(name)), QString::fromLatin1(name),
                         apps + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".app"));
    EXPECT_EQ(ProcRunningAppProbe(proc).runningAppNames(items, {}),
              (QStringList{QStringLiteral("Shell"), QStringLiteral("Python"), QStringLiteral("Env")}));
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

// The list opens at its first entry, and its label column is as wide as the
// longest kind's label in the current language needs.
TEST(UninstallAccessory, OpensAtTheTopWithRoomForTheLongestLabel)
{
    QList<UninstallResidue> residues;
    for (int i = 0; i < 30; ++i) {
        const UninstallResidue::Kind kind = UninstallResidue::allKinds().at(i % UninstallResidue::allKinds().size());
        residues << UninstallResidue(QStringLiteral("/home/u/Library/Caches/com.example.app%1").arg(i), kind, {"com.a"});
    }
    for (const AppLanguage language : {AppLanguage::zhHans, AppLanguage::en, AppLanguage::fr, AppLanguage::de, AppLanguage::ja,
                                       AppLanguage::ru, AppLanguage::es}) {
        L10n::setForTesting(language);
        UninstallAccessory accessory(new QCheckBox, QStringLiteral("/home/u"));
        accessory.show();
        accessory.updateResidueSlot(residues, false);
        QCoreApplication::processEvents();
        QTextEdit *list = accessory.residueList();
        ASSERT_NE(list, nullptr);
        EXPECT_GT(list->verticalScrollBar()->maximum(), 0) << "the list is longer than its slot";
        EXPECT_EQ(list->verticalScrollBar()->value(), 0) << language.rawValue().toStdString();

        const QFontMetrics metrics(list->font());
        const QTextBlockFormat block = list->document()->firstBlock().blockFormat();
        ASSERT_FALSE(block.tabPositions().isEmpty());
        const qreal column = block.tabPositions().constFirst().position;
        EXPECT_EQ(block.leftMargin(), column) << "wrapped lines continue under the paths";
        EXPECT_GE(column, UninstallAccessory::minimumPathColumn);
        for (const UninstallResidue::Kind kind : UninstallResidue::allKinds())
            EXPECT_GE(column, metrics.horizontalAdvance(UninstallResidue::label(kind)) + UninstallAccessory::columnGap)
                << UninstallResidue::label(kind).toStdString() << " in " << language.rawValue().toStdString();
    }
    L10n::setForTesting(AppLanguage::zhHans);
}

} // namespace
