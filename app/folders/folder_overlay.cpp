#include "folders/folder_overlay.h"

#include "folders/folder_dots_view.h"
#include "folders/folder_panel_view.h"
#include "folders/folder_tiles_view.h"
#include "folders/folder_title_field.h"
#include "folders/stepped_folder_paging.h"
#include "tiles/drag_image.h"
#include "tiles/tile_pasteboard.h"

#include "localization/l10n.h"
#include "model/launcher_layout.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGraphicsDropShadowEffect>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// The folder pages turn a little more readily than the launcher grid.
WheelPageNavigator::Configuration folderNavigatorConfiguration()
{
    return WheelPageNavigator::Configuration(40, 1, 0.32, 0.32, 0.22, 0.25, 0.35, 1.6, 2.6);
}

QColor grey(double level, double alpha)
{
    return QColor::fromRgbF(float(level), float(level), float(level), float(alpha));
}

QRect roundedRect(const QRectF &rect)
{
    const int x = int(std::lround(rect.x()));
    const int y = int(std::lround(rect.y()));
    return QRect(x, y, int(std::lround(rect.right())) - x, int(std::lround(rect.bottom())) - y);
}

constexpr int kAngleNotch = 120;
constexpr double kAnglePerPoint = 8.0;

} // namespace

FolderOverlay::FolderOverlay(const QRect &frame, const LayoutFolder &folder, QList<FolderItem> items,
                             int initialPage, QWidget *parent)
    : QWidget(parent)
    , m_folder(folder)
    , m_items(std::move(items))
    , m_navigator(folderNavigatorConfiguration())
{
    setGeometry(frame);
    setPaging(std::make_unique<SteppedFolderPaging>(pageCount(), initialPage));
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    setAttribute(Qt::WA_NoSystemBackground);
    dragRunner = &TilePasteboard::runSystemDrag;
    menuRunner = [](QMenu &menu, const QPoint &globalPosition) { menu.exec(globalPosition); };
    buildSubviews();
    rebuildLayout();
}

FolderOverlay::~FolderOverlay() = default;

void FolderOverlay::setBackdropImage(const QImage &image)
{
    m_backdropImage = image;
    update();
}

void FolderOverlay::setPaging(std::unique_ptr<FolderPaging> paging)
{
    if (!paging)
        return;
    const int page = m_paging ? m_paging->currentPage() : paging->currentPage();
    m_paging = std::move(paging);
    const QPointer<FolderOverlay> weak(this);
    m_paging->onPageChanged = [weak](int shown) {
        if (weak)
            weak->showPage(shown);
    };
    if (m_panel)
        m_paging->turnToPage(page);
}

void FolderOverlay::buildSubviews()
{
    m_panel = new FolderPanelView(this);
    m_tilesCanvas = new FolderTilesView(m_items, FolderOverlayGeometry::columns, FolderOverlayGeometry::rowsPerPage,
                                        m_panel);
    m_dots = new FolderDotsView(m_panel);
    const QPointer<FolderOverlay> weak(this);
    m_dots->onSelect = [weak](int page) {
        if (weak)
            weak->setPage(page);
    };

    m_titleField = new FolderTitleField(this);
    m_titleField->setText(m_folder.name);
    QFont font = m_titleField->font();
    font.setPixelSize(17);
    font.setWeight(QFont::Medium);
    m_titleField->setFont(font);
    m_titleField->setAlignment(Qt::AlignCenter);
    m_titleField->setFrame(false);
    m_titleField->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_titleField->setStyleSheet(
        QStringLiteral("QLineEdit { background: transparent; border: none; color: white; }"));
    auto *shadow = new QGraphicsDropShadowEffect(m_titleField);
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.55f));
    shadow->setBlurRadius(4);
    shadow->setOffset(0, 1);
    m_titleField->setGraphicsEffect(shadow);
    connect(m_titleField, &QLineEdit::editingFinished, this, &FolderOverlay::titleEditingFinished);
}

FolderOverlayGeometry FolderOverlay::geometryModel() const
{
    const double ratio =
        sideInsetRatioProvider ? sideInsetRatioProvider() : FolderOverlayGeometry::defaultSideInsetRatio;
    const double side = gridIconSideProvider ? gridIconSideProvider() : gridIconSide;
    return FolderOverlayGeometry(QSizeF(size()), int(m_items.size()), ratio, side);
}

QRectF FolderOverlay::panelFrame() const
{
    return geometryModel().panelFrame();
}

void FolderOverlay::refreshGeometry()
{
    rebuildLayout();
}

