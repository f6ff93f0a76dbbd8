#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace kalvor {

// Small helpers the splash, count and about windows share to put their design
// values on Qt widgets.

// A label child of parent named after its design control, with the text
// colour given and a transparent background, at the design rectangle given
// in twips.
QLabel* addDesignLabel(QWidget* parent, const QString& name, const QString& text, const QFont& font,
                       const QColor& colour, int left, int top, int width, int height);

// Paints widget's whole background in colour.
void fillBackground(QWidget* widget, const QColor& colour);

// Moves a top-level window so that it is centred on the primary screen's
// available area.
void centreOnScreen(QWidget* window);

}  // namespace kalvor
