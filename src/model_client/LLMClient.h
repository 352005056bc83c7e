// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/GuideElement.h"
#include "core/Step.h"
#include "model_client/ModelReply.h"

#include <QList>
#include <QLocale>
#include <QRectF>
#include <QString>

#include <optional>

/// What the session says to a model and how it reads the answer, whichever server carries it.
/// Pure; safe on any thread.
namespace LLMClient {

/// Images wider than this are scaled down before they are sent.
inline constexpr int maxJpegWidth = 1568;

/// Whether a model name denotes a model that accepts images.
bool isVision(const QString& model);

/// The instructions sent with every request; for a reader of another language than English they
/// ask for the explanation in that language.
QString systemPrompt(const QLocale& reader = QLocale());

/// One element's line of the user prompt, with its frame relative to `window`.
QString elementLine(const GuideElement& element, const QRectF& window);

/// The goal, the steps so far and the numbered elements, with frames relative to `window`.
QString userPrompt(const QString& goal, const QList<Step>& steps,
                   const QList<GuideElement>& elements, const QRectF& window);

/// The model's choice in a reply text, or absent when no usable object is in it.
std::optional<ModelReply> parse(const QString& reply, const QList<GuideElement>& elements);

} // namespace LLMClient
