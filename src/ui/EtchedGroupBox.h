#pragma once

#include <QGroupBox>

namespace sf {

// A group box drawn the classic way: an etched frame whose top line runs
// through the middle of the caption's line, broken where the caption stands
// 8 pixels in from the left. The windows' groups place their first row just
// below the caption, where other styles draw the top line.
class EtchedGroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit EtchedGroupBox(const QString &title, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace sf
