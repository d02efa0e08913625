// The uninstall preview of the real binary on a home with leftovers: the
// confirmation opens, scans and is answered, and nothing moves.
#include "app/e2e/e2e_support.h"

#include <gtest/gtest.h>

namespace {

using e2e::Launcher;
using e2e::runTool;

class UninstallPreviewEndToEndTest : public e2e::ThreeAppTest
{
protected:
    void SetUp() override
    {
        ThreeAppTest::SetUp();
        for (const QString &file : leftovers())
            m_home.addFile(file);
    }

    static QStringList leftovers()
    {
        return {QStringLiteral("Library/Preferences/org.tessellon.e2e.atlas.plist"),
                QStringLiteral("Library/Caches/org.tessellon.e2e.atlas/cache.db"),
                QStringLiteral("Library/Preferences/org.tessellon.e2e.beacon.plist")};
    }

    QProcessEnvironment previewEnvironment() const
    {
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("TS_UNINSTALL_MIN_LOADING"), QStringLiteral("0"));
        return env;
    }

    void expectNothingMoved()
    {
        for (const char *bundle : {"Atlas", "Beacon", "Canvas"})
            EXPECT_TRUE(QFileInfo::exists(m_home.filePath(QStringLiteral("Applications/%1.app").arg(QLatin1String(bundle)))))
                << bundle;
        for (const QString &file : leftovers())
            EXPECT_TRUE(QFileInfo::exists(m_home.filePath(file))) << file.toStdString();
        EXPECT_FALSE(QFileInfo::exists(m_home.filePath(QStringLiteral("data/Trash"))));
        // The first start records itself; no setting is written.
        QFile defaults(m_home.filePath(QStringLiteral("config/Tessellon/defaults.json")));
        if (defaults.open(QIODevice::ReadOnly))
            EXPECT_FALSE(defaults.readAll().contains("pureUninstall"));
    }
};

TEST_F(UninstallPreviewEndToEndTest, OpensTheConfirmationScansAndMovesNothing)
{
    Launcher launcher(previewEnvironment());
    ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--no-event-tap"), QStringLiteral("--uninstall-preview"),
                                          QStringLiteral("ATLAS")})));
    ASSERT_TRUE(launcher.waitForLine(QStringLiteral("[uninstall-preview] 目标=Atlas bundleID=org.tessellon.e2e.atlas"),
                                     e2e::kStartTimeoutMs))
        << launcher.output().toStdString();
    ASSERT_TRUE(launcher.waitForLine(QStringLiteral("[uninstall-preview] 确认框已打开 应用=Atlas loading=1（未删除任何文件）")))
        << launcher.output().toStdString();
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[uninstall] 列表已收起，确认框先以 loading 显示（点击到弹窗 ")));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[uninstall] 残留扫描完成: 2 项 / "))) << launcher.output().toStdString();

    // Return presses the first button: the preview's decision is logged.
    const e2e::Outcome key = runTool(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")},
                                     environment());
    ASSERT_EQ(key.exitCode, 0) << key.output.toStdString();
    ASSERT_TRUE(launcher.waitForLine(QStringLiteral("[uninstall-preview] 应用=Atlas 残留=2 纯净=1（未删除任何文件）")))
        << launcher.output().toStdString();

    EXPECT_EQ(launcher.terminate(), 0);
    EXPECT_EQ(launcher.count(QStringLiteral("[uninstall] 已从网格移除")), 0);
    expectNothingMoved();
}

TEST_F(UninstallPreviewEndToEndTest, AQueryThatMatchesNoAppIsLoggedAsIs)
{
    Launcher launcher(previewEnvironment());
    ASSERT_TRUE(launcher.start(arguments({QStringLiteral("--no-event-tap"), QStringLiteral("--uninstall-preview"),
                                          QStringLiteral("NoSuchApp")})));
    ASSERT_TRUE(launcher.waitForLine(QStringLiteral("[uninstall-preview] 找不到可卸载的应用: NoSuchApp"),
                                     e2e::kStartTimeoutMs))
        << launcher.output().toStdString();
    EXPECT_EQ(launcher.count(QStringLiteral("确认框已打开")), 0);
    EXPECT_EQ(launcher.terminate(), 0);
    expectNothingMoved();
}

} // namespace
