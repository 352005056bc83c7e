// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/GuideElement.h"
#include "core/Step.h"

#include <QList>
#include <QRectF>
#include <QSize>
#include <QString>

#include <optional>

/// How many tokens a request takes, how large a context to ask for, and which elements go into
/// the prompt so that it fits. Pure.
///
/// Token counts are estimated from above, never from below: a text counts one token per UTF-8
/// byte, which no byte-level or byte-fallback tokenizer exceeds (each token stands for at least
/// one byte), and an image counts the most any common vision model spends on one of the sizes
/// sent. Asking for too large a context costs the server some memory; too small a one makes it
/// cut the prompt from the front without a word.
namespace PromptBudget {

/// Kept free for the model's answer: a JSON object with one sentence needs far fewer.
inline constexpr qint64 replyTokens = 512;
/// What a chat template adds around each message (role markers and separators).
inline constexpr qint64 tokensPerMessage = 16;
/// Models that cut an image into 14-pixel patches and merge them two by two (the Qwen-VL
/// family) spend one token per 28 × 28 pixels.
inline constexpr int pixelsPerImageTokenSide = 28;
/// Models with a fixed tiling spend at most this much per image whatever its size (LLaVA 1.6:
/// five 336-pixel crops of 576 tokens each).
inline constexpr qint64 tiledImageTokens = 2880;
/// The smallest context asked for: twice a server's usual default, enough for most windows, so
/// a session rarely makes the server reload the model for a larger one.
inline constexpr qint64 smallestContext = 8192;
/// The largest context asked for whatever the model could take: beyond it the server's memory
/// for the context grows a lot for windows nobody has.
inline constexpr qint64 largestContext = 65536;
/// A server that reports reading within this share of the whole context has filled it: it cut
/// the prompt to fit.
inline constexpr qint64 fullContextShare = 64;

struct Request
{
    /// The instructions, which the goal and the history follow in the system message.
    QString system;
    QString goal;
    QList<Step> steps;
    QList<GuideElement> elements;
    QRectF window;
    /// The size the image is sent at, for a vision model.
    std::optional<QSize> image;
};

struct Plan
{
    /// The system message: the instructions, the goal and the history that fits.
    QString system;
    /// The user message with the elements that fit, in their order, with their numbers.
    QString user;
    QList<GuideElement> sent;
    /// The estimated tokens of the whole request, answer included.
    qint64 tokens = 0;
    /// The context to run the model with: a power of two that holds `tokens`, within the limit.
    qint64 context = 0;
    /// False when the system prompt and goal alone do not fit.
    bool fits = true;
    /// How many of the oldest steps were left out of the history so that it fits.
    qsizetype stepsLeftOut = 0;
    /// How many elements worth sending were left out so that the prompt fits.
    qsizetype elementsLeftOut = 0;
};

/// The estimated tokens of a text.
qint64 textTokens(const QString& text);
/// The estimated tokens of an image sent at `size`.
qint64 imageTokens(const QSize& size);

/// The prompt for `request` within `limit` tokens, asking for no less than `floor` (a context
/// asked for earlier, so the server keeps the model as loaded). Elements the model is spared
/// (`PromptDiet::worthSending`) are never sent. When the whole list does not
/// fit, elements are left out in this order: recognised-text elements from the end of the list,
/// then window elements farthest from the last step (or the window's centre), then menu-bar
/// elements farthest from it. When the system prompt, the goal and the history alone do not
/// fit, the oldest steps of the history are left out first; the goal is never shortened.
Plan plan(const Request& request, qint64 floor, qint64 limit);

/// Whether a server that read `promptTokens` of a request run with `context` filled the
/// context, which means it cut the prompt.
bool wasCut(qint64 promptTokens, qint64 context);

} // namespace PromptBudget
