// A small window of another application that takes dropped files, as a dock
// or a file manager does. Placed by its arguments (x y width height) and kept
// above the windows already shown, it takes whatever a drag proposes when the
// drag offers it, and says on standard output what it was offered:
//   [target] ready
//   [target] enter actions=link urls=file:///…
//   [target] drop action=link
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

void say(const QString &line)
{
    std::printf("[target] %s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

QString actionNames(Qt::DropActions actions)
{
    QStringList names;
    if (actions & Qt::CopyAction)
        names.append(QStringLiteral("copy"));
    if (actions & Qt::MoveAction)
        names.append(QStringLiteral("move"));
    if (actions & Qt::LinkAction)
        names.append(QStringLiteral("link"));
    return names.isEmpty() ? QStringLiteral("none") : names.join(QLatin1Char('|'));
}

class DropTarget : public QWidget
{
public:
    DropTarget() { setAcceptDrops(true); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter(this).fillRect(rect(), QColor(40, 90, 160));
        if (!m_shown) {
            m_shown = true;
            say(QStringLiteral("ready"));
        }
    }
    void dragEnterEvent(QDragEnterEvent *event) override
    {
        QStringList urls;
        for (const QUrl &url : event->mimeData()->urls())
            urls.append(url.toString());
        say(QStringLiteral("enter actions=%1 urls=%2").arg(actionNames(event->possibleActions()), urls.join(QLatin1Char(','))));
        if (event->possibleActions() & event->proposedAction())
            event->acceptProposedAction();
    }
    void dragMoveEvent(QDragMoveEvent *event) override
    {
        if (event->possibleActions() & event->proposedAction())
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent *event) override
    {
        say(QStringLiteral("drop action=%1").arg(actionNames(event->proposedAction())));
        event->acceptProposedAction();
    }

private:
    bool m_shown = false;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 5) {
        std::fprintf(stderr, "usage: %s x y width height\n", argv[0]);
        return 2;
    }
    DropTarget window;
    window.setWindowTitle(QStringLiteral("Drop target"));
    window.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    window.setGeometry(arguments[1].toInt(), arguments[2].toInt(), arguments[3].toInt(), arguments[4].toInt());
    window.show();
    window.raise();
    return application.exec();
}
