#include "system_notifications.h"

NotificationCenter &systemNotificationCenter()
{
    static NotificationCenter center;
    return center;
}
