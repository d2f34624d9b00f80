// SPDX-License-Identifier: MIT
// PngFiles.cpp: CapturedImage to QImage to PNG.
#include "Arvelo/Views/Verification/PngFiles.h"

#include <QImage>
#include <QString>

namespace arvelo::views {

bool writePng(const platform::CapturedImage& image, const std::filesystem::path& file) {
    if (image.empty()) return false;
    // The pixels stay shared and unchanged; the copy to RGB32 drops the alpha channel.
    const QImage view(reinterpret_cast<const uchar*>(image.pixels->data()), image.width, image.height,
                      static_cast<qsizetype>(image.width) * 4, QImage::Format_ARGB32);
    return view.convertToFormat(QImage::Format_RGB32).save(QString::fromStdString(file.string()), "PNG");
}

}  // namespace arvelo::views
