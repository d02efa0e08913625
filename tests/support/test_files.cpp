#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

int testCeilingMs(int milliseconds)
{
    bool ok = false;
    const double scale = qEnvironmentVariable("TESSELLON_TEST_TIME_SCALE").toDouble(&ok);
    if (!ok || !(scale > 0))
        return milliseconds;
    return int(std::min(double(milliseconds) * scale, double(std::numeric_limits<int>::max())));
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}
