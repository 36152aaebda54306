#include "ui/file_filter.h"

#include <QStringList>

namespace {

QString QtPatterns(const QString& patterns) {
    QStringList converted;
    for (const QString& piece : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString pattern = piece.trimmed();
        if (!pattern.isEmpty())
            converted.append(pattern == u"*.*" ? QStringLiteral("*") : pattern);
    }
    return converted.join(u' ');
}

} // namespace

QString QtFileFilter(const QString& filter) {
    // The pieces alternate description and patterns; the trailing "||" leaves empty pieces.
    const QStringList pieces = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < pieces.size(); i += 2) {
        const QString& description = pieces[i];
        const QString patterns = QtPatterns(pieces[i + 1]);
        if (description.isEmpty() || patterns.isEmpty())
            continue;
        // A description that already shows its patterns keeps them in place, rewritten, so the
        // dialog does not show them twice.
        const QString shown = u'(' + pieces[i + 1] + u')';
        if (description.endsWith(shown))
            filters.append(description.left(description.size() - shown.size()) + u'(' + patterns +
                           u')');
        else
            filters.append(description + QStringLiteral(" (") + patterns + u')');
    }
    return filters.join(QStringLiteral(";;"));
}
