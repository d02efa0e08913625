#include "option_key_trigger.h"

const QSet<int> &OptionKeyTrigger::optionKeyCodes()
{
    static const QSet<int> codes{58, 61};
    return codes;
}

void OptionKeyTrigger::syncBaseline(bool optionDown)
{
    m_wasDown = optionDown;
    m_baselineValid = true;
}

OptionKeyTrigger::Action OptionKeyTrigger::flagsChanged(bool optionDown, int keyCode)
{
    const bool hadBaseline = m_baselineValid;
    if (!hadBaseline)
        m_wasDown = optionDown;
    const bool isOption = optionKeyCodes().contains(keyCode);

    Action action = Action::none;
    if (hadBaseline && isOption) {
        if (optionDown && !m_wasDown)
            action = Action::press;
        else if (!optionDown && m_wasDown)
            action = Action::release;
    }
    // Changes of other modifiers say nothing reliable about Option once we know it.
    if (isOption || !hadBaseline)
        m_wasDown = optionDown;
    m_baselineValid = true;
    return action;
}
