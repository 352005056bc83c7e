// SPDX-License-Identifier: GPL-3.0-or-later
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
inline const QString captureUnavailable =
    QStringLiteral("Cuewell cannot capture windows on this display: it needs an X11 display with "
                   "the Composite extension, or GNOME on Wayland with Cuewell's extension.");
inline const QString switchToApp =
    QStringLiteral("Switch to the app you want help with, then press ") + hotKeyName + u'.';
inline const QString unnamedApp = QStringLiteral("app");
inline const QString readingTextOnScreen = QStringLiteral("Reading text on screen\u2026");
inline const QString waitingForPage = QStringLiteral("Waiting for the page to load\u2026");
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
/// The model wants a control that is not on screen; a scrolled area holds some out of view.
inline const QString notInView =
    QStringLiteral("The control isn't in view. Scroll where the ring is, then choose Next step.");
inline const QString scrollDown = QStringLiteral("Scroll down in this list");
inline const QString scrollUp = QStringLiteral("Scroll up in this list");
inline const QString scrollDownToFind =
    QStringLiteral("Scroll down in this list to bring the control into view.");
inline const QString scrollUpToFind =
    QStringLiteral("Scroll up in this list to bring the control into view.");

inline QString asking(const QString& model)
{
    return QStringLiteral("Asking ") + model + ellipsis;
}

inline QString stepReady(qint64 number)
{
    return QStringLiteral("Step ") + QString::number(number) + QStringLiteral(" ready.");
}

// Said after a step's status when not every element went to the model.
inline QString elementsLeftOut(qsizetype sent, qsizetype total)
{
    return QStringLiteral(" Only ") + QString::number(sent) + QStringLiteral(" of ") +
           QString::number(total) +
           QStringLiteral(" elements fit the model's context; the rest were left out.");
}

inline const QString screenshotLeftOut =
    QStringLiteral(" The screenshot did not fit the model's context and was not sent.");

// Said after a step's status when the server reports it read a full context.
inline QString promptCut(qint64 tokensRead)
{
    return QStringLiteral(" The model server cut the request to fit its context (it read ") +
           QString::number(tokensRead) + QStringLiteral(" tokens), so this answer may be wrong.");
}

inline QString promptTooLong(qint64 limit)
{
    return QStringLiteral("The goal and the steps so far are too long for this model, whose "
                          "context holds ") +
           QString::number(limit) +
           QStringLiteral(" tokens. Stop and start again with a shorter goal.");
}

// Shown beside the status line while a request is out, and under it after a while; in the
// second half of the longest wait, with that wait beside it.
inline QString waitingFor(qint64 seconds)
{
    return QString::number(seconds) + QStringLiteral(" s");
}
inline QString waitingFor(qint64 seconds, qint64 limitSeconds)
{
    return waitingFor(seconds) + QStringLiteral(" of ") + waitingFor(limitSeconds);
}
inline const QString modelMayBeLoading = QStringLiteral(
    "Still waiting: the model may be loading, which can take half a minute the first time.");
inline const QString waitingName = QStringLiteral("Waiting time");

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

// Why a capture failed, shown inside captureFailed.
inline const QString noXDisplay = QStringLiteral("There is no X display.");
inline const QString windowsNotListed =
    QStringLiteral("The window manager does not list its windows.");
inline const QString noComposite =
    QStringLiteral("The display cannot capture windows (no Composite).");
inline const QString windowGone = QStringLiteral("The window is gone.");
inline const QString windowNotOnScreen = QStringLiteral("The window is not on screen.");
inline const QString pixelsUnreadable = QStringLiteral("The window's pixels could not be read.");
inline const QString notRedirected =
    QStringLiteral("The window could not be redirected for capture.");
inline const QString windowClosed = QStringLiteral("The window closed.");
inline const QString noFrameInTime = QStringLiteral("The window did not draw itself in time.");

// A model server address that is refused.
inline QString ollamaHostElsewhere(const QString& host)
{
    return QStringLiteral("OLLAMA_HOST names ") + host +
           QStringLiteral(", which is not this computer. Cuewell sends screenshots only to a "
                          "model server on this computer: unset OLLAMA_HOST or point it at "
                          "127.0.0.1.");
}

inline QString unreadableOllamaHost(const QString& value)
{
    return QStringLiteral("OLLAMA_HOST (") + value +
           QStringLiteral(") is not an address Cuewell can read. Unset it or set it to "
                          "127.0.0.1:11434.");
}

