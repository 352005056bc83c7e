// SPDX-License-Identifier: GPL-3.0-or-later
// The texts sent to the model: the task's instructions, goal and history first, which stay the
// same from one step to the next so that a server reuses what it computed for them, and the
// step's elements last.
#include "core/NumericRange.h"
#include "core/OutsideText.h"
#include "core/Texts.h"
#include "model_client/LLMClient.h"

namespace LLMClient {

namespace {

const QString instructions = QStringLiteral(
    "You are Cuewell. "
    "You tell a user which single user-interface element to use next to reach their goal in the "
    "app on screen. "
    "You receive a numbered list of interface elements detected in the frontmost window and the "
    "app's menu bar. "
    "Choose exactly one element from that list. "
    "If the needed command is inside a menu, choose the menu bar item that opens it and say "
    "which command to pick. "
    "Reply with ONLY a JSON object, no other text, in this form: id is the number from the "
    "list, explanation is one short sentence telling the user what to do, done is false. "
    "Example: {\"id\": 12, \"explanation\": \"Click File, then choose Export as PDF.\", "
    "\"done\": false}. "
    "Set done to true with id null only if the goal is already complete.");

constexpr qsizetype maxTitleLength = 80;
// A step of the history says what was done in a sentence; more would crowd out the elements.
constexpr qsizetype maxHistoryLabelLength = 120;
constexpr qsizetype maxHistoryExplanationLength = 240;

// Truncates toward zero; values that are not finite or do not fit print as 0.
QString integerText(double value)
{
    return QString::number(NumericRange::truncatedInt64(value).value_or(0));
}

QString cleanTitle(QString title)
{
    title.replace(u'\n', u' ');
    return OutsideText::tamed(title, maxTitleLength);
}

// Where the element is, as the point a person would click: its kind says what its size would.
QString relativeCentre(const QRectF& element, const QRectF& window)
{
    const QPointF at = element.normalized().center() - window.normalized().topLeft();
    return integerText(at.x()) + u',' + integerText(at.y());
}

// Each earlier step as the model reads it, in the prompt's own wording whatever the user's
// language.
QString historyLine(const Step& step)
{
    return QString::number(step.number) + QStringLiteral(". ") +
           OutsideText::tamed(step.label, maxHistoryLabelLength) + QStringLiteral(" \u2014 ") +
           OutsideText::tamed(step.explanation, maxHistoryExplanationLength);
}

} // namespace

QString systemPrompt(const QLocale& reader)
{
    const QLocale::Language language = Texts::readingLanguage(reader);
    if (language == QLocale::English || language == QLocale::C || language == QLocale::AnyLanguage)
        return instructions;
    // The explanation is the card's sentence, so it comes in the user's language; the element
    // labels stay as the application shows them.
    return instructions + QStringLiteral(" Write the explanation in ") +
           QLocale::languageToString(language) + u'.';
}

QString elementLine(const GuideElement& element, const QRectF& window)
{
    const QString bar = QStringLiteral(" | ");
    return QString::number(element.id) + bar + element.role + bar + cleanTitle(element.title) +
           bar + relativeCentre(element.frame, window) + u'\n';
}

QString taskPrompt(const QString& instructions, const QString& goal, const QList<Step>& steps)
{
    QString prompt = instructions + QStringLiteral("\n\nGoal: ") + goal + u'\n';
    if (!steps.isEmpty()) {
        prompt +=
            QStringLiteral("\nSteps already suggested (the user has presumably done them):\n");
        for (const Step& step : steps)
            prompt += historyLine(step) + u'\n';
    }
    return prompt;
}

QString elementsPrompt(const QList<GuideElement>& elements, const QRectF& window)
{
    QString prompt = QStringLiteral(
        "Elements (id | kind | label | x,y of its centre relative to the window):\n");
    for (const GuideElement& element : elements)
        prompt += elementLine(element, window);
    prompt += QStringLiteral("\nWhich element should the user use next?");
    return prompt;
}

} // namespace LLMClient
