#pragma once

#include "model/app_item.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QVariantMap>

// A home folder on the real disk for one test, with helpers that build the
// trees the residue scan walks. Relative paths are taken from the home and
// given as bytes where a name need not be valid UTF-8.
class ScratchHome
{
public:
    ScratchHome();
    // Removes names that are not valid UTF-8 too, which QDir cannot.
    ~ScratchHome();

    QString home() const { return m_dir.path(); }
    QString path(const QString &relative) const { return home() + QLatin1Char('/') + relative; }
    QByteArray nativePath(const QByteArray &relative) const;

    // Parent folders are created as needed.
    void folder(const QByteArray &relative) const;
    void file(const QByteArray &relative, const QByteArray &content = "data") const;
    // `target` is used as given (absolute, or relative to the link's folder).
    void link(const QByteArray &relative, const QByteArray &target) const;
    // Replaces whatever is at `relative` (a file or a whole folder).
    void remove(const QByteArray &relative) const;
    // A bundle with Contents/Info.plist holding CFBundleIdentifier and `extra`.
    AppItem bundle(const QString &relative, const QString &bundleID, const QString &name,
                   const QVariantMap &extra = {}) const;

private:
    QTemporaryDir m_dir;
};

// "d" directory, "l" link, "f" file with its content, "-" missing: a
// snapshot of one entry, to prove it was left exactly as it was.
QByteArray entryState(const QByteArray &nativePath);
