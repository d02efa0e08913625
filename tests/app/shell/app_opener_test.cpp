#include "shell/app_opener.h"

#include "foundation/property_list.h"
#include "support/temp_env.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// How the generated bundle is broken, if at all.
enum class Defect
{
    none,
    noInfoPlist,
    malformedInfoPlist,
    noExecutableKey,
    executableMissing,
    notExecutable,
    executableOutsideBundle,
    starterFails,
};

struct OpenRow
{
    const char *name;
    Defect defect;
    // Start of the reason after "失败: " (paths follow it).
    const char *reason;
};

class AppOpenerTest : public ::testing::TestWithParam<OpenRow>
{
protected:
    struct Start
    {
        QString program;
        QString workingDirectory;
    };

    // <dir>/Apps/<name>.app with an Info.plist naming `executable` and, unless
    // told otherwise, that executable in Contents/MacOS.
    QString makeBundle(const QString &name, Defect defect)
    {
        const QString bundle = dir.filePath(QStringLiteral("Apps/") + name + QStringLiteral(".app"));
        QDir().mkpath(bundle + QStringLiteral("/Contents/MacOS"));
        QString executable = name;
        if (defect == Defect::executableOutsideBundle) {
            // An executable that exists, but outside the bundle.
            writeFile(dir.filePath(QStringLiteral("evil")), "#!/bin/sh\n", true);
            executable = QStringLiteral("../../../../evil");
        }
        QVariantMap info{{QStringLiteral("CFBundleIdentifier"), QStringLiteral("org.example.") + name},
                         {QStringLiteral("CFBundleName"), name}};
        if (defect != Defect::noExecutableKey)
            info.insert(QStringLiteral("CFBundleExecutable"), executable);
        if (defect == Defect::malformedInfoPlist)
            writeFile(bundle + QStringLiteral("/Contents/Info.plist"), "<plist><dict><key>", false);
        else if (defect != Defect::noInfoPlist)
            writeFile(bundle + QStringLiteral("/Contents/Info.plist"), PropertyList::toXml(info), false);
        if (defect != Defect::executableMissing && defect != Defect::executableOutsideBundle)
            writeFile(bundle + QStringLiteral("/Contents/MacOS/") + name, "#!/bin/sh\n",
                      defect != Defect::notExecutable);
        return bundle;
    }

    static void writeFile(const QString &path, const QByteArray &bytes, bool executable)
    {
        ::writeFile(path, bytes);
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        QFile::setPermissions(path, permissions);
    }

    AppOpener opener(std::optional<QString> starterFailure = std::nullopt)
    {
        return AppOpener(
            [this, starterFailure](const QString &program, const QString &workingDirectory) {
                starts.append(Start{program, workingDirectory});
                return starterFailure;
            },
            [this](const QUrl &url) {
                opened.append(url);
                return true;
            });
    }

    QTemporaryDir dir;
    QList<Start> starts;
    QList<QUrl> opened;
};

TEST_P(AppOpenerTest, StartsTheBundleExecutableOrFallsBackToOpeningThePath)
{
    const OpenRow &row = GetParam();
    const QString bundle = makeBundle(QStringLiteral("Atlas"), row.defect);
    const AppItem app(QStringLiteral("org.example.Atlas"), QStringLiteral("Atlas"), bundle);
    LogCapture log;
    const bool starterFails = row.defect == Defect::starterFails;
    opener(starterFails ? std::optional<QString>(QStringLiteral("Permission denied")) : std::nullopt).open(app);

    const QString executable = bundle + QStringLiteral("/Contents/MacOS/Atlas");
    if (row.defect == Defect::none || starterFails) {
        ASSERT_EQ(starts.size(), 1);
        EXPECT_EQ(starts.first().program, executable);
        EXPECT_EQ(starts.first().workingDirectory, bundle + QStringLiteral("/Contents/MacOS"));
    } else {
        EXPECT_TRUE(starts.isEmpty()) << "nothing may be started for a broken bundle";
    }

    if (row.defect == Defect::none) {
        EXPECT_TRUE(opened.isEmpty());
        EXPECT_TRUE(log.lines().isEmpty());
        return;
    }
    EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(bundle)});
    ASSERT_EQ(log.lines().size(), 1);
    const QString prefix = QStringLiteral("[Tessellon] 启动 Atlas 失败: ") + QString::fromUtf8(row.reason);
    EXPECT_TRUE(log.lines().first().startsWith(prefix)) << log.lines().first().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Bundles, AppOpenerTest,
    ::testing::Values(OpenRow{"Starts", Defect::none, ""},
                      OpenRow{"NoInfoPlist", Defect::noInfoPlist, "no Info.plist at "},
                      OpenRow{"MalformedInfoPlist", Defect::malformedInfoPlist, "unreadable Info.plist at "},
                      OpenRow{"NoExecutableKey", Defect::noExecutableKey, "Info.plist names no CFBundleExecutable"},
                      OpenRow{"ExecutableMissing", Defect::executableMissing, "no executable at "},
                      OpenRow{"NotExecutable", Defect::notExecutable, "not an executable file: "},
                      OpenRow{"ExecutableOutsideBundle", Defect::executableOutsideBundle,
                              "CFBundleExecutable is not a file name: ../../../../evil"},
                      OpenRow{"StarterFails", Defect::starterFails, "Permission denied"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AppOpenerTest, FailureLineKeepsPercentSignsLiterally)
{
    const QString bundle = dir.filePath(QStringLiteral("Apps/Gone.app"));
    const AppItem app(QStringLiteral("org.example.gone"), QStringLiteral("100% %@ %d Pro"), bundle);
    LogCapture log;
    opener().open(app);
    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith(QStringLiteral("[Tessellon] 启动 100% %@ %d Pro 失败: no Info.plist")));
    EXPECT_EQ(opened.size(), 1);
}

TEST(AppOpenerSystem, StarterReportsAProgramThatCannotStart)
{
    QTemporaryDir dir;
    const std::optional<QString> failure =
        AppOpener::systemStarter()(dir.filePath(QStringLiteral("missing")), dir.path());
    ASSERT_TRUE(failure.has_value());
    EXPECT_FALSE(failure->isEmpty());
    EXPECT_FALSE(AppOpener::systemStarter()(QStringLiteral("/bin/true"), dir.path()).has_value());
}

} // namespace
