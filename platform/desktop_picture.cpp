// GIO first: its headers use names that Qt's keyword macros (signals, slots)
// would rewrite.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include "desktop_picture.h"

#include "foundation/log.h"

#include <dlfcn.h>

#include <memory>
#include <type_traits>

namespace {

// GIO is loaded the first time a setting is read, not linked: the library and
// the half dozen it brings along would cost every start about 3 ms before the
// window can show, while the desktop picture is looked up on a worker. The
// first look-up may come from any thread: get() loads once, under the lock of
// its static, and GLib's own one-time set-up (the default schema source and
// settings backend) is guarded by GLib. The declarations come from GIO's own
// headers, so a changed signature fails the build.
struct Gio
{
    decltype(&g_settings_schema_source_get_default) schemaSourceGetDefault = nullptr;
    decltype(&g_settings_schema_source_new_from_directory) schemaSourceNewFromDirectory = nullptr;
    decltype(&g_settings_schema_source_lookup) schemaSourceLookup = nullptr;
    decltype(&g_settings_schema_source_unref) schemaSourceUnref = nullptr;
    decltype(&g_settings_schema_has_key) schemaHasKey = nullptr;
    decltype(&g_settings_schema_unref) schemaUnref = nullptr;
    decltype(&g_settings_new_full) settingsNewFull = nullptr;
    decltype(&g_settings_get_value) settingsGetValue = nullptr;
    decltype(&g_memory_settings_backend_new) memoryBackendNew = nullptr;
    decltype(&g_object_unref) objectUnref = nullptr;
    decltype(&g_variant_print) variantPrint = nullptr;
    decltype(&g_variant_unref) variantUnref = nullptr;
    decltype(&g_free) free = nullptr;
    decltype(&g_error_free) errorFree = nullptr;

    // Null, after one log line, when the library or one of its functions is
    // missing: then no setting is known and the launcher draws without the
    // picture.
    static const Gio *get()
    {
        static const Gio *const loaded = load();
        return loaded;
    }

private:
    static const Gio *load()
    {
        static const char *const libraryName = "libgio-2.0.so.0";
        // Never closed: GLib's type system does not survive being unloaded.
        void *library = dlopen(libraryName, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            Log::write("[desktop] settings unavailable library=%@ error=%@", QString::fromLatin1(libraryName),
                       QString::fromLocal8Bit(dlerror()));
            return nullptr;
        }
        static Gio gio;
        const char *missing = nullptr;
        const auto need = [&](const char *name, auto &function) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
            if (!function && !missing)
                missing = name;
        };
        need("g_settings_schema_source_get_default", gio.schemaSourceGetDefault);
        need("g_settings_schema_source_new_from_directory", gio.schemaSourceNewFromDirectory);
        need("g_settings_schema_source_lookup", gio.schemaSourceLookup);
        need("g_settings_schema_source_unref", gio.schemaSourceUnref);
        need("g_settings_schema_has_key", gio.schemaHasKey);
        need("g_settings_schema_unref", gio.schemaUnref);
        need("g_settings_new_full", gio.settingsNewFull);
        need("g_settings_get_value", gio.settingsGetValue);
        need("g_memory_settings_backend_new", gio.memoryBackendNew);
        need("g_object_unref", gio.objectUnref);
        need("g_variant_print", gio.variantPrint);
        need("g_variant_unref", gio.variantUnref);
        need("g_free", gio.free);
        need("g_error_free", gio.errorFree);
        if (missing) {
            Log::write("[desktop] settings unavailable library=%@ missing=%@", QString::fromLatin1(libraryName),
                       QString::fromLatin1(missing));
            return nullptr;
        }
        return &gio;
    }
};

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
            Gio::get()->objectUnref(object);
    }
};

struct SchemaRelease
{
    void operator()(GSettingsSchema *schema) const
    {
        if (schema)
            Gio::get()->schemaUnref(schema);
    }
};

struct SourceRelease
{
    // Called with null too: a shared_ptr owns even an empty pointer.
    void operator()(GSettingsSchemaSource *source) const
    {
        if (source)
            Gio::get()->schemaSourceUnref(source);
    }
};

// One key of one schema. GSettings aborts the process on an unknown schema or
// key, so both are looked up first.
std::optional<QByteArray> readSetting(const Gio &gio, GSettingsSchemaSource *source, GSettingsBackend *backend,
                                      const QStringList &arguments)
{
    if (!source || arguments.size() != 3 || arguments.at(0) != QLatin1String("get"))
        return std::nullopt;
    const QByteArray schemaID = arguments.at(1).toUtf8();
    const QByteArray key = arguments.at(2).toUtf8();
    const std::unique_ptr<GSettingsSchema, SchemaRelease> schema(
        gio.schemaSourceLookup(source, schemaID.constData(), TRUE));
    if (!schema || !gio.schemaHasKey(schema.get(), key.constData()))
        return std::nullopt;
    const std::unique_ptr<GSettings, GObjectRelease> settings(gio.settingsNewFull(schema.get(), backend, nullptr));
    GVariant *value = gio.settingsGetValue(settings.get(), key.constData());
    if (!value)
        return std::nullopt;
    gchar *text = gio.variantPrint(value, FALSE);
    QByteArray printed(text);
    gio.free(text);
    gio.variantUnref(value);
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
        return [](const QStringList &arguments) -> std::optional<QByteArray> {
            const Gio *gio = Gio::get();
            if (!gio)
                return std::nullopt;
            // Not ours to release; nothing at all when no schema is installed.
            return readSetting(*gio, gio->schemaSourceGetDefault(), nullptr, arguments);
        };
    }
    const Gio *gio = Gio::get();
    if (!gio)
        return [](const QStringList &) { return std::optional<QByteArray>(); };
    GError *error = nullptr;
    GSettingsSchemaSource *source =
        gio->schemaSourceNewFromDirectory(schemaDirectory.toUtf8().constData(), nullptr, FALSE, &error);
    if (error)
        gio->errorFree(error);
    const std::shared_ptr<GSettingsSchemaSource> shared(source, SourceRelease());
    const std::shared_ptr<GSettingsBackend> backend(gio->memoryBackendNew(), GObjectRelease());
    return [gio, shared, backend](const QStringList &arguments) {
        return readSetting(*gio, shared.get(), backend.get(), arguments);
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
    const std::lock_guard lock(m_mutex);
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
