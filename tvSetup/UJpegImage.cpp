#include "UJpegImage.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace tv {

namespace {

struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
};

[[noreturn]] void OnJpegError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TJpegError*>(info->err)->Jump, 1);
}

void IgnoreJpegMessage(j_common_ptr) {}

// Decodes into image, which the caller made; false on a damaged picture.
// Holds no object with a destructor, because a failure jumps out of libjpeg.
bool Decode(const std::string& data, QImage& image)
{
    jpeg_decompress_struct info {};
    TJpegError error {};
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = OnJpegError;
    error.Manager.output_message = IgnoreJpegMessage;
    if (setjmp(error.Jump) != 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height), QImage::Format_RGB888);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

QImage DecodeJpeg(const std::string& data)
{
    QImage image;
    if (data.empty() || !Decode(data, image))
        return QImage();
    return image;
}

} // namespace tv
