#include "UQtText.h"

namespace tv {

QString ToQ(const std::string& text)
{
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return s;
}

std::string FromQ(const QString& text) { return text.toStdString(); }

} // namespace tv
