// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/LLMClient.h"

#include <QStringList>

#include <algorithm>

namespace LLMClient {

namespace {

// Name fragments of the model families that take images.
const QStringList visionFragments{QStringLiteral("vision"),     QStringLiteral("llava"),
                                  QStringLiteral("moondream"),  QStringLiteral("minicpm-v"),
                                  QStringLiteral("qwen2.5vl"),  QStringLiteral("qwen2-vl"),
                                  QStringLiteral("qwen2.5-vl"), QStringLiteral("gemma3"),
                                  QStringLiteral("bakllava"),   QStringLiteral("-vl")};

// The widest image each family makes use of, where it is known: a server scales a wider one
// down to its vision encoder's input before the model sees it, so the pixels beyond are sent,
// encoded and read for nothing. First match wins.
struct VisionInput
{
    QLatin1String fragment;
    int width;
};
constexpr VisionInput visionInputs[] = {
    {QLatin1String("bakllava"), 336},     // LLaVA 1.5: one 336-pixel tile
    {QLatin1String("llava-llama3"), 336}, // LLaVA 1.5 on other language models
    {QLatin1String("llava-phi3"), 336},
    {QLatin1String("llava"), 672},            // LLaVA 1.6: a grid of 336-pixel tiles, 672 wide
    {QLatin1String("moondream"), 378},        // one 378-pixel crop
    {QLatin1String("gemma3"), 896},           // one 896-pixel square
    {QLatin1String("llama3.2-vision"), 1120}, // up to two 560-pixel tiles across
    {QLatin1String("minicpm-v"), 1344},       // up to three 448-pixel slices across
};

} // namespace

int imageWidthFor(const QString& model)
{
    const QString lower = model.toLower();
    for (const VisionInput& input : visionInputs) {
        if (lower.contains(input.fragment))
            return input.width;
    }
    return maxJpegWidth;
}

bool isVision(const QString& model)
{
    const QString lower = model.toLower();
    return std::any_of(visionFragments.begin(), visionFragments.end(),
                       [&lower](const QString& fragment) { return lower.contains(fragment); });
}

} // namespace LLMClient
