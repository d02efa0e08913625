#include "app/e2e/e2e_support.h"

#include "policy/grid_geometry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using e2e::eventually;
using e2e::id;
using e2e::kStartTimeoutMs;
using e2e::Launcher;
using e2e::runTool;

const QString kReady = QStringLiteral("[ready] ");

// The real binary on its own display: a folder imported from another
// launcher ("Work": Beacon and Dune) opened with "--folder".
class FolderEndToEndTest : public e2e::ThreeAppTest
{
protected:
    void click(int x, int y) const
    {
        xdotool({QStringLiteral("mousemove"), QString::number(x), QString::number(y)});
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
    }

    // The windows mapped on the display (a menu adds one while it is open).
    int visibleWindows() const
    {
        const e2e::Outcome outcome = runTool(QStringLiteral("xdotool"),
                                             {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                              QStringLiteral("--name"), QStringLiteral(".*")},
                                             environment());
        return int(outcome.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
    }

    // A secondary click on tile `index` of the first page; returns once its menu shows.
    void openTileMenu(int index) const
    {
        const GridGeometry geometry(7, 5,
                                    GridGeometry::contentRectIn(QRectF(0, 0, e2e::VirtualDisplay::width,
                                                                       e2e::VirtualDisplay::height)),
                                    1);
        const QRectF cell = geometry.frame(index);
        xdotool({QStringLiteral("mousemove"), QString::number(int(cell.center().x())),
                 QString::number(int(cell.top() + 4 + geometry.iconSide() / 2))});
        const int before = visibleWindows();
        xdotool({QStringLiteral("click"), QStringLiteral("3")});
        ASSERT_TRUE(eventually([&] { return visibleWindows() > before; }));
    }

    QString layoutPath() const { return QDir(m_home.stateDirectory()).filePath(QStringLiteral("layout.json")); }

    void writeLayoutWithFolder() const
    {
        const auto app = [](const char *name) {
            return QJsonObject{{QStringLiteral("id"), QStringLiteral("app:") + id(name)}, {QStringLiteral("appID"), id(name)}};
        };
        const QJsonObject folder{
            {QStringLiteral("id"), QStringLiteral("folder:IMPORTED-1")},
            {QStringLiteral("folder"),
             QJsonObject{{QStringLiteral("id"), QStringLiteral("IMPORTED-1")},
                         {QStringLiteral("name"), QStringLiteral("Work")},
                         {QStringLiteral("bundleIDs"), QJsonArray{id("beacon"), id("dune")}}}}};
        const QJsonObject layout{{QStringLiteral("pages"), QJsonArray{QJsonArray{app("atlas"), folder, app("canvas")}}},
                                 {QStringLiteral("hiddenIDs"), QJsonArray{}},
                                 {QStringLiteral("nameOverrides"), QJsonObject{}},
                                 {QStringLiteral("customSources"), QJsonArray{}}};
        QFile file(layoutPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QJsonDocument(layout).toJson());
    }

    QJsonObject storedLayout() const
    {
        QFile file(layoutPath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    QString storedFolderName() const
    {
        QFile file(layoutPath());
        if (!file.open(QIODevice::ReadOnly))
            return QString();
        for (const QJsonValue &page : QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("pages")).toArray()) {
            for (const QJsonValue &entry : page.toArray()) {
                const QJsonObject folder = entry.toObject().value(QLatin1String("folder")).toObject();
                if (!folder.isEmpty())
                    return folder.value(QLatin1String("name")).toString();
            }
        }
        return QString();
    }

    // Where the open folder's parts are on the 1280 × 800 screen with two
    // members: the panel spans x 204.8 ... 1075.2 and y 292 ... 496, its cells
    // are 118.1 wide and 124 high from x 226.6 and y 326, the icons 53.8 high
    // from y 349.6; the title field is centred 34 points above the panel.
    static constexpr int secondMemberX = 404;
    static constexpr int memberIconY = 377;
    static constexpr int titleX = 640;
    static constexpr int titleY = 271;
};

TEST_F(FolderEndToEndTest, WithoutAFolderTheOptionOpensTheDemonstrationOfTheFirstApplications)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({"--show", "--no-event-tap", "--folder"})));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    EXPECT_EQ(launcher.linesStartingWith(QStringLiteral("[folder] ")),
              QStringList{QStringLiteral("[folder] name=Utilities items=3 columns=7 rows=5 pages=1 page=0")});
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

