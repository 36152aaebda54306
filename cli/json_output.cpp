#include "cli/json_output.h"

#include "cli/progress_output.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>

namespace {

// JSON leaves DEL and the C1 controls (U+0080 to U+009F) as they are. Written as \u escapes
// they read back the same and cannot steer a terminal that shows the file; outside strings
// JSON holds none of them, so no string can be cut.
QByteArray WithControlsEscaped(const QByteArray& json) {
    QByteArray out;
    out.reserve(json.size());
    for (qsizetype i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json[i]);
        const auto next = i + 1 < json.size() ? static_cast<unsigned char>(json[i + 1]) : 0;
        if (byte == 0x7F) {
            out += "\\u007f";
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            out += "\\u00" + QByteArray::number(next, 16);
            ++i;
        } else {
            out += json[i];
        }
    }
    return out;
}

} // namespace

QByteArray DiscoveredPrintersJson(const std::vector<FoundPrinter>& printers) {
    QJsonArray array;
    for (const FoundPrinter& printer : printers)
        array.append(QJsonObject{{QStringLiteral("address"), printer.address},
                                 {QStringLiteral("name"), printer.name},
                                 {QStringLiteral("version"), printer.version}});
    return WithControlsEscaped(QJsonDocument(array).toJson(QJsonDocument::Indented));
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
    out.write(WithControlsEscaped(QJsonDocument(report).toJson(QJsonDocument::Indented)));
    return out.commit();
}
