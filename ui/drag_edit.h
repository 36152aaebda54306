#pragma once

#include <QLineEdit>

// The file name field: besides typing, it takes the path of a file or folder dropped on it
// from a file manager (or any source offering local file URLs). Only the first path of a drop
// is used, in whole, even beyond the typing limit; plain text is not accepted as a drop.
class CDragEdit : public QLineEdit {
    Q_OBJECT
  public:
    using QLineEdit::QLineEdit;

    // Puts `path` in the field as a drop does; false (the text unchanged) when it is read-only.
    bool TakePath(const QString& path);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