TEST_F(FolderEndToEndTest, AnImportedFolderOpensAndAClickOnAMemberRunsIt)
{
    const QString marker = m_home.filePath(QStringLiteral("opened.txt"));
    m_home.addBundle(QStringLiteral("Dune"), QStringLiteral("#!/bin/sh\npwd > '%1'\n").arg(marker).toUtf8());
    ASSERT_NO_FATAL_FAILURE(writeLayoutWithFolder());
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({"--show", "--no-event-tap", "--folder", "--folder-page", "3"})));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    // The start page is kept within the folder's one page.
    EXPECT_EQ(launcher.line(QStringLiteral("[folder] ")),
              QStringLiteral("[folder] name=Work items=2 columns=7 rows=5 pages=1 page=0"));
    ASSERT_TRUE(eventually([&] { return launcherVisible(); }));

    click(secondMemberX, memberIconY);
    ASSERT_TRUE(eventually([&] { return QFileInfo(marker).size() > 0; })) << launcher.output().toStdString();
    EXPECT_TRUE(eventually([&] { return !launcherVisible(); }));
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

TEST_F(FolderEndToEndTest, TheFolderTitleRenamesTheFolderInTheSavedLayout)
{
    m_home.addBundle(QStringLiteral("Dune"));
    ASSERT_NO_FATAL_FAILURE(writeLayoutWithFolder());
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({"--show", "--no-event-tap", "--folder"})));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[folder] name=Work ")));
    ASSERT_TRUE(eventually([&] { return launcherVisible(); }));

    click(titleX, titleY);
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("Games")});
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    EXPECT_TRUE(eventually([&] { return storedFolderName() == QStringLiteral("Games"); }))
        << storedFolderName().toStdString() << "\n"
        << launcher.output().toStdString();
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
    EXPECT_EQ(storedFolderName(), QStringLiteral("Games"));
}

// A secondary click on a tile opens its menu; the menu's hide item (chosen
// with the keyboard) takes the application out of the grid and the saved
// layout remembers it as hidden.
TEST_F(FolderEndToEndTest, TheContextMenuOfATileHidesTheApplication)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({"--show", "--no-event-tap"})));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    ASSERT_TRUE(eventually([&] { return launcherVisible(); }));

    // Atlas, Beacon, Canvas by name: Beacon is the second tile.
    ASSERT_NO_FATAL_FAILURE(openTileMenu(1));
    // Open, Show in the file manager, Rename, Add to the Dock menu, Hide.
    for (int i = 0; i < 5; ++i)
        xdotool({QStringLiteral("key"), QStringLiteral("Down")});
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});

    EXPECT_TRUE(eventually([&] {
        return storedLayout().value(QLatin1String("hiddenIDs")).toArray().contains(QJsonValue(id("beacon")));
    })) << QJsonDocument(storedLayout()).toJson().toStdString()
        << launcher.output().toStdString();
    EXPECT_TRUE(launcherVisible());
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

// Renaming from the context menu: the launcher steps aside for the prompt
// (the alert watchdog would end a prompt under it), the name is saved, and the
// launcher comes back.
TEST_F(FolderEndToEndTest, TheRenamePromptRunsBesideTheLauncherAndSavesTheName)
{
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments({"--show", "--no-event-tap"})));
    ASSERT_TRUE(launcher.waitFor(kReady, 1, kStartTimeoutMs)) << launcher.output().toStdString();
    ASSERT_TRUE(eventually([&] { return launcherVisible(); }));

    ASSERT_NO_FATAL_FAILURE(openTileMenu(2)); // Canvas
    // Open, Show in the file manager, Rename.
    for (int i = 0; i < 3; ++i)
        xdotool({QStringLiteral("key"), QStringLiteral("Down")});
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(eventually([&] { return !launcherVisible(); })) << launcher.output().toStdString();
    const QStringList prompt{QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                             QStringLiteral("^Custom app name$")};
    ASSERT_TRUE(eventually([&] { return runTool(QStringLiteral("xdotool"), prompt, environment()).exitCode == 0; }))
        << launcher.output().toStdString();
    // The prompt takes the keyboard once it is mapped; wait until it has.
    xdotool(prompt + QStringList{QStringLiteral("windowfocus"), QStringLiteral("--sync")});
    // The prompt holds the current name, selected: typing replaces it.
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), QStringLiteral("Easel")});
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});

    EXPECT_TRUE(eventually([&] {
        return storedLayout().value(QLatin1String("nameOverrides")).toObject().value(id("canvas")).toString() ==
               QStringLiteral("Easel");
    })) << QJsonDocument(storedLayout()).toJson().toStdString()
        << launcher.output().toStdString();
    EXPECT_TRUE(eventually([&] { return launcherVisible(); }));
    EXPECT_EQ(launcher.count(QStringLiteral("[AppAlert] 弹窗不可见")), 0) << launcher.output().toStdString();
    EXPECT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
}

} // namespace
