#include "edit_mode_badge_placement.h"

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
