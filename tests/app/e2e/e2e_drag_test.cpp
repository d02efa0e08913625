// A tile of the real launcher dragged onto another application's window
// stacked above it, on a display of the test's own.
#include "app/e2e/e2e_support.h"

#include "policy/grid_geometry.h"

#include <QUrl>

#ifndef DROP_TARGET_BINARY
#error "DROP_TARGET_BINARY must name the drop target's executable"
#endif

namespace {

using e2e::eventually;
using e2e::kStartTimeoutMs;
using e2e::kStepTimeoutMs;
using e2e::Launcher;

// The other application: a small window that takes dropped files and says
// what it was offered, one line each.
class DropTarget
{
public:
    explicit DropTarget(const QProcessEnvironment &environment)
    {
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    ~DropTarget()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(testCeilingMs(5000));
        }
    }

    bool start(const QRect &frame)
    {
        m_process.start(QStringLiteral(DROP_TARGET_BINARY),
                        {QString::number(frame.x()), QString::number(frame.y()), QString::number(frame.width()),
                         QString::number(frame.height())});
        return m_process.waitForStarted(testCeilingMs(10000));
    }

    // The first line that starts with `prefix`, waiting for it; empty when none came.
    QString waitForLine(const QString &prefix, int timeoutMs = kStepTimeoutMs)
    {
        QString found;
        eventually(
            [&] {
                while (m_process.waitForReadyRead(0)) {
                }
                m_output += QString::fromUtf8(m_process.readAllStandardOutput());
                for (const QString &line : m_output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
                    if (line.startsWith(prefix)) {
                        found = line;
                        return true;
                    }
                }
                return m_process.state() == QProcess::NotRunning;
            },
            timeoutMs);
        return found;
    }

    QString output() const { return m_output; }

private:
    QProcess m_process;
    QString m_output;
};

class DragOutEndToEndTest : public e2e::ThreeAppTest
{
protected:
    QByteArray storedLayout() const
    {
        QFile file(QDir(m_home.stateDirectory()).filePath(QStringLiteral("layout.json")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Where a tile of the first page is on the 1280 × 800 screen.
    static QPointF iconCentre(int index)
    {
        const GridGeometry geometry(
            7, 5, GridGeometry::contentRectIn(QRectF(0, 0, e2e::VirtualDisplay::width, e2e::VirtualDisplay::height)),
            1);
        const QRectF cell = geometry.frame(index);
        return QPointF(cell.center().x(), cell.top() + 4 + geometry.iconSide() / 2);
    }

    // A dock-like window below the open folder's panel, over the empty lower
    // right of the grid, mapped after the launcher and so stacked above it.
    static inline const QRect dock{760, 540, 280, 180};

    static QStringList moveTo(const QPointF &point)
    {
        return {QStringLiteral("mousemove"), QString::number(int(point.x())), QString::number(int(point.y()))};
    }

    // Presses at `start` and moves off at once, before a long press could
    // take it, on to the middle of the other window; returns the line with
    // which that window saw the drag come in (empty when none came). The
    // button stays down.
    QString dragOntoDock(DropTarget &target, const QPointF &start) const
    {
        const QPointF over = QRectF(dock).center();
        xdotool(moveTo(start));
        QStringList drag{QStringLiteral("mousedown"), QStringLiteral("1")};
        for (int step = 1; step <= 8; ++step)
            drag += moveTo(start + (over - start) * step / 8.0) + QStringList{QStringLiteral("sleep"), QStringLiteral("0.05")};
        xdotool(drag);
        // A system drag reaches the window at the next moves over it.
        QString enter;
        for (int nudge = 1; nudge <= 20 && enter.isEmpty(); ++nudge) {
            xdotool(moveTo(over + QPointF(nudge % 2 ? 6 : -6, 0)));
            enter = target.waitForLine(QStringLiteral("[target] enter "), 1000);
        }
        return enter;
    }

    QString bundleURL(const char *name) const
    {
        return QUrl::fromLocalFile(m_home.filePath(QStringLiteral("Applications/%1.app").arg(QLatin1String(name))))
            .toString();
    }
};

// Dragged onto another application's window stacked above the launcher (a
// dock, a file manager), a grid tile or a folder's member reaches it, offered
// only as a link to its bundle (a file manager takes what a drag proposes: a
// move would carry the bundle out of the applications folder), and the drop
// there changes nothing in the launcher.
struct DragOutRow
{
    const char *name;
    QStringList options;
    bool fromFolder;
};

class DragOutTable : public DragOutEndToEndTest, public ::testing::WithParamInterface<DragOutRow>
{
};

TEST_P(DragOutTable, TheOtherWindowIsOfferedALinkToTheBundleAndTheLayoutStays)
{
    const DragOutRow &row = GetParam();
    Launcher launcher(environment());
    ASSERT_TRUE(launcher.start(arguments(QStringList{"--show", "--no-event-tap", "--dump-windows"} + row.options)));
    ASSERT_TRUE(launcher.waitFor(QStringLiteral("[ready] "), 1, kStartTimeoutMs)) << launcher.output().toStdString();
    ASSERT_TRUE(eventually([&] { return launcherVisible(); }));
    const QByteArray before = storedLayout();
    DropTarget target(environment());
    ASSERT_TRUE(target.start(dock));
    ASSERT_FALSE(target.waitForLine(QStringLiteral("[target] ready")).isEmpty()) << target.output().toStdString();

    // Atlas: the first tile, or the first member of the folder of the first
    // applications, one row on the 1280 × 800 screen with its first icon
    // centred at (286, 377).
    const QString enter = dragOntoDock(target, row.fromFolder ? QPointF(286, 377) : iconCentre(0));
    ASSERT_FALSE(enter.isEmpty()) << target.output().toStdString() << launcher.output().toStdString();
    EXPECT_EQ(enter.toStdString(), ("[target] enter actions=link urls=" + bundleURL("Atlas")).toStdString());
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
    EXPECT_EQ(target.waitForLine(QStringLiteral("[target] drop ")).toStdString(), "[target] drop action=link")
        << target.output().toStdString();

    ASSERT_EQ(launcher.terminate(), 0) << launcher.output().toStdString();
    EXPECT_EQ(launcher.linesStartingWith(QStringLiteral("[drop] ")), QStringList()) << launcher.output().toStdString();
    EXPECT_EQ(storedLayout(), before);
}

INSTANTIATE_TEST_SUITE_P(DragOut, DragOutTable,
                         ::testing::Values(DragOutRow{"GridTile", {}, false},
                                           DragOutRow{"FolderMember", {"--folder"}, true}),
                         [](const ::testing::TestParamInfo<DragOutRow> &info) { return std::string(info.param.name); });

} // namespace
