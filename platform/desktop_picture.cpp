// GIO first: its headers use names that Qt's keyword macros (signals, slots)
// would rewrite.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include "desktop_picture.h"

#include <memory>

namespace {

const QString backgroundSchema = QStringLiteral("org.gnome.desktop.background");

// gsettings prints a string value in GVariant text form: single quotes
// (double quotes when the text holds a single quote) with backslash escapes.
std::optional<QString> unquote(const QByteArray &output)
{
    const QString text = QString::fromUtf8(output).trimmed();
    if (text.size() < 2)
        return std::nullopt;
    const QChar quote = text.front();
    if ((quote != QLatin1Char('\'') && quote != QLatin1Char('"')) || text.back() != quote)
        return std::nullopt;
    QString value;
    for (qsizetype i = 1; i < text.size() - 1; ++i) {
        QChar c = text.at(i);
        if (c == QLatin1Char('\\') && i + 1 < text.size() - 1)
            c = text.at(++i);
        value.append(c);
    }
    return value;
}

struct GObjectRelease
{
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};

struct SchemaRelease
{
    void operator()(GSettingsSchema *schema) const
    {
        if (schema)
            g_settings_schema_unref(schema);
    }
};

struct SourceRelease
{
    // Called with null too: a shared_ptr owns even an empty pointer.
    void operator()(GSettingsSchemaSource *source) const
    {
        if (source)
            g_settings_schema_source_unref(source);
    }
};

// One key of one schema. GSettings aborts the process on an unknown schema or
// key, so both are looked up first.
std::optional<QByteArray> readSetting(GSettingsSchemaSource *source, GSettingsBackend *backend,
                                      const QStringList &arguments)
{
    if (!source || arguments.size() != 3 || arguments.at(0) != QLatin1String("get"))
        return std::nullopt;
    const QByteArray schemaID = arguments.at(1).toUtf8();
    const QByteArray key = arguments.at(2).toUtf8();
    const std::unique_ptr<GSettingsSchema, SchemaRelease> schema(
        g_settings_schema_source_lookup(source, schemaID.constData(), TRUE));
    if (!schema || !g_settings_schema_has_key(schema.get(), key.constData()))
        return std::nullopt;
    const std::unique_ptr<GSettings, GObjectRelease> settings(g_settings_new_full(schema.get(), backend, nullptr));
    GVariant *value = g_settings_get_value(settings.get(), key.constData());
    if (!value)
        return std::nullopt;
    gchar *text = g_variant_print(value, FALSE);
    QByteArray printed(text);
    g_free(text);
    g_variant_unref(value);
    return printed;
}

} // namespace

std::shared_ptr<DesktopPicture> DesktopPicture::system()
{
    return std::make_shared<GnomeDesktopPicture>();
}

GnomeDesktopPicture::GnomeDesktopPicture()
    : GnomeDesktopPicture(settingsReader())
{
}

GnomeDesktopPicture::Runner GnomeDesktopPicture::settingsReader(const QString &schemaDirectory)
{
    if (schemaDirectory.isEmpty()) {
        return [](const QStringList &arguments) {
            // Not ours to release; nothing at all when no schema is installed.
            return readSetting(g_settings_schema_source_get_default(), nullptr, arguments);
        };
    }
    GError *error = nullptr;
    GSettingsSchemaSource *source =
        g_settings_schema_source_new_from_directory(schemaDirectory.toUtf8().constData(), nullptr, FALSE, &error);
    if (error)
        g_error_free(error);
    const std::shared_ptr<GSettingsSchemaSource> shared(source, SourceRelease());
    const std::shared_ptr<GSettingsBackend> backend(g_memory_settings_backend_new(), GObjectRelease());
    return [shared, backend](const QStringList &arguments) {
        return readSetting(shared.get(), backend.get(), arguments);
    };
}

GnomeDesktopPicture::GnomeDesktopPicture(Runner runner)
    : m_runner(std::move(runner))
{
}

std::optional<QUrl> GnomeDesktopPicture::parsePictureUri(const QByteArray &output)
{
    const std::optional<QString> value = unquote(output);
    if (!value || value->isEmpty())
        return std::nullopt;
    // Old settings may hold a bare path.
    const QUrl url = value->startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(*value) : QUrl(*value);
    if (!url.isValid() || !url.isLocalFile() || url.toLocalFile().isEmpty())
        return std::nullopt;
    return url;
}

bool GnomeDesktopPicture::prefersDark(const QByteArray &output)
{
    const std::optional<QString> value = unquote(output);
    return value && *value == QStringLiteral("prefer-dark");
}

std::optional<QUrl> GnomeDesktopPicture::desktopImageURL() const
{
    if (!m_runner)
        return std::nullopt;
    QStringList keys{QStringLiteral("picture-uri")};
    const std::optional<QByteArray> scheme =
        m_runner({QStringLiteral("get"), QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("color-scheme")});
    if (scheme && prefersDark(*scheme))
        keys.prepend(QStringLiteral("picture-uri-dark"));
    for (const QString &key : keys) {
        const std::optional<QByteArray> output = m_runner({QStringLiteral("get"), backgroundSchema, key});
        if (!output)
            continue;
        if (const std::optional<QUrl> url = parsePictureUri(*output))
            return url;
    }
    return std::nullopt;
}
