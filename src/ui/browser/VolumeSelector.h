#pragma once

#include "VolumeList.h"

#include <QComboBox>

#include <vector>

namespace sf {

class MountTable;
class DirectoryList;

// The drive selector: the mounted volumes a user can save to. Choosing one
// enters the directory last current on it (at first its mount point)
// through the linked directory list. It shows the volume holding the
// directory list's directory, wherever the list has gone; none before it
// is linked to one.
class VolumeSelector : public QComboBox {
    Q_OBJECT

public:
    // The volumes are read once, from `mounts`, when the selector is made.
    explicit VolumeSelector(const MountTable &mounts, QWidget *parent = nullptr);
    // The same with the system's mount table.
    explicit VolumeSelector(QWidget *parent = nullptr);

    void setDirectoryList(DirectoryList *list);

    const std::vector<Volume> &volumes() const { return m_volumes; }
    QByteArray rememberedDirectory(int index) const;

    // Acts as the user choosing entry `index`. Choosing the selected volume
    // does nothing; when entering fails, the selector goes back to the
    // volume of the directory that stays current.
    void chooseVolume(int index);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void followDirectory(const QByteArray &directory);

    std::vector<Volume> m_volumes;
    std::vector<QByteArray> m_remembered;
    int m_selected = -1;
    DirectoryList *m_list = nullptr;
};

} // namespace sf