void FolderOverlay::rebuildLayout()
{
    const FolderOverlayGeometry geometry = geometryModel();
    const QRectF panel = geometry.panelFrame();
    m_panel->setGeometry(roundedRect(panel));
    m_tilesCanvas->setGeometry(m_panel->rect());
    m_titleField->setGeometry(roundedRect(geometry.titleFrame()));
    m_dots->setGeometry(roundedRect(geometry.dotsFrame()));
    m_tileIconSide = geometry.tileIconSide();
    m_tilesCanvas->setIconSide(m_tileIconSide);
    setPage(pageIndex());
    update();
}

void FolderOverlay::setPage(int page)
{
    m_paging->turnToPage(page);
}

void FolderOverlay::showPage(int page)
{
    const FolderOverlayGeometry geometry = geometryModel();
    const int shown = geometry.clampPage(page);
    m_tileFrames = geometry.tileFrames(shown);
    m_tilesCanvas->setTileFrames(m_tileFrames);
    m_tilesCanvas->setPage(shown);
    m_tilesCanvas->update();
    m_dots->setPages(geometry.pageCount(), shown);
    m_dots->setVisible(geometry.pageCount() >= 2);
}

QRectF FolderOverlay::iconRect(int cell) const
{
    if (cell < 0 || cell >= m_tileFrames.size())
        return QRectF();
    const QRectF panel = panelFrame();
    return FolderOverlayGeometry::iconRect(m_tileFrames.at(cell), m_tileIconSide).translated(panel.topLeft());
}

std::optional<int> FolderOverlay::hitIndex(const QPointF &panelPoint) const
{
    return FolderOverlayGeometry::hitIndex(m_tileFrames, panelPoint, m_tileIconSide);
}

void FolderOverlay::dispose()
{
    hide();
    if (m_dragRunning)
        m_disposeAfterDrag = true;
    else
        deleteLater();
}

// --- Drawing ----------------------------------------------------------------------------

void FolderOverlay::paintEvent(QPaintEvent *)
{
    // Dragged out: nothing at all, the launcher grid below shows through.
    if (m_draggingOut)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF bounds = rect();

    // An image without area is no picture: the flat backdrop keeps the overlay visible.
    const QImage &image = m_backdropImage;
    if (!image.isNull() && image.width() > 0 && image.height() > 0) {
        const double w = image.width();
        const double h = image.height();
        const double scale = std::max(bounds.width() / w, bounds.height() / h);
        const QRectF target((bounds.width() - w * scale) / 2, (bounds.height() - h * scale) / 2, w * scale,
                            h * scale);
        painter.drawImage(target, image);
    } else {
        painter.fillRect(bounds, grey(0.2, 1));
    }
    painter.fillRect(bounds, grey(0.04, 0.18));

    const FolderOverlayGeometry geometry = geometryModel();
    const QRectF panel = geometry.panelFrame();
    const double radius = geometry.cornerRadius();
    QPainterPath path;
    path.addRoundedRect(panel, radius, radius);

    // A soft shadow 10 points below the panel, spread over its blur radius.
    constexpr int shadowSteps = 10;
    constexpr double shadowBlur = 30;
    for (int i = shadowSteps; i >= 1; --i) {
        const double grow = shadowBlur * i / shadowSteps / 2;
        QPainterPath ring;
        ring.addRoundedRect(panel.translated(0, 10).adjusted(-grow, -grow, grow, grow), radius + grow,
                            radius + grow);
        painter.fillPath(ring, QColor::fromRgbF(0, 0, 0, float(0.22 / shadowSteps)));
    }
    painter.fillPath(path, QColor::fromRgbF(1, 1, 1, 0.02f));

    painter.save();
    painter.setClipPath(path);
    painter.fillRect(panel, QColor::fromRgbF(1, 1, 1, 0.3f));
    QLinearGradient sheen(QPointF(panel.center().x(), panel.top()), QPointF(panel.center().x(), panel.bottom()));
    sheen.setColorAt(0, QColor::fromRgbF(1, 1, 1, 0.07f));
    sheen.setColorAt(1, QColor::fromRgbF(1, 1, 1, 0));
    painter.fillRect(panel, sheen);
    painter.restore();

    QPainterPath hairline;
    hairline.addRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.36f), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(hairline);
}

void FolderOverlay::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    rebuildLayout();
}

// --- Pointer ------------------------------------------------------------------------------

void FolderOverlay::endTitleEditingForPress()
{
    // Qt usually moved the focus before the press arrived; a press delivered
    // without that (or one on a part that takes no focus) ends editing here.
    setFocus(Qt::MouseFocusReason);
}

void FolderOverlay::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const QPointer<FolderOverlay> self(this);
    endTitleEditingForPress();
    if (!self)
        return;
    const QPointF p = event->position();
    const QRectF panel = panelFrame();
    if (panel.contains(p)) {
        m_pressPoint = p;
        m_hasDraggedItem = false;
        m_pressIndex = hitIndex(p - panel.topLeft());
        return;
    }
    if (onClose)
        onClose();
}

