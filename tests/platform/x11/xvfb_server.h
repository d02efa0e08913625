#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

// A private X server for one test suite. Xvfb picks a free display itself
// (-displayfd) and says which once it accepts connections, so parallel test
// runs never collide and no polling is needed.
class XvfbServer
{
public:
    XvfbServer();
    ~XvfbServer();

    bool isRunning() const { return !m_display.isEmpty(); }
    // ":N".
    QString display() const { return m_display; }
    QString errorText() const { return m_error; }

    // Runs an X client tool (xdotool, xprop) against this server; true when it
    // exited with status 0.
    bool run(const QString &program, const QStringList &arguments) const;

private:
    std::unique_ptr<QProcess> m_process;
    QString m_display;
    QString m_error;
};
