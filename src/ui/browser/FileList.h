#pragma once

#include "BusyPointer.h"

#include <QListWidget>

namespace sf {

// The files of one fixed directory, given when the list is created: the
// start-up directory. It follows neither the directory list nor the drive
// selector; a run refreshes it so that a report written there shows.
class FileList : public QListWidget {
    Q_OBJECT

public:
    static constexpr int ItemHeight = 12;

    explicit FileList(const QByteArray &directory, QWidget *parent = nullptr);

    QByteArray directory() const { return m_directory; }
    QStringList fileNames() const;

    // Lists the directory again. The save directory is not the list's, so
    // the next report still goes where the directory list shows. Throws
    // InOutError when the directory cannot be read; the list then keeps its
    // old names.
    void refresh();

    // Not owned; null restores the application's wait cursor.
    void setBusyPointer(BusyPointer *busy);

signals:
    // A file was double-clicked: the user wants to see it.
    void openRequested(const QString &path);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QByteArray m_directory;
    WaitCursorBusyPointer m_waitCursor;
    BusyPointer *m_busy = &m_waitCursor;
};

} // namespace sf
