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

/// The width `model`'s image is sent at most: what its family's vision input makes use of, else
/// `maxJpegWidth`.
int imageWidthFor(const QString& model);

/// Whether a model name denotes a model that accepts images.
bool isVision(const QString& model);

/// The instructions sent with every request; for a reader of another language than English they
/// ask for the explanation in that language.
QString systemPrompt(const QLocale& reader = QLocale());

/// One element's line of the elements prompt, with its centre relative to `window`.
QString elementLine(const GuideElement& element, const QRectF& window);

/// The system message: `instructions`, then the goal and the steps so far. A step's request
/// starts as the one before it did, so a server that keeps the last request's computed prefix
/// reads only the new step and the elements.
QString taskPrompt(const QString& instructions, const QString& goal, const QList<Step>& steps);

/// The user message: the numbered elements, with centres relative to `window`, and the question.
QString elementsPrompt(const QList<GuideElement>& elements, const QRectF& window);

/// The model's choice in a reply text, or absent when no usable object is in it.
std::optional<ModelReply> parse(const QString& reply, const QList<GuideElement>& elements);

/// How much of a reply's start `preview` reads: an id and a card's sentence, with room to spare.
inline constexpr qsizetype maxPreviewCharacters = 4096;

/// What the start of a reply still being generated says: the element's id once it is written
/// out, and the sentence to its last whole word; absent until an id (or done) is known. Reads no
/// more than `maxPreviewCharacters`, so it may be asked again at every piece.
std::optional<ModelReply> preview(QStringView replySoFar, const QList<GuideElement>& elements);

} // namespace LLMClient
