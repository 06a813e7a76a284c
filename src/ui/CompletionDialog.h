#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The completion dialog: tells the user that a run has written its report.
// Created hidden at start-up, its contents made when it is first shown, and
// shown modally by each successful run; it is hidden again, not destroyed,
// when closed, and keeps its screen position.
class CompletionDialog : public QDialog {
    Q_OBJECT
public:
    explicit CompletionDialog(QWidget *parent = nullptr);

    // Shows the dialog modally, centred the first time and where it was left
    // afterwards; returns when it has been closed by any means.
    void showModal();

    void setVisible(bool visible) override;

protected:
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private slots:
    void acknowledge();

private:
    void buildContents();

    QPushButton *m_okButton = nullptr;
    bool m_placed = false;
    QPoint m_lastPos;
};
