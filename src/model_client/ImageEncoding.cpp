// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/ImageEncoding.h"

#include <QBuffer>
#include <QImageWriter>

#include <algorithm>
#include <cmath>

namespace ImageEncoding {

QSize scaledSize(const QSize& size, int maxWidth)
{
    if (size.width() <= maxWidth)
        return size;
    const double height = std::trunc(size.height() * (double(maxWidth) / size.width()));
    return {maxWidth, std::max(1, static_cast<int>(height))};
}

std::optional<QString> jpegBase64(const QImage& image, int maxWidth)
{
    if (image.isNull())
        return std::nullopt;
    const QSize target = scaledSize(image.size(), maxWidth);
    QImage prepared = target == image.size()
                          ? image
                          : image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (prepared.isNull())
        prepared = image;
    prepared = prepared.convertToFormat(QImage::Format_RGB888);

    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(jpegQuality);
    if (!writer.write(prepared))
        return std::nullopt;
    return QString::fromLatin1(jpeg.toBase64());
}

} // namespace ImageEncoding
