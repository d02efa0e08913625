#pragma once

// The picture that follows the pointer while a member is dragged: the icon
// enlarged, with a margin for its shadow.
struct FolderDragImageGeometry
{
    double iconSide = 0;   // the icon inside the picture
    double margin = 0;     // on every side of the icon
    double side = 0;       // of the square picture
    double shadowBlur = 0;
    double shadowOffset = 0; // downwards
    double placeholderRadius = 0;

    static FolderDragImageGeometry forIconSide(double memberIconSide);
};
