#include "ui/drag_edit.h"

#include "ui/field_exchange.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace {

// The first local file or folder path of a drop; empty when there is none.
QString FirstDroppedPath(const QMimeData* mimeData) {
    if (mimeData == nullptr || !mimeData->hasUrls())
        return {};
    for (const QUrl& url : mimeData->urls()) {
        if (url.isLocalFile())
            return url.toLocalFile();
    }
    return {};
}

bool TakesDrop(const QLineEdit* edit, const QDropEvent* event) {
    return !edit->isReadOnly() && !FirstDroppedPath(event->mimeData()).isEmpty();
}

} // namespace

void CDragEdit::dragEnterEvent(QDragEnterEvent* event) {
    if (TakesDrop(this, event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CDragEdit::dragMoveEvent(QDragMoveEvent* event) {
    if (TakesDrop(this, event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void CDragEdit::dropEvent(QDropEvent* event) {
    if (!TakesDrop(this, event)) {
        event->ignore();
        return;
    }
    TakePath(FirstDroppedPath(event->mimeData()));
    event->acceptProposedAction();
}

bool CDragEdit::TakePath(const QString& path) {
    if (isReadOnly())
        return false;
    // The path is not looked at here: existence and type are checked when the file is sent.
    SetFieldText(this, path);
    return true;
}
