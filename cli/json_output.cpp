#include "cli/json_output.h"

#include "cli/progress_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>

QString DiscoveredPrintersJson(const std::vector<FoundPrinter>& printers) {
    QJsonArray array;
    for (const FoundPrinter& printer : printers)
        array.append(QJsonObject{{QStringLiteral("address"), printer.address},
                                 {QStringLiteral("name"), printer.name},
                                 {QStringLiteral("version"), printer.version}});
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)).trimmed();
}

bool WriteRestoreReport(const QString& path, const QString& file, uint64_t size,
                        const std::vector<PrinterState>& printers) {
    QJsonArray array;
    int sent = 0;
    int failed = 0;
    for (const PrinterState& printer : printers) {
        sent += printer.outcome == Outcome::Sent ? 1 : 0;
        failed += printer.outcome == Outcome::Failed ? 1 : 0;
        array.append(QJsonObject{
            {QStringLiteral("address"), printer.address},
            {QStringLiteral("name"), printer.name},
            {QStringLiteral("outcome"), OutcomeText(printer.outcome)},
            {QStringLiteral("bytes"), static_cast<qint64>(printer.bytes)},
            {QStringLiteral("seconds"), std::round(printer.seconds * 1000) / 1000},
            {QStringLiteral("error"), printer.error},
        });
    }
    const QJsonObject report{
        {QStringLiteral("file"), file},      {QStringLiteral("size"), static_cast<qint64>(size)},
        {QStringLiteral("printers"), array}, {QStringLiteral("sent"), sent},
        {QStringLiteral("failed"), failed},
    };
    // Written beside the target and renamed over it, so a reader never sees half a report.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(QJsonDocument(report).toJson(QJsonDocument::Indented));
    return out.commit();
}
