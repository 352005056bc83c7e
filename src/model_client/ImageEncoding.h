// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

#include <optional>

/// Prepares a capture for a vision model.
namespace ImageEncoding {

inline constexpr int jpegQuality = 80;

/// The size an image of `size` is sent at: no wider than `maxWidth`, never enlarged.
QSize scaledSize(const QSize& size, int maxWidth);

/// The image scaled down to `maxWidth` (smoothly, RGB without alpha), as Base64 JPEG text;
/// absent when it cannot be encoded.
std::optional<QString> jpegBase64(const QImage& image, int maxWidth);

} // namespace ImageEncoding
