#include "layout_id_resolver.h"

namespace {

bool sameIgnoringCase(const QString &a, const QString &b)
{
    // An empty text names nothing: an application without a name or path must
    // not be matched by an input that reduces to nothing (such as "/.app").
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}

bool sameExactly(const QString &a, const QString &b)
{
    return !a.isEmpty() && a == b;
}

} // namespace

QString LayoutIDResolver::lastPathComponent(const QString &path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == QLatin1Char('/'))
        --end;
    if (end == 1 && path.at(0) == QLatin1Char('/'))
        return QStringLiteral("/");
    const QStringView trimmed = QStringView(path).left(end);
    const qsizetype slash = trimmed.lastIndexOf(QLatin1Char('/'));
    return trimmed.mid(slash + 1).toString();
}

QString LayoutIDResolver::baseName(const QString &path)
{
    const QString component = lastPathComponent(path);
    if (component.endsWith(QLatin1String(".app")))
        return component.chopped(4);
    return component;
}

QString LayoutIDResolver::resolve(const QString &identifier, const QList<AppItem> &apps)
{
    const QString text = identifier.trimmed();
    if (text.isEmpty())
        return QString();

    for (const AppItem &app : apps) {
        if (app.stableID() == text)
            return text;
    }

    if (text.startsWith(QLatin1Char('/')) || text.endsWith(QLatin1String(".app"))) {
        for (const AppItem &app : apps) {
            if (app.path == text)
                return app.stableID();
        }
        const QString component = lastPathComponent(text);
        const QString base = baseName(text);
        for (const AppItem &app : apps) {
            if (sameExactly(lastPathComponent(app.path), component) || sameIgnoringCase(app.name, base))
                return app.stableID();
        }
    }

    const QString bundleFileName = text + QStringLiteral(".app");
    for (const AppItem &app : apps) {
        if (sameIgnoringCase(app.name, text) || sameIgnoringCase(lastPathComponent(app.path), bundleFileName))
            return app.stableID();
    }
    return text;
}
