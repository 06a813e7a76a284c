#pragma once

#include <QColor>
#include <QFont>

class QLabel;
class QWidget;

namespace sf {

// The windows were laid out for a Japanese proportional Gothic face; IPA's
// P Gothic has the same metrics and stands in where MS PGothic is missing.
QFont uiFont(int pixelSize);

inline const QColor Blue{0, 0, 255};
inline const QColor Red{255, 0, 0};
inline const QColor Maroon{128, 0, 0};
inline const QColor Black{0, 0, 0};

// Narrows a label's glyphs, keeping their height, until its text, trailing
// blanks included, fits `width` pixels. P Gothic sets some texts a little
// wider than the face the windows were drawn with, which would push their
// ends under, or up against, the neighbouring control; a caption's trailing
// blank is the space it keeps before that control.
void fitTextWidth(QLabel *label, int width);

// Sets the text colour of a label or group box caption.
void setTextColour(QWidget *w, const QColor &colour);

// Moves a top-level widget so that it is centred on the available area of
// its screen.
void centreOnScreen(QWidget *w);

} // namespace sf
