#pragma once

#include "launcher/fill_view.h"

class QLineEdit;
class SearchIconView;

// The rounded plate at the top of the launcher with the magnifier glyph and
// the search field, laid out the way the prompt reads: centred as one group
// while the text fits, else starting one gap right of the glyph.
class SearchPlate : public FillView
{
public:
    // A frameless line edit draws its text this far inside its frame (Qt's
    // fixed inner margin).
    static constexpr double fieldTextInset = 2;

    explicit SearchPlate(QWidget *parent = nullptr);

    QLineEdit *field() const { return m_field; }
    QWidget *icon() const;

    // Places the glyph and the field for the text shown (typed, or the prompt).
    void layoutContents();
    // The prompt in the current language.
    void updatePlaceholder();
    // Puts the caret at the end of the field, nothing selected.
    void focusField();

protected:
    // The plate around the field belongs to the field: a press on it puts
    // the caret in the field and never reaches the background-click path.
    bool event(QEvent *event) override;

private:
    SearchIconView *m_icon;
    QLineEdit *m_field;
};
