#pragma once

#include <QSet>

// Detects presses and releases of either Option key from modifier-change
// events, so that holding Option can show edit mode. The first event only
// learns the state: a key already held when we start is not a press.
class OptionKeyTrigger
{
public:
    enum class Action { none, press, release };

    // Left and right Option.
    static const QSet<int> &optionKeyCodes();

    OptionKeyTrigger() = default;

    bool wasDown() const { return m_wasDown; }
    bool baselineValid() const { return m_baselineValid; }

    // Records the current Option state as known, without an action.
    void syncBaseline(bool optionDown);
    Action flagsChanged(bool optionDown, int keyCode);

private:
    bool m_wasDown = false;
    bool m_baselineValid = false;
};