// Why a model request failed, shown inside requestFailed. `server` names the server and its
// address, for example "Ollama at 127.0.0.1:11434".
inline QString durationText(qint64 milliseconds)
{
    if (milliseconds % 60'000 == 0)
        return QString::number(milliseconds / 60'000) +
               (milliseconds == 60'000 ? QStringLiteral(" minute") : QStringLiteral(" minutes"));
    return QString::number(double(milliseconds) / 1000.0, 'g', 4) + QStringLiteral(" seconds");
}

inline QString serverSilent(const QString& server, qint64 milliseconds)
{
    return server + QStringLiteral(" did not answer within ") + durationText(milliseconds);
}

inline QString serverTooSlow(const QString& server, qint64 milliseconds)
{
    return server + QStringLiteral(" did not finish its answer within ") +
           durationText(milliseconds);
}

inline QString serverClosed(const QString& server)
{
    return server + QStringLiteral(" closed the connection before it had answered");
}

inline QString serverNotHttp(const QString& server)
{
    return server + QStringLiteral(" answered with something that is not HTTP");
}

inline QString serverAnswerTooLarge(const QString& server, qint64 maxBytes)
{
    const QString size = maxBytes >= 1024 * 1024
                             ? QString::number(maxBytes / (1024 * 1024)) + QStringLiteral(" MiB")
                             : QString::number(maxBytes / 1024) + QStringLiteral(" KiB");
    return server + QStringLiteral(" sent an answer larger than ") + size;
}

inline QString serverUnreachable(const QString& server, const QString& why)
{
    return server + QStringLiteral(": ") + why;
}

// Never shown: a request ends this way only for a step that was stopped.
inline const QString requestStopped = QStringLiteral("The request was stopped.");

inline const QString modelNotDescribed =
    QStringLiteral("The server's model listing does not describe this model.");

inline QString answerNotJson(const QString& error, qint64 offset)
{
    return QStringLiteral("The server's answer is not valid JSON (") + error +
           QStringLiteral(" at byte ") + QString::number(offset) + QStringLiteral(").");
}

// Said after a step's status when the oldest steps did not fit the model's context.
inline QString stepsLeftOut(qsizetype leftOut)
{
    return leftOut == 1
               ? QStringLiteral(" The oldest step did not fit the model's context and was left "
                                "out of the request.")
               : QStringLiteral(" The oldest ") + QString::number(leftOut) +
                     QStringLiteral(" steps did not fit the model's context and were left out of "
                                    "the request.");
}

// Shell.
inline const QString appName = QStringLiteral("Cuewell");
inline const QString openCuewell = QStringLiteral("Open Cuewell (Ctrl+Alt+G)");
inline const QString quitCuewell = QStringLiteral("Quit Cuewell");
inline const QString appDescription =
    QStringLiteral("An on-screen guide that points to the control to use next.");
inline const QString helpOption = QStringLiteral("Show this help and end.");
inline const QString versionOption = QStringLiteral("Show Cuewell's version and end.");
inline const QString quitOption =
    QStringLiteral("Tell the Cuewell running on this desktop to quit.");
inline const QString noArgumentsTaken = QStringLiteral("Cuewell takes no file or other argument.");
inline const QString cuewellNotRunning = QStringLiteral("Cuewell is not running on this desktop.");
inline const QString noX11Display =
    QStringLiteral("Cuewell needs an X11 desktop session (or XWayland) or GNOME on Wayland; no X "
                   "display was found.");

// Explainer.
inline const QString welcome = QStringLiteral("Welcome to Cuewell");
inline const QString introduction = QStringLiteral(
    "Cuewell looks at the window you're using and points to the control you should use next. "
    "It needs to capture that window and to read its controls; here is what each takes on "
    "this desktop.");
inline const QString windowCapture = QStringLiteral("Window capture");
inline const QString windowCaptureText = QStringLiteral(
    "Lets Cuewell capture the frontmost window so it can read the text on it. On an X11 desktop "
    "(or for X11 apps under XWayland) this needs the display's Composite extension, which every "
    "current X server has; there is nothing to grant.");
inline const QString accessibility = QStringLiteral("Accessibility");
inline const QString accessibilityText = QStringLiteral(
    "Lets Cuewell read the buttons, menu items and text fields of the frontmost app, with their "
    "titles and positions. Accessibility has to be switched on for your desktop session; "
    "“Allow…” switches it on.");
inline const QString granted = QStringLiteral("Granted");
inline const QString available = QStringLiteral("Available");
inline const QString allow = QStringLiteral("Allow…");
inline const QString openSystemSettings = QStringLiteral("Open System Settings");
// GNOME on Wayland, where Cuewell sees windows through its GNOME Shell extension.
inline const QString enableExtensionCommand =
    QStringLiteral("gnome-extensions enable cuewell@cuewell.org");
inline const QString gnomeExtension = QStringLiteral("GNOME Shell extension");
inline const QString gnomeExtensionText =
    QStringLiteral("On GNOME on Wayland, Cuewell sees the window you work in, rings controls and "
                   "takes its hot key through its GNOME Shell extension, which only Cuewell may "
                   "use. \u201Cbash scripts/run.sh\u201D installs it; turn it on with: ") +
    enableExtensionCommand;
inline const QString gnomeExtensionRemedy =
    QStringLiteral("Run \u201C") + enableExtensionCommand +
    QStringLiteral("\u201D in a terminal. If GNOME says the extension does not exist, log out "
                   "and back in first (GNOME finds new extensions when you log in), then run it "
                   "again.");
inline const QString gnomeExtensionOff =
    QStringLiteral("Cuewell's GNOME Shell extension is off, so Cuewell cannot see your windows. "
                   "Turn it on with: ") +
    enableExtensionCommand;
inline const QString shellCaptureFailed =
    QStringLiteral("GNOME Shell did not give the window's pixels.");
inline const QString noCaptureSettings = QStringLiteral(
    "No settings can change this: start your desktop on a current X server (for example “GNOME "
    "on Xorg” on the login screen), or use GNOME on Wayland with Cuewell's extension.");
inline const QString noAccessibilitySettings =
    QStringLiteral("Your desktop has no accessibility settings Cuewell can open. Use “Allow…” to "
                   "switch accessibility on, then restart the app you want help with.");
inline const QString privacyNote =
    QStringLiteral("Screenshots are processed in memory only. They are never saved, and are sent "
                   "nowhere except the local model server you choose (Ollama or LM Studio) on ") +
    thisMachine + u'.';
inline const QString restartHint = QStringLiteral(
    "Apps started before accessibility was switched on may need a restart before Cuewell can "
    "read them.");
inline const QString continueLabel = QStringLiteral("Continue");

// Main view.
inline const QString goalPlaceholder =
    QStringLiteral("What do you want to do? e.g. export this as PDF");
inline const QString go = QStringLiteral("Go");
inline const QString helpingWith = QStringLiteral("Helping with: ");
/// Under the target line: the window whose controls the last step read.
inline const QString readingWindow = QStringLiteral("Reading window: ");
inline const QString nextStep = QStringLiteral("Next step");
inline const QString stop = QStringLiteral("Stop");
inline const QString permissions = QStringLiteral("Permissions");
inline const QString followMyClicks = QStringLiteral("Follow my clicks");
inline const QString followMyClicksHelp =
    QStringLiteral("When you click the highlighted control, the next step comes by itself.");
inline const QString accessibilityNotice =
    QStringLiteral("Accessibility isn't granted, so only on-screen text can be used. Use "
                   "Permissions to enable it.");
inline const QString next = QStringLiteral("Next: ");
inline const QString history = QStringLiteral("History");
inline const QString notRunning = QStringLiteral("Not running");
inline const QString noModels = QStringLiteral("No models");
inline const QString refreshModels = QStringLiteral("Refresh models");

// Names that assistive technology reads for controls whose purpose is shown by layout alone.
inline const QString goalName = QStringLiteral("Goal");
inline const QString statusName = QStringLiteral("Status");
inline const QString workingName = QStringLiteral("Working");
inline const QString modelName = QStringLiteral("Model");
inline const QString detectedElementsName = QStringLiteral("Detected elements");
inline const QString highlightWindowTitle = QStringLiteral("Cuewell highlight");

inline QString allowFor(const QString& permission)
{
    return allow + u' ' + permission;
}

inline QString openSettingsFor(const QString& permission)
{
    return openSystemSettings + QStringLiteral(" for ") + permission;
}

inline QString detectedElements(qsizetype count)
{
    return QStringLiteral("Detected elements (") + QString::number(count) + u')';
}

inline QString historyLine(qint64 number, const QString& label, const QString& explanation)
{
    return QString::number(number) + QStringLiteral(". ") + label + QStringLiteral(" \u2014 ") +
           explanation;
}

} // namespace Texts
