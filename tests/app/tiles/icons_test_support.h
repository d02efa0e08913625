#pragma once

#include "foundation/property_list.h"
#include "support/test_files.h"

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QThread>
#include <QVariantMap>

#include <functional>
#include <utility>

namespace icons_test {

// Runs the main thread's events until `done` holds; work on other threads
// finishes on its own, so the bound only stops a broken build from hanging.
inline bool pumpUntil(const std::function<bool()> &done)
{
    QDeadlineTimer deadline(testCeilingMs(20000));
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::yieldCurrentThread();
    }
    return true;
}

inline QImage solid(int width, int height, QColor color)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

inline QByteArray encoded(const QImage &image, const char *format = "PNG")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

inline QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char((value >> (24 - 8 * i)) & 0xff);
    return bytes;
}

// An .icns file made of PNG-compressed entries, e.g. {"ic08", png256}.
inline QByteArray icns(const QList<std::pair<QByteArray, QByteArray>> &entries)
{
    QByteArray body;
    for (const auto &[type, data] : entries)
        body += type + bigEndian32(quint32(data.size() + 8)) + data;
    return QByteArray("icns") + bigEndian32(quint32(body.size() + 8)) + body;
}

// A minimal application bundle: Contents/Info.plist (with CFBundleIconFile
// when `iconFile` is given) and the files in Contents/Resources.
inline QString makeBundle(const QString &parent, const QString &name, const std::optional<QString> &iconFile,
                          const QList<std::pair<QString, QByteArray>> &resources)
{
    const QString bundle = parent + QLatin1Char('/') + name + QStringLiteral(".app");
    QDir().mkpath(bundle + QStringLiteral("/Contents/Resources"));
    QVariantMap info{{QStringLiteral("CFBundleIdentifier"), QStringLiteral("test.") + name},
                     {QStringLiteral("CFBundleName"), name}};
    if (iconFile)
        info.insert(QStringLiteral("CFBundleIconFile"), *iconFile);
    QFile plist(bundle + QStringLiteral("/Contents/Info.plist"));
    if (plist.open(QIODevice::WriteOnly))
        plist.write(PropertyList::toXml(info));
    for (const auto &[file, bytes] : resources) {
        QFile out(bundle + QStringLiteral("/Contents/Resources/") + file);
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes);
    }
    return bundle;
}

} // namespace icons_test
