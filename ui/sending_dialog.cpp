#include "ui/sending_dialog.h"

#include "text/string_ids.h"
#include "ui/qt_text.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CSending::CSending(QWidget* parent)
    : QDialog(parent), m_status(new QLabel(this)), m_progress(new QProgressBar(this)),
      m_cancel(new QPushButton(this)) {
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    m_status->setObjectName(QStringLiteral("statusText"));
    m_status->setAlignment(Qt::AlignCenter);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setMinimumHeight(2 * fontMetrics().lineSpacing());
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setTextVisible(false);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(m_cancel, &QPushButton::clicked, this, &CSending::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    setMinimumWidth(300);

    connect(&m_timer, &QTimer::timeout, this, [this] { m_job.Tick(); });
}

void CSending::SetBackupFilePath(QStringView path) {
    m_job.SetBackupFilePath(WideOf(path));
}

void CSending::SetDeliveryList(DeliveryNode* nodes) {
    m_job.SetDeliveryList(nodes);
}

void CSending::SetStatusText(const QString& text) {
    m_job.SetStatusText(WideOf(text));
}

void CSending::SetTransportIndex(int32_t index) {
    m_job.SetTransportIndex(index);
}

void CSending::SetJobFlag(int32_t flag) {
    m_job.SetJobFlag(flag);
}

int32_t CSending::JobFlag() const {
    return m_job.JobFlag();
}

int CSending::exec() {
    m_ended = false;
    m_progress->reset();
    setWindowTitle(ResQString(IDS_SENDING_TITLE));
    m_cancel->setText(ResQString(IDS_SENDING_CANCEL));
    m_job.Initialise(this);
    // A job that could not start has already ended; the dialog never shows.
    if (m_ended)
        return result();
    return QDialog::exec();
}

void CSending::reject() {
    m_job.Cancel();
}

void CSending::ShowStatusText(const std::u16string& text) {
    QString shown = QtText(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_status->setText(shown);
}

void CSending::SetProgressRange(int lower, int upper) {
    m_progress->setRange(lower, upper);
}

void CSending::SetProgressPosition(int position) {
    // Below the range means an empty bar, which QProgressBar shows after a reset.
    if (position == 0)
        m_progress->reset();
    else
        m_progress->setValue(position);
}

void CSending::StartTimer() {
    m_timer.start(kDeliveryTickMs);
}

void CSending::StopTimer() {
    m_timer.stop();
}

void CSending::CloseWithOk() {
    m_ended = true;
    QDialog::accept();
}
