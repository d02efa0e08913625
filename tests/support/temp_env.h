#pragma once

#include "foundation/log.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>
#include <utility>

// Sets environment variables for one test and restores them afterwards.
class ScopedEnv
{
public:
    ScopedEnv() = default;
    ~ScopedEnv();
    void set(const char *name, const QString &value);
    void unset(const char *name);

private:
    QList<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
    void remember(const char *name);
};

// A private home for one test: HOME and the XDG directories point inside a
// temporary directory, so nothing touches the user's real files.
class TempHome
{
public:
    TempHome();
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &relative) const { return m_dir.filePath(relative); }

private:
    QTemporaryDir m_dir;
    ScopedEnv m_env;
};

// Collects log lines while alive.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    bool contains(const QString &fragment) const;

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
};
