#pragma once

#include <QWidget>

namespace sf {

// A panel framed by a one-pixel raised bevel, optionally with a lowered one
// inside it, so that children placed at (2, 2) sit just inside both.
class BevelPanel : public QWidget {
    Q_OBJECT
public:
    enum Inner { NoInnerBevel, LoweredInnerBevel };
    explicit BevelPanel(Inner inner, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Inner m_inner;
};

} // namespace sf
