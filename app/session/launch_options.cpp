#include "launch_options.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

int saturatedInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

bool LaunchOptions::isHandedOver(const QString &option)
{
    static const QStringList handedOver{
        QStringLiteral("--import-path"), QStringLiteral("--import-source"), QStringLiteral("--import-native"),
        QStringLiteral("--settings"),    QStringLiteral("--settings-tab"),  QStringLiteral("--show"),
        QStringLiteral("--state-dir"),
    };
    return handedOver.contains(option);
}

QStringList LaunchOptions::forHandOver(const QStringList &arguments, const QString &currentDirectory)
{
    QStringList result = arguments.mid(1);
    const QDir here(currentDirectory);
    for (qsizetype i = 0; i + 1 < result.size(); ++i) {
        const QString &option = result.at(i);
        if (option != QLatin1String("--import-path") && option != QLatin1String("--state-dir"))
            continue;
        QString &path = result[i + 1];
        if (path.startsWith(QLatin1String("--")))
            continue;
        path = QDir::cleanPath(here.absoluteFilePath(path));
        ++i;
    }
    return result;
}

QStringList LaunchOptions::notHandedOver(const QStringList &arguments)
{
    QStringList result;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument.startsWith(QLatin1String("--")) && !isHandedOver(argument) && !result.contains(argument))
            result.append(argument);
    }
    return result;
}

std::optional<QString> LaunchOptions::value(const QStringList &arguments, const QString &option)
{
    const qsizetype index = arguments.indexOf(option);
    if (index < 0 || index + 1 >= arguments.size())
        return std::nullopt;
    const QString &next = arguments.at(index + 1);
    if (next.startsWith(QLatin1String("--")))
        return std::nullopt;
    return next;
}

std::optional<qint64> LaunchOptions::parseInteger(const QString &text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i >= text.size())
        return std::nullopt;
    // Accumulate toward the negative side, which holds one more value than
    // the positive side, so that the smallest 64-bit integer parses too.
    qint64 result = 0;
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!isAsciiDigit(c))
            return std::nullopt;
        const int digit = c.unicode() - '0';
        if (result < (kMin + digit) / 10)
            return std::nullopt;
        result = result * 10 - digit;
    }
    if (negative)
        return result;
    if (result == kMin)
        return std::nullopt;
    return -result;
}

std::optional<double> LaunchOptions::parseDouble(const QString &text)
{
    // std::from_chars is locale-independent (a decimal comma never parses),
    // but knows neither a leading '+' nor a "0x" prefix; both are C literals.
    QByteArray bytes = text.toUtf8();
    bool negative = false;
    qsizetype start = 0;
    if (!bytes.isEmpty() && (bytes.at(0) == '+' || bytes.at(0) == '-')) {
        negative = bytes.at(0) == '-';
        start = 1;
    }
    std::chars_format format = std::chars_format::general;
    if (bytes.size() - start > 2 && bytes.at(start) == '0' && (bytes.at(start + 1) == 'x' || bytes.at(start + 1) == 'X')) {
        format = std::chars_format::hex;
        start += 2;
    }
    const char *first = bytes.constData() + start;
    const char *last = bytes.constData() + bytes.size();
    // A second sign ("+-1", "--1") is not a literal.
    if (first == last || *first == '+' || *first == '-')
        return std::nullopt;
    double value = 0;
    const std::from_chars_result result = std::from_chars(first, last, value, format);
    // Out of range: strtod would answer infinity or zero; do the same.
    if (result.ec == std::errc::result_out_of_range) {
        if (result.ptr != last)
            return std::nullopt;
        // Find whether the exponent was large or small.
        const QByteArray literal(first, last - first);
        const qsizetype e = literal.toLower().indexOf(format == std::chars_format::hex ? 'p' : 'e');
        const bool tiny = e >= 0 && e + 1 < literal.size() && literal.at(e + 1) == '-';
        value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
    } else if (result.ec != std::errc() || result.ptr != last) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

namespace {

enum class Kind { flag, text, integer, number };

struct KnownOption
{
    const char *name;
    Kind kind;
};

// Every option parse() reads, with the kind of its value.
constexpr KnownOption kKnownOptions[] = {
    {"--show", Kind::flag},
    {"--settings", Kind::flag},
    {"--page", Kind::integer},
    {"--search", Kind::text},
    {"--scroll", Kind::flag},
    {"--folder", Kind::flag},
    {"--folder-page", Kind::integer},
    {"--dump-windows", Kind::flag},
    {"--no-animation", Kind::flag},
    {"--lock-page", Kind::flag},
    {"--no-hover", Kind::flag},
    {"--slide-progress", Kind::number},
    {"--drag-progress", Kind::number},
    {"--slide-duration", Kind::number},
    {"--columns", Kind::integer},
    {"--rows", Kind::integer},
    {"--side-inset", Kind::number},
    {"--icon-scale", Kind::number},
    {"--state-dir", Kind::text},
    {"--import-native", Kind::flag},
    {"--import-source", Kind::text},
    {"--import-path", Kind::text},
    {"--no-event-tap", Kind::flag},
    {"--simulate-trigger", Kind::text},
    {"--list-sources", Kind::flag},
    {"--simulate-page-input", Kind::text},
    {"--simulate-drop", Kind::text},
    {"--pinch", Kind::text},
    {"--no-launchpad-names", Kind::flag},
    {"--uninstall-preview", Kind::text},
    {"--edit-mode", Kind::flag},
    {"--freeze-jiggle", Kind::flag},
    {"--edit-safe-uninstall", Kind::flag},
    {"--edit-tap-first-badge", Kind::flag},
    {"--badge-side", Kind::text},
    {"--edit-via-option", Kind::flag},
    {"--edit-release-option", Kind::flag},
    {"--language", Kind::text},
    {"--settings-tab", Kind::integer},
    {"--switch-language", Kind::text},
};

} // namespace

QStringList LaunchOptions::problems(const QStringList &arguments)
{
    QStringList found;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!argument.startsWith(QLatin1String("--")))
            continue;
        const auto known = std::find_if(std::begin(kKnownOptions), std::end(kKnownOptions),
                                        [&](const KnownOption &option) { return argument == QLatin1String(option.name); });
        if (known == std::end(kKnownOptions)) {
            found.append(QStringLiteral("unknown option=%1").arg(argument));
            continue;
        }
        if (known->kind == Kind::flag)
            continue;
        const bool hasValue = i + 1 < arguments.size() && !arguments.at(i + 1).startsWith(QLatin1String("--"));
        if (!hasValue) {
            found.append(QStringLiteral("missing value option=%1").arg(argument));
            continue;
        }
        const QString &value = arguments.at(++i);
        const bool readable = known->kind == Kind::integer  ? parseInteger(value).has_value()
                              : known->kind == Kind::number ? parseDouble(value).has_value()
                                                            : true;
        if (!readable)
            found.append(QStringLiteral("unreadable value option=%1 value=%2").arg(argument, value));
    }
    return found;
}

