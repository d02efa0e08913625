#include "edit_mode_badge_placement.h"

std::optional<EditModeBadgePlacement> EditModeBadgePlacement::fromRawValue(const QString &rawValue)
{
    for (EditModeBadgePlacement placement : allCases()) {
        if (placement.rawValue() == rawValue)
            return placement;
    }
    return std::nullopt;
}

QString EditModeBadgePlacement::rawValue() const
{
    switch (m_value) {
    case topLeft: return QStringLiteral("left");
    case topRight: return QStringLiteral("right");
    }
    return QString();
}

QList<EditModeBadgePlacement> EditModeBadgePlacement::allCases()
{
    return {topLeft, topRight};
}

EditModeBadgePlacement EditModeBadgePlacement::parse(const std::optional<QString> &text)
{
    if (!text)
        return topLeft;
    const QString lowered = text->toLower();
    if (lowered == QLatin1String("right") || lowered == QLatin1String("topright") ||
        lowered == QLatin1String("top-right") || lowered == QLatin1String("tr"))
        return topRight;
    return topLeft;
}
