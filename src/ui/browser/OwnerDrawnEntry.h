#pragma once

#include <QPainter>
#include <QStyleOptionViewItem>

namespace sf {

// Starts drawing one entry of an owner-drawn list: saves the painter, fills
// the entry's background as selected or not, and takes the list's font and
// the text colour that goes with the background. End with painter.restore().
inline void beginOwnerDrawnEntry(QPainter &painter, const QStyleOptionViewItem &option)
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette &pal = option.palette;
    painter.save();
    painter.fillRect(option.rect, selected ? pal.highlight() : pal.base());
    painter.setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter.setFont(option.font);
}

} // namespace sf
