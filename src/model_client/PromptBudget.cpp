// SPDX-License-Identifier: GPL-3.0-or-later
#include "model_client/PromptBudget.h"

#include "model_client/LLMClient.h"
#include "model_client/PromptDiet.h"

#include <QLineF>

#include <algorithm>
#include <bit>
#include <numeric>

namespace PromptBudget {

namespace {

// Where the user is working: the last step's element, else the middle of the window.
QPointF anchorOf(const Request& request)
{
    if (!request.steps.isEmpty() && request.steps.last().frame.isValid())
        return request.steps.last().frame.center();
    return request.window.center();
}

// Positions in the list in the order elements are left out.
QList<qsizetype> leavingOrder(const QList<GuideElement>& elements, const QPointF& anchor)
{
    QList<qsizetype> text;
    QList<qsizetype> window;
    QList<qsizetype> menuBar;
    for (qsizetype i = elements.size() - 1; i >= 0; --i) {
        const GuideElement& e = elements[i];
        if (e.source == GuideElement::Source::text)
            text.append(i);
        else
            (e.isMenuBar ? menuBar : window).append(i);
    }
    const auto farthestFirst = [&](qsizetype a, qsizetype b) {
        return QLineF(elements[a].frame.center(), anchor).length() >
               QLineF(elements[b].frame.center(), anchor).length();
    };
    std::stable_sort(window.begin(), window.end(), farthestFirst);
    std::stable_sort(menuBar.begin(), menuBar.end(), farthestFirst);
    return text + window + menuBar;
}

qint64 nextPowerOfTwo(qint64 value)
{
    return static_cast<qint64>(std::bit_ceil(static_cast<quint64>(std::max<qint64>(value, 1))));
}

} // namespace

qint64 textTokens(const QString& text)
{
    return text.toUtf8().size();
}

qint64 imageTokens(const QSize& size)
{
    const auto tiles = [](int pixels) {
        return (std::max(pixels, 1) + pixelsPerImageTokenSide - 1) / pixelsPerImageTokenSide;
    };
    const qint64 patches = qint64(tiles(size.width())) * tiles(size.height());
    return std::max(patches, tiledImageTokens);
}

namespace {

// The tokens of everything but the element list, with the history from step `first` on.
qint64 fixedTokens(const Request& request, qsizetype first)
{
    return textTokens(
               LLMClient::taskPrompt(request.system, request.goal, request.steps.mid(first))) +
           textTokens(LLMClient::elementsPrompt({}, request.window)) + 2 * tokensPerMessage +
           (request.image ? imageTokens(*request.image) : 0) + replyTokens;
}

} // namespace

Plan plan(const Request& request, qint64 floor, qint64 limit)
{
    // The history gives way from its oldest step: what was done last matters most to the next.
    qsizetype firstStep = 0;
    qint64 fixed = fixedTokens(request, firstStep);
    while (fixed > limit && firstStep < request.steps.size())
        fixed = fixedTokens(request, ++firstStep);
    const QList<Step> steps = request.steps.mid(firstStep);

    QList<bool> kept = PromptDiet::worthSending(request.elements);
    QList<qint64> lineTokens;
    lineTokens.reserve(request.elements.size());
    for (qsizetype i = 0; i < request.elements.size(); ++i)
        lineTokens.append(
            kept[i] ? textTokens(LLMClient::elementLine(request.elements[i], request.window)) : 0);
    qint64 total = std::accumulate(lineTokens.begin(), lineTokens.end(), fixed);

    qsizetype cut = 0;
    if (total > limit) {
        for (qsizetype i : leavingOrder(request.elements, anchorOf(request))) {
            if (total <= limit)
                break;
            if (!kept[i])
                continue;
            kept[i] = false;
            total -= lineTokens[i];
            ++cut;
        }
    }
    Plan result;
    result.elementsLeftOut = cut;
    for (qsizetype i = 0; i < request.elements.size(); ++i) {
        if (kept[i])
            result.sent.append(request.elements[i]);
    }
    result.system = LLMClient::taskPrompt(request.system, request.goal, steps);
    result.user = LLMClient::elementsPrompt(result.sent, request.window);
    result.tokens = total;
    result.fits = total <= limit;
    result.context = std::min(limit, std::max(floor, nextPowerOfTwo(total)));
    result.stepsLeftOut = firstStep;
    return result;
}

bool wasCut(qint64 promptTokens, qint64 context)
{
    return promptTokens <= context && promptTokens >= context - context / fullContextShare;
}

} // namespace PromptBudget
