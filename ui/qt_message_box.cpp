#include "ui/qt_message_box.h"

#include "ui/qt_text.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon IconFor(unsigned flags) {
    switch (flags & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

int ShowQtMessageBox(WindowHandle ownerHandle, const std::u16string& text,
                     const std::u16string& caption, unsigned flags) {
    auto* const owner = static_cast<QWidget*>(ownerHandle);
    // The texts carry CR LF line breaks; Qt draws a lone CR as a visible glyph on some styles.
    QString shown = QtText(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(IconFor(flags), QtText(caption), shown, QMessageBox::NoButton, owner);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(owner != nullptr && (flags & MB_TASKMODAL) == 0 ? Qt::WindowModal
                                                                          : Qt::ApplicationModal);
    switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case MB_YESNO:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    // A notice may come while the busy cursor shows; the box itself is ready for input.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int answer = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    switch (answer) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        // Escape and the close box answer Cancel, or No in a Yes/No box.
        return (flags & MB_TYPEMASK) == MB_YESNO ? IDNO
               : (flags & MB_TYPEMASK) == MB_OK  ? IDOK
                                                 : IDCANCEL;
    }
}
