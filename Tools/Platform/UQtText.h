#pragma once
// The program's texts (UTF-8, lines ending in CR LF) as Qt strings, and back.

#include <QString>

#include <string>

namespace tv {

// CR LF line breaks become the LF that Qt's widgets break lines at; a lone
// CR or LF stays as it is.
QString ToQ(const std::string& text);

// The UTF-8 bytes of a Qt string, line breaks unchanged.
std::string FromQ(const QString& text);

} // namespace tv
