#include "ui/sort_header.h"

#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>

CSortHeader::CSortHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSortIndicatorShown(false);
    setMinimumSectionSize(0);
}

void CSortHeader::SetImageList(const QList<QPixmap>& images) {
    m_images = images;
    viewport()->update();
}

void CSortHeader::SetSectionImage(int logicalIndex, int image) {
    if (logicalIndex < 0)
        return;
    if (m_sectionImages.size() <= logicalIndex)
        m_sectionImages.resize(logicalIndex + 1, -1);
    m_sectionImages[logicalIndex] = image;
    updateSection(logicalIndex);
}

int CSortHeader::SectionImage(int logicalIndex) const {
    return logicalIndex >= 0 && logicalIndex < m_sectionImages.size()
               ? m_sectionImages[logicalIndex]
               : -1;
}

void CSortHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    const int image = SectionImage(logicalIndex);
    if (image < 0 || image >= m_images.size() || !rect.isValid())
        return;
    const QPixmap& pixmap = m_images[image];
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    const QRect label = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this);
    const QString text = model()->headerData(logicalIndex, orientation()).toString();
    const int gap = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, this);
    // Right of the text; pushed left into the section when the text leaves no room.
    int x = label.left() + fontMetrics().horizontalAdvance(text) + gap;
    x = std::max(label.left(), std::min(x, label.right() + 1 - pixmap.width()));
    const int y = rect.top() + (rect.height() - pixmap.height()) / 2;
    painter->save();
    painter->setClipRect(rect);
    painter->drawPixmap(x, y, pixmap);
    painter->restore();
}
