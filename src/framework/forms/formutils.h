#pragma once

// Small helpers shared by the windows of the program.

#include <QColor>
#include <QFont>
#include <QPixmap>

#include <functional>

class QIcon;
class QLineEdit;
class QWidget;

// Dialog units of a font: the horizontal base is the average width of the
// 52 letters A-Z and a-z, the vertical base the height of the font. A layout
// given in dialog units (x in quarters, y in eighths of the bases) keeps its
// proportions whatever the font.
struct TDialogUnits
{
    int BaseX = 6;
    int BaseY = 13;

    static TDialogUnits Of(const QFont &font);
    int X(int units) const; // units * BaseX / 4, rounded
    int Y(int units) const; // units * BaseY / 8, rounded
};

// Calls callback for every widget inside control, depth first, the children
// of a widget before the widget itself. Child windows (other forms, pop-up
// lists) are not part of the control and are skipped with everything inside
// them. The control itself is not visited.
void ForEachControl(QWidget *control, const std::function<void(QWidget *)> &callback);

// Makes edit accept the digits 0-9 only, typed or pasted (a pasted text with
// anything else is refused whole). Text set by the program is not checked.
void SetNumbersOnly(QLineEdit *edit);

// The linear blend of two colours: (1 - amount) * from + amount * to per
// channel, rounded to the nearest integer. amount is clamped to 0..1.
QColor BlendColor(const QColor &from, const QColor &to, double amount = 0.3);

// The grey form of a picture for a disabled button: every pixel that is not
// transparent (alpha 0, or the colour of the bottom-left pixel for a picture
// without alpha) becomes grey level (Y + 127) / 3 + 84 where
// Y = (R*32 + G*40 + B*28) / 300, in integer arithmetic.
QPixmap GrayedPixmap(const QPixmap &source);

// A small picture of a check box, checked or not, drawn by the style of
// widget: the glyph of the "all" and "none" buttons of the choice dialogs.
QIcon CheckMarkIcon(bool checked, const QWidget *widget);

// Adds the greyed pixmaps of icon's normal pixmaps as its disabled pixmaps,
// unless the icon already has disabled pixmaps of its own. Answers the icon.
QIcon WithGrayedDisabled(const QIcon &icon);
