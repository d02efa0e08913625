#pragma once

#include "input_event_source.h"

#include <QString>

#include <memory>
#include <optional>

class X11Display;

// System-wide input on an X server through XInput2: raw key events on the
// root window (every key press, whatever window has the focus) and, where the
// server speaks XInput 2.4, touchpad pinch gestures. There is no permission to
// grant on X: the process counts as trusted when the server has XInput2 and
// accepts the event selection. Each tap owns its own connection, so
// destroying a tap frees everything it selected on the server.
class InputEventSourceX11 : public InputEventSource
{
public:
    // `displayName` as for XOpenDisplay (":1"); empty for $DISPLAY.
    explicit InputEventSourceX11(QString displayName = {});
    ~InputEventSourceX11() override;

    bool isProcessTrusted() override;
    // X has no switch for it: the server's answer holds for the connection.
    bool trustCanChange() const override { return false; }
    bool requestTrust() override;
    bool openPrivacySettings() override;
    std::unique_ptr<EventTap> createTap(quint64 mask, TapOption option, EventTapCallback callback) override;

    // The server's XInput version as major * 100 + minor (204 for 2.4); none
    // when there is no server or no XInput2.
    std::optional<int> serverXInputVersion();
    // Key events of a tap need at least XInput 2.1 (raw events during grabs),
    // pinch gestures 2.4.
    static bool supportsGestures(int version) { return version >= 204; }
    // For a tap of this source: waits until the server has handled everything
    // sent so far and handles the events that came back, without waiting for
    // the event loop.
    static void processPendingEvents(EventTap &tap);

private:
    QString m_displayName;
    std::unique_ptr<X11Display> m_probe;
    std::optional<bool> m_probeTrusted;
    std::optional<int> m_probeVersion;
};
