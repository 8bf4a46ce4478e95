#pragma once
// Pictures stored as JPEG, decoded with libjpeg.

#include <QImage>

#include <string>

namespace tv {

// The picture of the JPEG data (grey or colour); a null image when the data
// are no JPEG picture or are damaged.
QImage DecodeJpeg(const std::string& data);

} // namespace tv