void FolderOverlay::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void FolderOverlay::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (m_hasDraggedItem || !m_pressPoint || !m_pressIndex || !(event->buttons() & Qt::LeftButton))
        return;
    const QPointF delta = event->position() - *m_pressPoint;
    if (std::hypot(delta.x(), delta.y()) > dragThreshold) {
        m_hasDraggedItem = true;
        beginDrag(*m_pressIndex);
    }
}

void FolderOverlay::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const std::optional<int> index = m_pressIndex;
    const bool dragged = m_hasDraggedItem;
    m_pressPoint.reset();
    m_pressIndex.reset();
    m_hasDraggedItem = false;
    if (dragged || !index || *index >= m_tileFrames.size())
        return;
    const int member = FolderOverlayGeometry::globalIndex(pageIndex(), *index);
    if (member < m_items.size() && onOpen)
        onOpen(m_items.at(member).id);
}

// --- Dragging members out -------------------------------------------------------------------

QImage FolderOverlay::makeDragImage(const FolderItem &item, double side, double scale)
{
    // The same picture as a tile dragged on the grid.
    return DragImage::render(DragImage::Content{DragImage::Kind::application, item.icon}, side, scale);
}

void FolderOverlay::beginDrag(int cell)
{
    const int member = FolderOverlayGeometry::globalIndex(pageIndex(), cell);
    if (member < 0 || member >= m_items.size())
        return;
    const FolderItem item = m_items.at(member);

    QString path;
    if (fileURLProvider) {
        if (const std::optional<QUrl> url = fileURLProvider(item.id); url && url->isLocalFile())
            path = url->toLocalFile();
    }
    std::unique_ptr<QMimeData> data = TilePasteboard::makeMimeData(QStringLiteral("app:") + item.id, path);

    const double scale = devicePixelRatioF();
    const QImage image = makeDragImage(item, m_tileIconSide, scale);
    const QRectF icon = iconRect(cell);
    const QSizeF imageSize = QSizeF(image.size()) / scale;
    const QPointF imageOrigin = icon.center() - QPointF(imageSize.width() / 2, imageSize.height() / 2);
    const QPointF pointer = m_pressPoint.value_or(icon.center());

    auto *drag = new QDrag(this);
    drag->setMimeData(data.release());
    DragImage::attach(*drag, image, this);
    drag->setHotSpot((pointer - imageOrigin).toPoint());

    const QPointer<FolderOverlay> self(this);
    m_dragRunning = true;
    // The same offer as a tile dragged from the grid: wherever the member is
    // dropped, in the launcher or in another application, it is linked to.
    if (dragRunner)
        dragRunner(*drag, TilePasteboard::offeredActions, TilePasteboard::proposedAction);
    if (!self)
        return;
    m_dragRunning = false;
    drag->deleteLater();

    // The session has ended.
    if (m_handedOffDrop)
        m_handedOffDrop = false;
    else
        setDraggingOut(false);
    if (m_disposeAfterDrag)
        deleteLater();
}

void FolderOverlay::setDraggingOut(bool draggingOut)
{
    if (draggingOut == m_draggingOut)
        return;
    m_draggingOut = draggingOut;
    m_panel->setVisible(!draggingOut);
    m_titleField->setVisible(!draggingOut);
    update();
    if (!draggingOut && onDragOutEnded)
        onDragOutEnded();
}

QPointF FolderOverlay::toParent(const QPointF &point) const
{
    return parentWidget() ? mapToParent(point) : point;
}

void FolderOverlay::updateDragOutState(const QPointF &point)
{
    if (!m_draggingOut && !panelFrame().contains(point))
        setDraggingOut(true);
    if (m_draggingOut && parentWidget() && onDragMoveOut)
        onDragMoveOut(toParent(point));
}

void FolderOverlay::dragEnterEvent(QDragEnterEvent *event)
{
    if (!TilePasteboard::entryID(event->mimeData())) {
        event->ignore();
        return;
    }
    updateDragOutState(event->position());
    event->setDropAction(TilePasteboard::proposedAction);
    event->accept();
}

void FolderOverlay::dragMoveEvent(QDragMoveEvent *event)
{
    if (!TilePasteboard::entryID(event->mimeData())) {
        event->ignore();
        return;
    }
    updateDragOutState(event->position());
    event->setDropAction(TilePasteboard::proposedAction);
    event->accept();
}

void FolderOverlay::dragLeaveEvent(QDragLeaveEvent *event)
{
    event->accept();
    if (!m_handedOffDrop)
        setDraggingOut(false);
}

