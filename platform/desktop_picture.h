#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// Where the desktop environment keeps the picture of the desktop.
class DesktopPicture
{
public:
    virtual ~DesktopPicture() = default;

    // The file URL of the main screen's desktop picture, when the desktop
    // environment tells one. The file may not exist. Called on worker
    // threads, several at once: an implementation must allow that.
    virtual std::optional<QUrl> desktopImageURL() const = 0;

    // The implementation for the running desktop (GNOME's settings on Linux).
    static std::shared_ptr<DesktopPicture> system();
};

// GNOME keeps the picture in org.gnome.desktop.background, with a separate
// key for the dark style. The keys are read in-process through GSettings, so
// looking the picture up costs no child process.
class GnomeDesktopPicture : public DesktopPicture
{
public:
    // Reads a setting: arguments "get", schema, key; the value in GVariant
    // text form, as gsettings prints it, or nothing when the schema or the
    // key is unknown. Called on any thread, never by two at once.
    using Runner = std::function<std::optional<QByteArray>(const QStringList &arguments)>;

    // Through the system's schemas and settings backend.
    GnomeDesktopPicture();
    explicit GnomeDesktopPicture(Runner runner);

    std::optional<QUrl> desktopImageURL() const override;

    // A Runner over GSettings: the system's schemas and backend, or with a
    // directory, only the schemas compiled there, read from a backend of
    // their default values.
    static Runner settingsReader(const QString &schemaDirectory = QString());

    // A picture key's value as gsettings prints it (a quoted string such as
    // 'file:///usr/share/backgrounds/a.jpg') as a local file URL; nothing for
    // an empty value or a URI that is not a local file.
    static std::optional<QUrl> parsePictureUri(const QByteArray &output);
    // Whether gsettings' color-scheme value asks for the dark style.
    static bool prefersDark(const QByteArray &output);

private:
    Runner m_runner;
    // One look-up at a time: a Runner need not allow two at once.
    mutable std::mutex m_mutex;
};
