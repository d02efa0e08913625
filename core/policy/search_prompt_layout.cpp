#include "search_prompt_layout.h"

#include <algorithm>
#include <cmath>

SearchPromptLayout::SearchPromptLayout(double plateWidth, double plateHeight, double measuredTextWidth)
{
    const double pw = std::isfinite(plateWidth) ? std::max(1.0, plateWidth) : 1.0;
    const double ph = std::isfinite(plateHeight) ? std::max(1.0, plateHeight) : 1.0;
    // An infinitely wide text is simply wider than any room; NaN is no text.
    const double measured = std::isnan(measuredTextWidth) ? 0.0 : std::max(0.0, measuredTextWidth);

    plateSize = QSizeF(pw, ph);
    fieldFrame = QRectF(fieldInset, (ph - fieldHeight) / 2 + textBaselineOffset, std::max(1.0, pw - fieldInset),
                        fieldHeight);
    const double room = std::max(0.0, (pw - fieldInset) - 2 * minimumSideInset);
    textWidth = std::min(measured, room);
    isClamped = room < measured;
    textLeft = fieldFrame.center().x() - textWidth / 2;
    iconFrame = QRectF(textLeft - gap - iconSide, ph / 2 - iconSide / 2, iconSide, iconSide);
}
