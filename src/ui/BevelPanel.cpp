#include "BevelPanel.h"

#include <QPainter>
#include <qdrawutil.h>

namespace sf {

BevelPanel::BevelPanel(Inner inner, QWidget *parent) : QWidget(parent), m_inner(inner)
{
    setAutoFillBackground(true);
}

void BevelPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    qDrawShadePanel(&p, rect(), palette(), false, 1);
    if (m_inner == LoweredInnerBevel)
        qDrawShadePanel(&p, rect().adjusted(1, 1, -1, -1), palette(), true, 1);
}

} // namespace sf