void FolderOverlay::dropEvent(QDropEvent *event)
{
    const std::optional<QString> dragged = TilePasteboard::entryID(event->mimeData());
    // Back on the panel before ever leaving it: no reordering inside a folder.
    if (!dragged || !m_draggingOut) {
        event->ignore();
        return;
    }
    const QString id = LauncherLayout::rawAppID(*dragged);
    const bool member = std::any_of(m_items.cbegin(), m_items.cend(), [&](const FolderItem &i) { return i.id == id; });
    if (!member) {
        event->ignore();
        return;
    }
    m_handedOffDrop = true;
    event->setDropAction(TilePasteboard::proposedAction);
    event->accept();
    if (onDragOut)
        onDragOut(id, toParent(event->position()));
}

// --- Menu, keys, wheel ------------------------------------------------------------------------

void FolderOverlay::contextMenuEvent(QContextMenuEvent *event)
{
    // Never handed on: the launcher grid below must not open its own menu.
    event->accept();
    const QPointF p = event->pos();
    const QRectF panel = panelFrame();
    if (!panel.contains(p))
        return;
    const std::optional<int> cell = hitIndex(p - panel.topLeft());
    if (!cell)
        return;
    const int member = FolderOverlayGeometry::globalIndex(pageIndex(), *cell);
    if (member >= m_items.size())
        return;
    const QString id = m_items.at(member).id;

    QMenu menu(this);
    QAction *open = menu.addAction(L(QStringLiteral("打开")));
    QAction *remove = menu.addAction(L(QStringLiteral("从文件夹移出")));
    open->setData(member);
    remove->setData(member);
    QAction *chosen = nullptr;
    connect(&menu, &QMenu::triggered, &menu, [&chosen](QAction *action) { chosen = action; });
    const QPointer<FolderOverlay> self(this);
    if (menuRunner)
        menuRunner(menu, event->globalPos());
    // The command runs after the menu's own event loop has ended, so that a
    // callback that closes the folder never does so under the menu.
    if (!self || !chosen)
        return;
    if (chosen == open && onOpen)
        onOpen(id);
    else if (chosen == remove && onRemove)
        onRemove(id);
}

void FolderOverlay::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        setPage(pageIndex() - 1);
        event->accept();
        return;
    case Qt::Key_Right:
        setPage(pageIndex() + 1);
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void FolderOverlay::wheelEvent(QWheelEvent *event)
{
    // Taken even when it turns nothing: the launcher grid below must not page.
    event->accept();
    if (locksPaging || pageCount() < 2)
        return;

    WheelPageNavigator::Event scroll;
    scroll.inverted = event->inverted();
    scroll.timestamp = double(event->timestamp()) / 1000.0;
    const QPoint angle = event->angleDelta();
    const QPointF pixels = event->pixelDelta();
    const bool wholeNotches = angle.x() % kAngleNotch == 0 && angle.y() % kAngleNotch == 0;
    scroll.precise = !pixels.isNull() || event->phase() != Qt::NoScrollPhase || !wholeNotches;
    if (!pixels.isNull()) {
        scroll.deltaX = pixels.x();
        scroll.deltaY = pixels.y();
    } else if (scroll.precise) {
        scroll.deltaX = angle.x() / kAnglePerPoint;
        scroll.deltaY = angle.y() / kAnglePerPoint;
    } else {
        scroll.deltaX = double(angle.x()) / kAngleNotch;
        scroll.deltaY = double(angle.y()) / kAngleNotch;
    }
    using Phase = WheelPageNavigator::Phase;
    switch (event->phase()) {
    case Qt::NoScrollPhase:
        m_inMomentum = false;
        break;
    case Qt::ScrollBegin:
        m_inMomentum = false;
        scroll.phase = Phase::began;
        break;
    case Qt::ScrollUpdate:
        scroll.phase = Phase::changed;
        break;
    case Qt::ScrollMomentum:
        scroll.momentumPhase = m_inMomentum ? Phase::changed : Phase::began;
        m_inMomentum = true;
        break;
    case Qt::ScrollEnd:
        if (m_inMomentum) {
            scroll.momentumPhase = Phase::ended;
            m_inMomentum = false;
        } else {
            scroll.phase = Phase::ended;
        }
        break;
    }

    const std::optional<WheelPageNavigator::Direction> direction = m_navigator.consume(scroll);
    if (!direction)
        return;
    setPage(pageIndex() + (*direction == WheelPageNavigator::Direction::next ? 1 : -1));
}

// --- Renaming -------------------------------------------------------------------------------------

void FolderOverlay::titleEditingFinished()
{
    // Return, or the focus taken by a press anywhere: the name as typed.
    if (m_titleField->isCancellingEdit())
        return;
    if (onRename)
        onRename(m_titleField->text());
}
