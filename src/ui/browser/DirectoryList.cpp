#include "DirectoryList.h"

#include "CurrentDirectory.h"
#include "Glyphs.h"
#include "OwnerDrawnEntry.h"
#include "io/ErrorBoxText.h"
#include "io/IoErrors.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace sf {

namespace {

enum Role { KindRole = Qt::UserRole, IndentRole };

class DirectoryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        beginOwnerDrawnEntry(*painter, option);
        const GlyphKind glyph = glyphFor(static_cast<FolderKind>(index.data(KindRole).toInt()));
        const int indent = index.data(IndentRole).toInt();
        const QSize size = glyphSize(glyph);
        const QRect &r = option.rect;
        drawGlyph(*painter, glyph, QPoint(r.left() + indent, r.top() + (r.height() - size.height()) / 2));

        const QRect textRect = r.adjusted(indent + size.width() + 4, 0, 0, 0);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), DirectoryList::ItemHeight};
    }
};

} // namespace

DirectoryList::DirectoryList(ErrorBox &errors, HeldDirectory start, QWidget *parent)
    : QListWidget(parent), m_errors(errors), m_saveDirectory(std::move(start)), m_directory(pathOf(m_saveDirectory))
{
    setFocusPolicy(Qt::ClickFocus);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new DirectoryDelegate(this));
    rebuild();
}

void DirectoryList::rebuild()
{
    m_entries = directoryEntries(m_directory, readSubdirectories(m_directory));
    clear();
    int lastPathEntry = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const DirectoryEntry &e = m_entries[i];
        auto *item = new QListWidgetItem(e.text, this);
        item->setData(KindRole, static_cast<int>(e.kind));
        item->setData(IndentRole, e.indent);
        if (e.kind != FolderKind::Closed)
            lastPathEntry = static_cast<int>(i);
    }
    setCurrentRow(lastPathEntry);
}

void DirectoryList::openEntry(int row)
{
    if (row < 0 || row >= static_cast<int>(m_entries.size()))
        return;
    const QByteArray path = entryPath(m_directory, m_entries, row);
    // Names on Linux file systems are case-sensitive.
    if (path == m_directory)
        return;
    enterDirectory(path);
}

bool DirectoryList::enterDirectory(const QByteArray &path)
{
    HeldDirectory next;
    if (const int err = next.open(m_saveDirectory.fd(), byteView(path)); err != 0) {
        m_errors.showError(errorBoxText(ioErrorText(err)));
        return false;
    }
    m_saveDirectory = std::move(next);
    const QByteArray entered = pathOf(m_saveDirectory);
    m_directory = entered.isEmpty() ? path : entered;
    rebuild();
    emit directoryChanged(m_directory);
    return true;
}

void DirectoryList::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListWidget::mouseDoubleClickEvent(event);
    openEntry(currentRow());
}

void DirectoryList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openEntry(currentRow());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace sf
