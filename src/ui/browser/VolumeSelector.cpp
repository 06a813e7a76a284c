#include "VolumeSelector.h"

#include "CurrentDirectory.h"
#include "Glyphs.h"
#include "OwnerDrawnEntry.h"
#include "MountTable.h"
#include "DirectoryList.h"

#include <QFile>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace sf {

namespace {

constexpr int KindRole = Qt::UserRole;
constexpr int GlyphLeft = 2;
constexpr int TextLeft = 16 + 6; // glyph width and a gap

// Glyph and text of one volume, both centred vertically, the text in the
// painter's pen. drawText without Qt::TextShowMnemonic shows an "&" as it is.
void paintVolume(QPainter &painter, const QRect &rect, VolumeKind kind, const QString &text)
{
    const GlyphKind glyph = glyphFor(kind);
    drawGlyph(painter, glyph, QPoint(rect.left() + GlyphLeft, rect.top() + (rect.height() - glyphSize(glyph).height()) / 2));
    const QRect textRect = rect.adjusted(TextLeft, 0, 0, 0);
    const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
}

class VolumeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        beginOwnerDrawnEntry(*painter, option);
        paintVolume(*painter, option.rect, static_cast<VolumeKind>(index.data(KindRole).toInt()),
                    index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int height = std::max(option.fontMetrics.height(), glyphSize(GlyphKind::Removable).height());
        return {QStyledItemDelegate::sizeHint(option, index).width(), height};
    }
};

} // namespace

VolumeSelector::VolumeSelector(const MountTable &mounts, QWidget *parent)
    : QComboBox(parent), m_volumes(buildVolumeList(mounts.mounts()))
{
    setFocusPolicy(Qt::ClickFocus);
    setEditable(false);
    setItemDelegate(new VolumeDelegate(this));
    for (const Volume &v : m_volumes) {
        m_remembered.push_back(QFile::encodeName(v.mountPoint));
        addItem(v.text, static_cast<int>(v.kind));
    }
    connect(this, &QComboBox::activated, this, &VolumeSelector::chooseVolume);
}

VolumeSelector::VolumeSelector(QWidget *parent) : VolumeSelector(SystemMountTable(), parent) {}

void VolumeSelector::setDirectoryList(DirectoryList *list)
{
    if (m_list)
        disconnect(m_list, nullptr, this, nullptr);
    m_list = list;
    if (!m_list)
        return;
    connect(m_list, &DirectoryList::directoryChanged, this, &VolumeSelector::followDirectory);
    followDirectory(m_list->directory());
}

QByteArray VolumeSelector::rememberedDirectory(int index) const
{
    return m_remembered.at(static_cast<std::size_t>(index));
}

void VolumeSelector::chooseVolume(int index)
{
    if (index < 0 || index >= static_cast<int>(m_volumes.size()))
        return;
    setCurrentIndex(index);
    if (index == m_selected)
        return;
    // On success the list's directoryChanged moves the selection here.
    if (!m_list || !m_list->enterDirectory(m_remembered[static_cast<std::size_t>(index)]))
        setCurrentIndex(m_selected);
}

void VolumeSelector::followDirectory(const QByteArray &directory)
{
    // Mount points come decoded, so the path is compared decoded too.
    const int index = volumeHolding(m_volumes, displayName(directory));
    if (index < 0)
        return;
    m_remembered[static_cast<std::size_t>(index)] = directory;
    m_selected = index;
    setCurrentIndex(index);
}

void VolumeSelector::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0)
        return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.setPen(palette().color(QPalette::ButtonText));
    paintVolume(painter, field, static_cast<VolumeKind>(currentData(KindRole).toInt()), currentText());
}

} // namespace sf
