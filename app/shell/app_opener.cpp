#include "shell/app_opener.h"

#include "foundation/log.h"
#include "foundation/property_list.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QVariantMap>

namespace {

void setError(QString *error, const QString &text)
{
    if (error != nullptr)
        *error = text;
}

} // namespace

AppOpener::AppOpener(ProcessStarter starter, URLOpener urlOpener)
    : m_starter(starter ? std::move(starter) : systemStarter()),
      m_urlOpener(urlOpener ? std::move(urlOpener) : systemURLOpener())
{
}

std::optional<QString> AppOpener::executablePath(const QString &bundlePath, QString *error)
{
    const QDir contents(QDir(bundlePath).filePath(QStringLiteral("Contents")));
    const QString plistPath = contents.filePath(QStringLiteral("Info.plist"));
    if (!QFileInfo(plistPath).isFile()) {
        setError(error, QStringLiteral("no Info.plist at %1").arg(plistPath));
        return std::nullopt;
    }
    const std::optional<QVariant> plist = PropertyList::parseFile(plistPath);
    if (!plist || plist->typeId() != QMetaType::QVariantMap) {
        setError(error, QStringLiteral("unreadable Info.plist at %1").arg(plistPath));
        return std::nullopt;
    }
    const QVariant value = plist->toMap().value(QStringLiteral("CFBundleExecutable"));
    if (value.typeId() != QMetaType::QString || value.toString().isEmpty()) {
        setError(error, QStringLiteral("Info.plist names no CFBundleExecutable"));
        return std::nullopt;
    }
    const QString name = value.toString();
    if (name.contains(QLatin1Char('/')) || name == QLatin1String(".") || name == QLatin1String("..")
        || name.contains(QChar(0))) {
        setError(error, QStringLiteral("CFBundleExecutable is not a file name: %1").arg(name));
        return std::nullopt;
    }
    const QString executable = contents.filePath(QStringLiteral("MacOS/") + name);
    const QFileInfo info(executable);
    if (!info.exists()) {
        setError(error, QStringLiteral("no executable at %1").arg(executable));
        return std::nullopt;
    }
    if (!info.isFile() || !info.isExecutable()) {
        setError(error, QStringLiteral("not an executable file: %1").arg(executable));
        return std::nullopt;
    }
    return executable;
}

void AppOpener::open(const AppItem &app) const
{
    QString error;
    std::optional<QString> failure;
    if (const std::optional<QString> executable = executablePath(app.path, &error)) {
        failure = m_starter(*executable, QFileInfo(*executable).absolutePath());
    } else {
        failure = error;
    }
    if (!failure)
        return;
    // Written as it is: a percent sign in the name or the reason stays literal.
    Log::writeLine(QStringLiteral("[Tessellon] 启动 ") + app.name + QStringLiteral(" 失败: ") + *failure);
    m_urlOpener(app.url());
}

AppOpener::ProcessStarter AppOpener::systemStarter()
{
    return [](const QString &program, const QString &workingDirectory) -> std::optional<QString> {
        QProcess process;
        process.setProgram(program);
        process.setWorkingDirectory(workingDirectory);
        if (process.startDetached())
            return std::nullopt;
        return process.errorString();
    };
}

AppOpener::URLOpener AppOpener::systemURLOpener()
{
    return [](const QUrl &url) { return QDesktopServices::openUrl(url); };
}
