#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

class QPushButton;
class QWidget;

namespace rostrel {

// The windows are designed in twips; at 96 dots per inch one pixel is 15 twips.
constexpr int Twips(int twips) { return (twips * 2 + 15) / 30; }

// The one typeface the windows use, at the given size; Liberation Mono stands in for it where
// it is missing (see SetUpApplication).
QFont CourierFont(qreal pointSize, bool bold = false);

// What both windows set up alike: the object name, the title, the program's icon, a fixed size
// in twips and a background filled with one colour.
void SetUpWindow(QWidget* window, const QString& name, const QString& title, const QSize& twips,
                 const QColor& background);

// A push button placed in twips, painted in its colour, that Enter presses while it has the
// focus, once however long the key is held. It never acts as a default button: Enter elsewhere in
// its window does not press it.
QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QRect& twips, const QColor& background);

// Places a control on its parent at a position and size given in twips.
void PlaceInTwips(QWidget* control, const QRect& twips);

// Fills a button with its colour whether it is enabled or not; a disabled button only greys its
// caption.
void PaintButton(QPushButton* button, const QColor& background);

// Centres a top-level window on the screen it will appear on.
void CentreOnScreen(QWidget* window);

}  // namespace rostrel
