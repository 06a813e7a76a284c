#pragma once

#include "DirectoryEntries.h"
#include "ErrorBox.h"
#include "io/Directories.h"

#include <QListWidget>

#include <vector>

namespace sf {

// The directory list: the path of its directory from "/" down, then that
// directory's subdirectories. It holds that directory open as the save
// directory. Opening an entry (double-click, or Enter while the list has
// the focus) makes it the save directory; single clicks and arrow keys only
// move the highlight.
class DirectoryList : public QListWidget {
    Q_OBJECT

public:
    static constexpr int ItemHeight = 16;

    // Shows and holds `start`. Failures are shown in `errors`, which must
    // outlive the list.
    DirectoryList(ErrorBox &errors, HeldDirectory start, QWidget *parent = nullptr);

    // As stored, bytes; the entries show it decoded.
    QByteArray directory() const { return m_directory; }
    // The same directory held open, where reports are saved. Renamed or
    // removed behind the list's back, it stays the one held.
    const HeldDirectory &saveDirectory() const { return m_saveDirectory; }
    const std::vector<DirectoryEntry> &entries() const { return m_entries; }

    // Opens entry `row` as a double-click would. Opening the list's own
    // directory does nothing.
    void openEntry(int row);

    // Makes path (absolute, or relative to the save directory) the save
    // directory and shows it. When that fails the error is shown, and the
    // list and the save directory stay as they were; returns whether it
    // worked.
    bool enterDirectory(const QByteArray &path);

signals:
    // The list shows another directory, which is now the save directory.
    void directoryChanged(const QByteArray &directory);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void rebuild();

    ErrorBox &m_errors;
    HeldDirectory m_saveDirectory;
    QByteArray m_directory;
    std::vector<DirectoryEntry> m_entries;
};

} // namespace sf
