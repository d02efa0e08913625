#include "temp_env.h"

#include <QDir>
#include <QMutexLocker>

#include <cstdlib>

ScopedEnv::~ScopedEnv()
{
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
        if (it->second)
            qputenv(it->first.constData(), *it->second);
        else
            qunsetenv(it->first.constData());
    }
}

void ScopedEnv::remember(const char *name)
{
    const QByteArray key(name);
    for (const auto &saved : m_saved) {
        if (saved.first == key)
            return;
    }
    if (qEnvironmentVariableIsSet(name))
        m_saved.append({key, qgetenv(name)});
    else
        m_saved.append({key, std::nullopt});
}

void ScopedEnv::set(const char *name, const QString &value)
{
    remember(name);
    qputenv(name, value.toUtf8());
}

void ScopedEnv::unset(const char *name)
{
    remember(name);
    qunsetenv(name);
}

TempHome::TempHome()
{
    QDir root(m_dir.path());
    for (const char *sub : {"config", "data", "cache"})
        root.mkpath(QString::fromLatin1(sub));
    m_env.set("HOME", m_dir.path());
    m_env.set("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")));
    m_env.set("XDG_DATA_HOME", root.filePath(QStringLiteral("data")));
    m_env.set("XDG_CACHE_HOME", root.filePath(QStringLiteral("cache")));
    m_env.unset("APP_STATE_DIR");
}

LogCapture::LogCapture()
{
    Log::setSink([this](const QString &line) {
        QMutexLocker locker(&m_mutex);
        m_lines.append(line);
    });
}

LogCapture::~LogCapture()
{
    Log::setSink({});
}

QStringList LogCapture::lines() const
{
    QMutexLocker locker(&m_mutex);
    return m_lines;
}

bool LogCapture::contains(const QString &fragment) const
{
    QMutexLocker locker(&m_mutex);
    for (const QString &line : m_lines) {
        if (line.contains(fragment))
            return true;
    }
    return false;
}
