#pragma once

#include "uninstall/uninstall_residue.h"

#include <QList>
#include <QString>
#include <QWidget>

class QCheckBox;
class QFontMetrics;
class QLabel;
class QTextEdit;

// What the uninstall alert shows under its informative text: the clean
// uninstall checkbox, a slot of fixed size (a spinner with a scanning text
// while the scan runs, then the leftovers or a notice) and a note on what is
// cleaned.
class UninstallAccessory : public QWidget
{
    Q_OBJECT

public:
    static constexpr int slotWidth = 470;
    static constexpr int slotHeight = 140;
    // Where the path column starts in the list at least; wider when a kind's
    // label in the current language needs more.
    static constexpr int minimumPathColumn = 86;
    // Room between the longest label and the paths.
    static constexpr int columnGap = 10;

    // `checkbox` is taken over as the first row.
    UninstallAccessory(QCheckBox *checkbox, QString homeDirectory, QWidget *parent = nullptr);

    QCheckBox *checkbox() const { return m_checkbox; }
    QWidget *slot() const { return m_slot; }
    QLabel *note() const { return m_note; }
    // The list, once leftovers were filled in; null otherwise.
    QTextEdit *residueList() const { return m_list; }
    // The centred text of the slot's panel (scanning or notice); empty while
    // the list shows.
    QString panelText() const;

    // Replaces whatever the slot shows with the result.
    void updateResidueSlot(const QList<UninstallResidue> &residues, bool timedOut);

    // Where the paths start for labels drawn with `metrics`: past the
    // longest of the kinds' labels in the current language.
    static int pathColumnFor(const QFontMetrics &metrics);

    // One entry per leftover, kind, tab, path with the home as "~"; entries
    // separated by one empty line.
    static QString residueListText(const QList<UninstallResidue> &residues, const QString &homeDirectory);

private:
    void clearSlot();
    QWidget *makePanel(const QList<QWidget *> &content);

    QCheckBox *m_checkbox = nullptr;
    QWidget *m_slot = nullptr;
    QLabel *m_note = nullptr;
    QLabel *m_panelLabel = nullptr;
    QTextEdit *m_list = nullptr;
    QString m_home;
};
