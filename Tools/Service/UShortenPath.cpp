#include "UShortenPath.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>

namespace tv {

namespace {

const QString Ellipsis = QStringLiteral("...");

// Positions at which a text may be cut without splitting a character.
bool CutPoint(const QString& text, qsizetype at) { return at == 0 || at == text.size() || !text[at].isLowSurrogate(); }

// prefix + the longest beginning (not empty) of variable + suffix that fits,
// else fallback.
QString Fit(const QFontMetrics& metrics, const QString& prefix, const QString& variable, const QString& suffix,
            int width, const QString& fallback)
{
    for (qsizetype keep = variable.size(); keep > 0; --keep) {
        if (!CutPoint(variable, keep)) continue;
        const QString candidate = prefix + variable.left(keep) + suffix;
        if (metrics.horizontalAdvance(candidate) <= width) return candidate;
    }
    return fallback;
}

} // namespace

std::string ShortenPath(const std::string& path, const QFontMetrics& metrics, int width)
{
    const QString text = QString::fromStdString(path);
    if (metrics.horizontalAdvance(text) <= width) return path;
    const qsizetype delimiter = std::max(text.lastIndexOf('/'), text.lastIndexOf('\\'));
    QString result;
    if (delimiter > 0) {
        const QString name = text.mid(delimiter);
        const QString tail = Ellipsis + name;
        if (metrics.horizontalAdvance(tail) <= width)
            result = Fit(metrics, QString(), text.left(delimiter), tail, width, tail);
        else
            result = Fit(metrics, Ellipsis, name, Ellipsis, width, Ellipsis);
    } else {
        result = Fit(metrics, QString(), text, Ellipsis, width, Ellipsis);
    }
    return result.toStdString();
}

std::string ShortenPath(const std::string& path, const QFont& font, int width)
{
    return ShortenPath(path, QFontMetrics(font), width);
}

} // namespace tv
