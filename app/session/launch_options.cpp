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
    // The value's placeholder in the usage text; empty for a flag.
    const char *value;
    const char *help;
};

// Every option parse() reads, with the kind of its value and its line of the
// usage text, in the order "--help" prints them.
constexpr KnownOption kKnownOptions[] = {
    {"--help", Kind::flag, "", "print these options and exit, starting nothing"},
    {"--show", Kind::flag, "", "show the launcher (at start it shows anyway, except with --dump-windows)"},
    {"--settings", Kind::flag, "", "open the settings window"},
    {"--settings-tab", Kind::integer, "N", "with --settings: select the settings window's tab N (0 is the first)"},
    {"--page", Kind::integer, "N", "start on page N (0 is the first)"},
    {"--search", Kind::text, "TEXT", "start with TEXT in the search field"},
    {"--scroll", Kind::flag, "", "scroll the grid instead of paging it, for this run"},
    {"--folder", Kind::flag, "", "open a folder at start"},
    {"--folder-page", Kind::integer, "N", "with --folder: start on the folder's page N"},
    {"--dump-windows", Kind::flag, "", "log window, paging, drag and edit-mode details; start hidden unless --show"},
    {"--no-animation", Kind::flag, "", "turn pages, show and hide without animation"},
    {"--lock-page", Kind::flag, "", "refuse paging by pointer drags, the wheel, side buttons and screen edges"},
    {"--no-hover", Kind::flag, "", "accepted for compatibility; has no effect"},
    {"--slide-progress", Kind::number, "P", "hold the page turn at progress P (0 to 1)"},
    {"--drag-progress", Kind::number, "P", "hold a page drag at progress P (0 to 1)"},
    {"--slide-duration", Kind::number, "SECONDS", "duration of a page turn"},
    {"--columns", Kind::integer, "N", "columns of the grid, for this run"},
    {"--rows", Kind::integer, "N", "rows of the grid, for this run"},
    {"--side-inset", Kind::number, "F", "side inset of the grid, for this run"},
    {"--icon-scale", Kind::number, "F", "icon scale, for this run"},
    {"--state-dir", Kind::text, "DIR",
     "keep layout.json and pinned.json in DIR (else $APP_STATE_DIR, else ~/.local/share/Tessellon)"},
    {"--import-native", Kind::flag, "", "import the system launcher's layout"},
    {"--import-source", Kind::text, "NAME", "import the layout of the launcher NAME (e.g. launchie)"},
    {"--import-path", Kind::text, "FILE", "import the layout stored in FILE (with --import-source for its kind)"},
    {"--no-event-tap", Kind::flag, "", "do not watch global keys and gestures (F4, modifier keys, pinches)"},
    {"--simulate-trigger", Kind::text, "WORD", "act as if WORD happened: f4, hotkey, pinch, lock, wake, desktop"},
    {"--list-sources", Kind::flag, "", "log the layout sources found"},
    {"--simulate-page-input", Kind::text, "SPEC",
     "page input once ready: page:N, side-next, side-back, drag-next, edge-page"},
    {"--simulate-drop", Kind::text, "SPEC", "drop a tile once ready, as a drag would"},
    {"--pinch", Kind::text, "GESTURE", "the pinch gesture, for this run: off, three, four, five, system"},
    {"--no-launchpad-names", Kind::flag, "", "do not use the system launcher's application names, for this run"},
    {"--uninstall-preview", Kind::text, "NAME", "preview uninstalling the application NAME (nothing moves)"},
    {"--edit-mode", Kind::flag, "", "enter edit mode once ready"},
    {"--freeze-jiggle", Kind::flag, "", "no wobble in edit mode"},
    {"--edit-safe-uninstall", Kind::flag, "", "a delete badge only previews the uninstall"},
    {"--edit-tap-first-badge", Kind::flag, "", "with an edit-mode option: tap the first delete badge"},
    {"--badge-side", Kind::text, "SIDE", "corner of the delete badge: left or right"},
    {"--edit-via-option", Kind::flag, "", "enter edit mode by a simulated held Alt key"},
    {"--edit-release-option", Kind::flag, "", "enter edit mode by a held Alt key, then release it"},
    {"--language", Kind::text, "CODE", "interface language, for this run: system, zh-Hans, en, fr, de, ja, ru, es"},
    {"--switch-language", Kind::text, "CODE", "switch the interface language once started"},
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

bool LaunchOptions::wantsHelp(const QStringList &arguments)
{
    return arguments.mid(1).contains(QLatin1String("--help")) || arguments.mid(1).contains(QLatin1String("-h"));
}

QString LaunchOptions::usage()
{
    QString text = QStringLiteral("Usage: tessellon [OPTION]...\n"
                                  "A full-screen launcher of the installed applications. Options:\n");
    for (const KnownOption &option : kKnownOptions) {
        QString name = QLatin1String(option.name);
        if (*option.value)
            name += QLatin1Char(' ') + QLatin1String(option.value);
        text += QStringLiteral("  %1  %2\n").arg(name, -27).arg(QLatin1String(option.help));
    }
    return text;
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
