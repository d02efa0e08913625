#include "menu_item_descriptor.h"

const MenuItemDescriptor &MenuItemDescriptor::separator()
{
    static const MenuItemDescriptor item;
    return item;
}
