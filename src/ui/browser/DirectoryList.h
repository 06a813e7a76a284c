#pragma once

#include "DirectoryEntries.h"
#include "ErrorBox.h"

#include <QListWidget>

#include <vector>

namespace sf {

// The directory list: the path of its directory from "/" down, then that
// directory's subdirectories. Opening an entry (double-click, or Enter
// while the list has the focus) makes it the current directory; single
// clicks and arrow keys only move the highlight.
class DirectoryList : public QListWidget {
    Q_OBJECT

public:
    static constexpr int ItemHeight = 16;

    // Shows the current directory. Failures are shown in `errors`, which
    // must outlive the list.
    explicit DirectoryList(ErrorBox &errors, QWidget *parent = nullptr);

    // As stored, bytes; the entries show it decoded.
    QByteArray directory() const { return m_directory; }
    const std::vector<DirectoryEntry> &entries() const { return m_entries; }

    // Opens entry `row` as a double-click would. Opening the list's own
    // directory does nothing.
    void openEntry(int row);

    // Makes path the current directory and shows it. When that fails the
    // error is shown, and the list and the current directory stay as they
    // were; returns whether it worked.
    bool enterDirectory(const QByteArray &path);

signals:
    // The list shows another directory, which is now the current one.
    void directoryChanged(const QByteArray &directory);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void rebuild();

    ErrorBox &m_errors;
    QByteArray m_directory;
    std::vector<DirectoryEntry> m_entries;
};

} // namespace sf
