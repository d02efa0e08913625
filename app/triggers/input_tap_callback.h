#pragma once

#include "input_event_source.h"

#include <QtGlobal>

// The callback of every event tap. It does no decision work: it turns the
// event into an InputTriggerEvent stamped with the system uptime and hands it
// to inputBridge(); a tap the system disabled asks the bridge for a rebuild.
void inputTapCallback(quint32 type, const EventTapEvent &event);
