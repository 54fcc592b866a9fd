#include "app/gui/FileFilter.h"

#include <QStringList>

QString ToQtFileFilter(const std::string& pipeFilter) {
    const QStringList parts =
        QString::fromLatin1(pipeFilter.c_str()).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        // Qt reads the patterns from the parentheses of the name; keep the name as written.
        if (!name.contains(QLatin1Char('(')))
            name += QStringLiteral(" (") + patterns + QLatin1Char(')');
        else
            name.replace(QStringLiteral("(*.*)"), QStringLiteral("(*)"));
        filters << name;
    }
    return filters.join(QStringLiteral(";;"));
}
