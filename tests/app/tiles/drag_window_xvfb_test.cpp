// The window a drag shows its picture in, on a real X server without a
// compositing manager: only the picture shows, not a white square around it.
#include "platform/x11/xvfb_server.h"
#include "support/test_files.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

#include <gtest/gtest.h>

namespace {

TEST(DragWindowOnX, WithoutACompositorOnlyThePictureShowsAndItsClearMarginStaysClear)
{
    XvfbServer server;
    ASSERT_TRUE(server.isRunning()) << server.errorText().toStdString();
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), server.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    probe.setProcessEnvironment(env);
    probe.setStandardErrorFile(QProcess::nullDevice());
    probe.start(QStringLiteral(DRAG_WINDOW_PROBE), {QString::number(testCeilingMs(20000))});
    ASSERT_TRUE(probe.waitForFinished(testCeilingMs(60000)));
    ASSERT_EQ(probe.exitCode(), 0) << "no drag window showed";
    const QString out = QString::fromUtf8(probe.readAllStandardOutput()).trimmed();
    // The window beneath shows through the margin; the icon is opaque.
    EXPECT_TRUE(out.startsWith(QStringLiteral("corner=#204060 "))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("middle=#d"))) << out.toStdString();
}

} // namespace
