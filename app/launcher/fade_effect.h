#pragma once

#include <QColor>
#include <QGraphicsOpacityEffect>

#include <functional>
#include <optional>

class QWidget;

// The presentation's fade. A view whose picture is opaque (an opaque child
// covers all of it) over a host that paints one plain colour under it comes
// out of group opacity as alpha * view + (1 - alpha) * colour at every pixel:
// so on the window's own backing store the view is drawn in place as at rest,
// and one pass over what it drew (two over a colour with alpha) weighs it
// against that colour; hidden, the colour alone is painted. An opacity
// effect would instead picture the whole view in a window-sized pixmap each
// frame and blend that back. Wherever the equality is not known to hold (no
// colour given, a device other than the window's backing store, one that
// drops alpha under a colour with alpha, a picture that is not opaque, a
// turned or scaled painter), this is the opacity effect it derives from,
// drawn as that would draw it.
class FadeEffect : public QGraphicsOpacityEffect
{
    Q_OBJECT

public:
    // The plain colour the host paints right under the view, transparent for
    // nothing at all; nothing when not known.
    using Underlay = std::function<std::optional<QColor>()>;

    explicit FadeEffect(QObject *parent = nullptr);

    void setUnderlay(Underlay underlay) { m_underlay = std::move(underlay); }

    // Whether the last frame drawn went without a picture of the view.
    bool drewInPlace() const { return m_drewInPlace; }

    // Whether every pixel of `widget`'s picture is opaque: a visible child
    // that promises to replace every pixel it paints covers the whole of it.
    static bool picturesOpaquely(const QWidget &widget);

protected:
    void draw(QPainter *painter) override;
    void sourceChanged(ChangeFlags flags) override;

private:
    // The colour under the view where `painter` may draw it in place.
    std::optional<QColor> inPlaceUnderlay(const QPainter &painter) const;
    // Repaints all of the view: Qt would repaint it less what its opaque
    // children cover, which under a full-size backdrop is nothing.
    void repaintView();

    Underlay m_underlay;
    bool m_drewInPlace = false;
};
