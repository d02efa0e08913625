#include "pinch_gesture.h"

#include "localization/l10n.h"

std::optional<int> PinchGesture::fingerCount() const
{
    switch (m_value) {
    case three: return 3;
    case four: return 4;
    case five: return 5;
    case off:
    case system: return std::nullopt;
    }
    return std::nullopt;
}

QString PinchGesture::label() const
{
    switch (m_value) {
    case off: return L("关闭");
    case three: return L("三指捏合");
    case four: return L("四指捏合");
    case five: return L("五指捏合");
    case system: return L("跟随系统设置");
    }
    return QString();
}
