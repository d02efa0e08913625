#pragma once

#include <QImage>

#include <optional>

class QDrag;
class QWidget;

// The picture that follows the pointer while a tile of the grid or a member
// of an open folder is dragged: the icon enlarged by a fifth, lifted off the
// grid by a soft shadow below it, with a margin all round for that shadow.
// The grid and the folder draw it alike.
class DragImage
{
public:
    // Sizes in points for an icon of `iconSide` points on the grid.
    struct Geometry
    {
        double iconSide = 0;     // the icon inside the picture
        double margin = 0;       // on every side of the icon
        double side = 0;         // of the square picture
        double shadowBlur = 0;   // blur radius of the shadow
        double shadowOffset = 0; // how far the shadow falls below the icon
        double cornerRadius = 0; // of the plates drawn in place of an icon

        static Geometry forIconSide(double iconSide);
    };

    enum class Kind { application, folder };

    // What the picture shows: an application's icon (none: a translucent
    // plate), or a folder's plate with its members' mosaic (if any).
    struct Content
    {
        Kind kind = Kind::application;
        std::optional<QImage> image;
    };

    // Black at this alpha, under the icon's first layer only.
    static constexpr double shadowAlpha = 0.4;

    DragImage() = delete;

    // The picture for an icon of `iconSide` points, `scale` pixels a point
    // (the image's device pixel ratio); transparent outside what is drawn.
    static QImage render(const Content &content, double iconSide, double scale);

    // `image` ready for a drag window of its own (a drag that may leave the
    // launcher's window). Without a compositing manager such a window shows
    // every pixel that is not fully transparent over an opaque background, so
    // a soft shadow or a translucent plate would become a white square around
    // the icon: there, the pixels at least half opaque become fully opaque in
    // their own colour and the others fully transparent. With one, unchanged.
    static QImage forDragWindow(const QImage &image, bool compositing);
    // Makes `image` the picture of `drag`, started from `source`; call just
    // before QDrag::exec. A window of ours is translucent exactly when the
    // desktop composites (the launcher follows it), so the source's window
    // tells which picture the drag window gets, and whether it needs an
    // outline of its own (see the definition).
    static void attach(QDrag &drag, const QImage &image, const QWidget *source);
};
