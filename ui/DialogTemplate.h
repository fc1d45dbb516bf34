// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QHash>
#include <QRect>
#include <QString>

class QDialog;
class QWidget;

// A dialog template kept as data in resources/ (dialog<id>.json): caption, size and controls
// in dialog units, in tab order. Build() creates the controls on a dialog and places them
// from the dialog font's base units, so the layout follows the font and the screen's DPI.
class CDialogTemplate
{
public:
    // Loads template `id` from the program's resources; aborts on a missing or broken template,
    // which is a build fault, not a user's.
    explicit CDialogTemplate(int id);

    // Sets caption, font, window buttons and fixed size, and creates every control.
    void Build(QDialog& dialog);

    // The control with the given id, after Build(); aborts when the template has none.
    QWidget* Control(int id) const;

    // Dialog units to pixels for a font, as the platform does: horizontal base unit is the
    // font's average character width, vertical its height; x/4 and y/8 of them.
    static QRect ToPixels(const QRect& units, const QFont& font);

private:
    int m_id;
    QHash<int, QWidget*> m_controls;
};