LaunchOptions LaunchOptions::parse()
{
    return parse(QCoreApplication::arguments());
}

LaunchOptions LaunchOptions::parse(const QStringList &arguments)
{
    LaunchOptions o;
    const auto flag = [&](const char *option) { return arguments.contains(QLatin1String(option)); };
    const auto text = [&](const char *option) { return value(arguments, QLatin1String(option)); };
    const auto integer = [&](const char *option) -> std::optional<int> {
        const std::optional<QString> raw = text(option);
        if (!raw)
            return std::nullopt;
        const std::optional<qint64> parsed = parseInteger(*raw);
        if (!parsed)
            return std::nullopt;
        return saturatedInt(*parsed);
    };
    const auto number = [&](const char *option) -> std::optional<double> {
        const std::optional<QString> raw = text(option);
        return raw ? parseDouble(*raw) : std::nullopt;
    };

    o.show = flag("--show");
    o.showSettings = flag("--settings");
    o.page = integer("--page").value_or(0);
    o.search = text("--search").value_or(QString());
    o.scroll = flag("--scroll");
    o.openFolder = flag("--folder");
    o.folderPage = std::max(0, integer("--folder-page").value_or(0));
    o.dumpWindows = flag("--dump-windows");
    o.noAnimation = flag("--no-animation");
    o.lockPage = flag("--lock-page");
    o.noHover = flag("--no-hover");
    o.slideProgress = number("--slide-progress");
    o.dragProgress = number("--drag-progress");
    o.slideDuration = number("--slide-duration");
    o.columns = integer("--columns");
    o.rows = integer("--rows");
    o.sideInset = number("--side-inset");
    o.iconScale = number("--icon-scale");
    o.stateDirectory = text("--state-dir");
    o.importNative = flag("--import-native");
    o.importSource = text("--import-source");
    o.importPath = text("--import-path");
    o.noEventTap = flag("--no-event-tap");
    o.simulateTrigger = text("--simulate-trigger");
    o.listSources = flag("--list-sources");
    o.pageInputSimulation = text("--simulate-page-input");
    o.dropSimulation = text("--simulate-drop");
    o.pinchOverride = text("--pinch");
    o.noLaunchpadNames = flag("--no-launchpad-names");
    o.uninstallPreview = text("--uninstall-preview");
    o.editMode = flag("--edit-mode");
    o.freezeJiggle = flag("--freeze-jiggle");
    o.editSafeUninstall = flag("--edit-safe-uninstall");
    o.editTapFirstBadge = flag("--edit-tap-first-badge");
    o.badgeSide = text("--badge-side");
    o.editViaOption = flag("--edit-via-option");
    o.editReleaseOption = flag("--edit-release-option");
    o.language = text("--language");
    o.settingsTab = integer("--settings-tab");
    o.switchLanguage = text("--switch-language");
    return o;
}

std::optional<QString> LaunchOptions::effectiveStateDirectory() const
{
    return effectiveStateDirectory(QProcessEnvironment::systemEnvironment());
}

std::optional<QString> LaunchOptions::effectiveStateDirectory(const QProcessEnvironment &environment) const
{
    const auto absolute = [](const QString &path) {
        if (path.isEmpty())
            return QDir::currentPath();
        return QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path);
    };
    if (stateDirectory)
        return absolute(*stateDirectory);
    const QString fromEnvironment = environment.value(QStringLiteral("APP_STATE_DIR"));
    if (!fromEnvironment.isEmpty())
        return absolute(fromEnvironment);
    return std::nullopt;
}
