#include "desktop_picture.h"

#include "foundation/child_process.h"

#include <QStandardPaths>

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

} // namespace

std::shared_ptr<DesktopPicture> DesktopPicture::system()
{
    return std::make_shared<GnomeDesktopPicture>();
}

GnomeDesktopPicture::GnomeDesktopPicture()
    : GnomeDesktopPicture([](const QStringList &arguments) -> std::optional<QByteArray> {
          const QString tool = QStandardPaths::findExecutable(QStringLiteral("gsettings"));
          if (tool.isEmpty())
              return std::nullopt;
          return ChildProcess::output(ChildProcess::run(tool, arguments, 2000));
      })
{
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
