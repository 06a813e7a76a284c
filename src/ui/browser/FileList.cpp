#include "FileList.h"

#include "FileNames.h"
#include "OwnerDrawnEntry.h"
#include "io/IoErrors.h"

#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace sf {

namespace {

class FileNameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        beginOwnerDrawnEntry(*painter, option);
        painter->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), FileList::ItemHeight};
    }
};

} // namespace

FileList::FileList(const QByteArray &directory, QWidget *parent)
    : QListWidget(parent), m_directory(directory)
{
    setFocusPolicy(Qt::ClickFocus);
    setUniformItemSizes(true);
    setItemDelegate(new FileNameDelegate(this));
    try {
        refresh();
    } catch (const InOutError &) {
        // The start-up directory was removed before the window opened:
        // an empty list says as much, and the next refresh reports it.
    }
}

void FileList::setBusyPointer(BusyPointer *busy)
{
    m_busy = busy ? busy : &m_waitCursor;
}

QStringList FileList::fileNames() const
{
    QStringList names;
    for (int i = 0; i < count(); ++i)
        names.append(item(i)->text());
    return names;
}

void FileList::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListWidget::mouseDoubleClickEvent(event);
    if (const QListWidgetItem *item = itemAt(event->position().toPoint()))
        emit openRequested(QFile::decodeName(m_directory) + QLatin1Char('/') + item->text());
}

void FileList::refresh()
{
    const QStringList names = readFileNames(m_directory, *m_busy);
    clear();
    addItems(names);
}

} // namespace sf
