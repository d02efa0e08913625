#include "folders/folder_drag_image_geometry.h"

FolderDragImageGeometry FolderDragImageGeometry::forIconSide(double memberIconSide)
{
    FolderDragImageGeometry g;
    g.iconSide = 1.18 * memberIconSide;
    g.margin = 0.3 * memberIconSide;
    g.side = g.iconSide + 2 * g.margin;
    g.shadowBlur = 0.16 * g.iconSide;
    g.shadowOffset = 0.1 * g.iconSide;
    g.placeholderRadius = 0.22 * g.iconSide;
    return g;
}
