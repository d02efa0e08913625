#pragma once

#include "model/app_item.h"

#include <QList>
#include <QString>

// Maps how another launcher names an application (bundle identifier, bundle
// path, bundle file name or display name) to the stableID of an installed
// application, so that an imported layout refers to the same applications as
// our own.
class LayoutIDResolver
{
public:
    LayoutIDResolver() = delete;

    // The first matching application's stableID (apps searched in order); the
    // trimmed input when nothing matches; "" for blank input.
    static QString resolve(const QString &identifier, const QList<AppItem> &apps);

    // The last path component, a trailing slash ignored ("/" stays "/").
    static QString lastPathComponent(const QString &path);
    // The last path component without a final ".app" (case-sensitive).
    static QString baseName(const QString &path);
};
