#include "xvfb_server.h"

#include "support/test_files.h"

#include <QProcessEnvironment>

XvfbServer::XvfbServer() : m_process(std::make_unique<QProcess>())
{
    m_process->setProgram(QStringLiteral("Xvfb"));
    m_process->setArguments({"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"});
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_process->start();
    if (!m_process->waitForStarted(testCeilingMs(10000))) {
        m_error = QStringLiteral("Xvfb did not start: ") + m_process->errorString();
        return;
    }
    // Xvfb writes the display number once it is ready for clients.
    QByteArray out;
    while (!out.contains('\n')) {
        if (!m_process->waitForReadyRead(testCeilingMs(20000))) {
            m_error = QStringLiteral("Xvfb did not report a display");
            return;
        }
        out += m_process->readAllStandardOutput();
    }
    m_display = QStringLiteral(":") + QString::fromLatin1(out.trimmed());
}

XvfbServer::~XvfbServer()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(testCeilingMs(5000))) {
            m_process->kill();
            m_process->waitForFinished(testCeilingMs(5000));
        }
    }
}

bool XvfbServer::run(const QString &program, const QStringList &arguments) const
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    tool.setProcessEnvironment(env);
    tool.setStandardErrorFile(QProcess::nullDevice());
    tool.start(program, arguments);
    if (!tool.waitForFinished(testCeilingMs(10000))) {
        tool.kill();
        tool.waitForFinished(testCeilingMs(1000));
        return false;
    }
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}
