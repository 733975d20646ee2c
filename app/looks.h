#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QPushButton;
class QWidget;

namespace rostrel {

// The windows are designed in twips; at 96 dots per inch one pixel is 15 twips.
constexpr int Twips(int twips) { return (twips * 2 + 15) / 30; }

// The one typeface the windows use, at the given size; Liberation Mono stands in for it where
// it is missing (see SetUpApplication).
QFont CourierFont(qreal pointSize, bool bold = false);

// Fills a button with its colour whether it is enabled or not; a disabled button only greys its
// caption.
void PaintButton(QPushButton* button, const QColor& background);

// Centres a top-level window on the screen it will appear on.
void CentreOnScreen(QWidget* window);

}  // namespace rostrel
