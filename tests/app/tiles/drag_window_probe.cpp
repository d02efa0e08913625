// Run by the drag window test on its own X server (no compositing manager):
// shows a window of one colour, starts a drag from it whose picture is a
// tile's drag image, and once the drag window shows that picture prints what
// the screen shows there: "corner=#rrggbb middle=#rrggbb" (the corner lies in
// the picture's clear margin). Exits with 2 when no drag window shows.
#include "tiles/drag_image.h"

#include <QApplication>
#include <QCursor>
#include <QDrag>
#include <QMimeData>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QColor background(32, 64, 96);
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, background);
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.setGeometry(0, 0, 600, 600);
    window.show();

    QImage red(64, 64, QImage::Format_ARGB32_Premultiplied);
    red.fill(QColor(220, 30, 40));
    const QImage image = DragImage::render(DragImage::Content{DragImage::Kind::application, red}, 74, 1);

    QTimer::singleShot(200, &window, [&] {
        QCursor::setPos(window.mapToGlobal(QPoint(300, 300)));
        auto *drag = new QDrag(&window);
        drag->setMimeData(new QMimeData);
        DragImage::attach(*drag, image, &window);
        drag->setHotSpot(QPoint(image.width() / 2, image.height() / 2));
        auto *watch = new QTimer(&window);
        QObject::connect(watch, &QTimer::timeout, &window, [&] {
            for (QWindow *candidate : QGuiApplication::topLevelWindows()) {
                if (!candidate->isVisible() || !candidate->inherits("QShapedPixmapWindow"))
                    continue;
                const QRect frame = candidate->geometry();
                const QImage shot = candidate->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(),
                                                                    frame.height()).toImage();
                const QColor middle = shot.pixelColor(shot.rect().center());
                if (middle.red() < 150)
                    return; // not painted yet
                std::printf("corner=%s middle=%s\n", qPrintable(shot.pixelColor(3, 3).name()),
                            qPrintable(middle.name()));
                std::fflush(stdout);
                std::_Exit(0);
            }
        });
        watch->start(50);
        drag->exec(Qt::CopyAction);
    });
    // The test gives the ceiling (scaled for a slow machine); 20 s alone.
    const int ceilingMs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    QTimer::singleShot(ceilingMs, &window, [] { std::_Exit(2); });
    return app.exec();
}
