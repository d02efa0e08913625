#include "input_trigger_action.h"

std::optional<InputTriggerAction> InputTriggerAction::fromRawValue(const QString &rawValue)
{
    for (InputTriggerAction action : allCases()) {
        if (action.rawValue() == rawValue)
            return action;
    }
    return std::nullopt;
}

QString InputTriggerAction::rawValue() const
{
    switch (m_value) {
    case toggle: return QStringLiteral("toggle");
    case show: return QStringLiteral("show");
    case hide: return QStringLiteral("hide");
    }
    return QString();
}

QList<InputTriggerAction> InputTriggerAction::allCases()
{
    return {toggle, show, hide};
}
