#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A private session bus for a suite, so that nothing reaches or comes from the
// machine's own buses. address() is empty when dbus-daemon did not start.
class PrivateBus
{
public:
    PrivateBus()
    {
        m_process.setProgram(QStringLiteral("dbus-daemon"));
        m_process.setArguments({"--session", "--nofork", "--print-address=1",
                                "--address=unix:path=" + m_dir.filePath("bus")});
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return;
        QByteArray out;
        while (!out.contains('\n')) {
            if (!m_process.waitForReadyRead(10000))
                return;
            out += m_process.readAllStandardOutput();
        }
        m_address = QString::fromUtf8(out.trimmed());
    }
    ~PrivateBus()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(1000);
    }

    PrivateBus(const PrivateBus &) = delete;
    PrivateBus &operator=(const PrivateBus &) = delete;

    QString address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_address;
};
