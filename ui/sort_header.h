#pragma once

#include <QHeaderView>
#include <QList>
#include <QPixmap>

// A horizontal header that can show one image of its own list right of a section's text, the
// way the printer list marks its sort column.
class CSortHeader : public QHeaderView {
    Q_OBJECT
  public:
    explicit CSortHeader(QWidget* parent = nullptr);

    void SetImageList(const QList<QPixmap>& images);
    // Shows image `image` on section `logicalIndex`; -1 shows text only.
    void SetSectionImage(int logicalIndex, int image);
    int SectionImage(int logicalIndex) const;

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

  private:
    QList<QPixmap> m_images;
    QList<int> m_sectionImages;
};
