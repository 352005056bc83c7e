#pragma once

#include <QString>

// Every text the program shows, verbatim, in one place. A few name platform things (the hot
// key, the machine, the settings); those carry the wording of the platform being built.
namespace Texts {

inline const QString ellipsis = QStringLiteral("\u2026");

// Hot key and machine wording.
inline const QString hotKeyName = QStringLiteral("Control+Alt+G");
inline const QString thisMachine = QStringLiteral("this computer");

// Session.
inline const QString typeAGoal = QStringLiteral("Type a goal and press Return.");
inline const QString screenPermissionNeeded =
    QStringLiteral("Screen Recording permission is needed to see the window.");
inline const QString switchToApp =
    QStringLiteral("Switch to the app you want help with, then press ") + hotKeyName + u'.';
inline const QString unnamedApp = QStringLiteral("app");
inline const QString readingTextOnScreen = QStringLiteral("Reading text on screen\u2026");
inline const QString nothingRecognisable =
    QStringLiteral("Nothing recognisable found in that window.");
inline const QString stopped = QStringLiteral("Stopped. Type a new goal and press Return.");
inline const QString youChoseThis = QStringLiteral("You chose this element.");

inline QString reading(const QString& appName)
{
    return QStringLiteral("Reading ") + appName + ellipsis;
}

// Suggestion.
inline const QString noServer =
    QStringLiteral("No model server found on ") + thisMachine +
    QStringLiteral(". To get suggestions, install Ollama (from ollama.com) and run "
                   "\u201Collama pull llama3.2-vision\u201D, or install LM Studio and start its "
                   "local server (port 1234). Meanwhile, pick an element below to highlight it.");
inline const QString ollamaNoModel =
    QStringLiteral("Ollama is running but has no models. Run \u201Collama pull "
                   "llama3.2-vision\u201D, then refresh.");
inline const QString lmStudioNoModel = QStringLiteral(
    "LM Studio is running but no model is available. Load one in LM Studio, then refresh.");
inline const QString replyNotUsable =
    QStringLiteral("The model's reply wasn't usable. Pick an element below instead.");
inline const QString noListedElement =
    QStringLiteral("The model didn't name a listed element. Pick one below instead.");
inline const QString goalComplete = QStringLiteral("The goal looks complete.");

inline QString asking(const QString& model)
{
    return QStringLiteral("Asking ") + model + ellipsis;
}

inline QString stepReady(qint64 number)
{
    return QStringLiteral("Step ") + QString::number(number) + QStringLiteral(" ready.");
}

inline QString requestFailed(const QString& description)
{
    return QStringLiteral("The model request failed (") + description + QStringLiteral("). ") +
           noServer;
}

// Capture.
inline const QString noVisibleWindow = QStringLiteral(
    "Couldn't find a visible window for that app. Bring it to the front and try again.");

inline QString captureFailed(const QString& description)
{
    return QStringLiteral("Screen capture failed: ") + description;
}

} // namespace Texts
