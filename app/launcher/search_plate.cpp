#include "launcher/search_plate.h"

#include "launcher/search_icon_view.h"

#include "localization/l10n.h"
#include "policy/search_prompt_layout.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QLineEdit>

#include <algorithm>

namespace {

const QColor prompt(255, 255, 255, 140);

} // namespace

SearchPlate::SearchPlate(QWidget *parent) : FillView(parent)
{
    // The plate holds the search field, which must stay clickable.
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    setFillColor(QColor(30, 30, 34, 150));
    setCornerRadius(21);
    setBorder(QColor(255, 255, 255, 46), 1);
    m_icon = new SearchIconView(this);

    m_field = new QLineEdit(this);
    m_field->setFrame(false);
    // Sizes in points are logical pixels.
    QFont font(QApplication::font().family());
    font.setPixelSize(15);
    font.setWeight(QFont::Normal);
    m_field->setFont(font);
    m_field->setAlignment(Qt::AlignCenter);
    m_field->setTextMargins(0, 0, 0, 0);
    m_field->setAttribute(Qt::WA_MacShowFocusRect, false);
    QPalette palette = m_field->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Window, Qt::transparent);
    palette.setColor(QPalette::Text, Qt::white);
    m_field->setPalette(palette);
    m_field->setAutoFillBackground(false);
    updatePlaceholder();
}

QWidget *SearchPlate::icon() const
{
    return m_icon;
}

void SearchPlate::updatePlaceholder()
{
    QPalette palette = m_field->palette();
    palette.setColor(QPalette::PlaceholderText, prompt);
    m_field->setPalette(palette);
    m_field->setPlaceholderText(L(QStringLiteral("搜索应用")));
}

void SearchPlate::layoutContents()
{
    const QRectF plate = QRectF(rect());
    if (plate.width() <= 0)
        return;
    const QString text = m_field->text().isEmpty() ? L(QStringLiteral("搜索应用")) : m_field->text();
    const double measured = QFontMetricsF(m_field->font()).horizontalAdvance(text);
    const SearchPromptLayout layout(plate.width(), plate.height(), measured);

    m_icon->setGeometry(layout.iconFrame.toRect());

    // The layout's field frame sits lower by the baseline offset because a
    // Cocoa field draws its text from the top; a line edit centres its text
    // vertically, so the frame moves back up to centre the text on the plate.
    QRectF field = layout.fieldFrame.translated(0, -SearchPromptLayout::textBaselineOffset);
    if (!layout.isClamped && m_field->text().isEmpty()) {
        // A centred line edit hides its placeholder while it has the focus,
        // which it has whenever the launcher shows. The empty field starts
        // where the prompt starts instead, left-aligned: the same place on
        // the plate, with the prompt shown and the caret before it.
        const double x = layout.textLeft - fieldTextInset;
        field = QRectF(x, field.top(), std::max(1.0, plate.width() - x - SearchPromptLayout::minimumSideInset),
                       field.height());
        m_field->setGeometry(field.toRect());
        m_field->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return;
    }
    if (!layout.isClamped) {
        m_field->setGeometry(field.toRect());
        m_field->setAlignment(Qt::AlignCenter);
        return;
    }
    // Too wide to centre: the text starts one gap right of the glyph.
    const double x = layout.iconFrame.right() + SearchPromptLayout::gap;
    field = QRectF(x, field.top(), std::max(1.0, plate.width() - x - SearchPromptLayout::minimumSideInset),
                   field.height());
    m_field->setGeometry(field.toRect());
    m_field->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void SearchPlate::focusField()
{
    m_field->setFocus(Qt::OtherFocusReason);
    m_field->deselect();
    m_field->setCursorPosition(int(m_field->text().size()));
}

bool SearchPlate::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        focusField();
        event->accept();
        return true;
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        event->accept();
        return true;
    default:
        return FillView::event(event);
    }
}
