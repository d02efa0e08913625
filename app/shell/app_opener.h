#pragma once

#include "model/app_item.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

// Opens an application: starts the bundle's executable,
// <bundle>/Contents/MacOS/<CFBundleExecutable of Contents/Info.plist>, as a
// detached process working in Contents/MacOS. When that fails it writes one
// "[Tessellon] 启动 <name> 失败: <reason>" line and opens the bundle's path
// with the desktop's default handler instead, once, ignoring the outcome.
// Hiding the launcher first is the caller's business.
class AppOpener
{
public:
    // Starts `program` (no arguments) detached in `workingDirectory`; nothing
    // on success, else why it failed.
    using ProcessStarter = std::function<std::optional<QString>(const QString &program, const QString &workingDirectory)>;
    // Opens `url` with the desktop's default handler; true when it did.
    using URLOpener = std::function<bool(const QUrl &url)>;

    // Unset arguments take the real ones (QProcess::startDetached,
    // QDesktopServices::openUrl).
    explicit AppOpener(ProcessStarter starter = {}, URLOpener urlOpener = {});

    // Never reports failure to the caller: the log line and the fallback are
    // all that a failure leads to.
    void open(const AppItem &app) const;

    // The executable that opening `bundlePath` starts, or nothing with the
    // reason in `error`. CFBundleExecutable must be a plain file name: a value
    // with a path separator or "." / ".." could start a program outside the
    // bundle.
    static std::optional<QString> executablePath(const QString &bundlePath, QString *error = nullptr);

    static ProcessStarter systemStarter();
    static URLOpener systemURLOpener();

private:
    ProcessStarter m_starter;
    URLOpener m_urlOpener;
};
