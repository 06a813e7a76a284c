#pragma once

// The page of plot/Page.h painted on any device: a PDF writer, or a printer
// the window's print dialog set up.

#include "plot/Page.h"

#include <QPainter>
#include <QRectF>

namespace sf {

// Paints `spec` onto the page `paper` (the whole sheet, in the painter's
// device units) at its physical size, whatever the device's resolution.
void paintPage(const PageSpec &spec, QPainter &painter, const QRectF &paper);

} // namespace sf
