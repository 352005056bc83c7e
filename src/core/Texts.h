// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QString>

// Every text the program shows, in one place, each through the translator installed at start-up
// (English when there is none). A few name fixed things (the program, the hot key, a command);
// those are constants and stay as they are in every language.
//
// Values from outside (names, numbers, server texts) go in through one multi-argument arg() call:
// chained arg() calls would replace a "%2" that the first value itself brought in.
class Texts
{
    Q_DECLARE_TR_FUNCTIONS(Texts)

public:
    /// The language a person reads texts in: the first of the locale's interface languages
    /// (LANGUAGE before LC_MESSAGES and LANG for the system's locale).
    static QLocale::Language readingLanguage(const QLocale& locale)
    {
        const QStringList preferred = locale.uiLanguages();
        return preferred.isEmpty() ? locale.language() : QLocale(preferred.first()).language();
    }

    static inline const QString ellipsis = QStringLiteral("\u2026");
    static inline const QString appName = QStringLiteral("Cuewell");
    static inline const QString hotKeyName = QStringLiteral("Control+Alt+G");
    static inline const QString enableExtensionCommand =
        QStringLiteral("gnome-extensions enable cuewell@cuewell.org");

    // Session.
    static QString typeAGoal() { return tr("Type a goal and press Return."); }
    static QString captureUnavailable()
    {
        return tr("Cuewell cannot capture windows on this display: it needs an X11 display with "
                  "the Composite extension, or GNOME on Wayland with Cuewell's extension.");
    }
    static QString switchToApp()
    {
        return tr("Switch to the app you want help with, then press %1.").arg(hotKeyName);
    }
    static QString unnamedApp() { return tr("app"); }
    static QString readingTextOnScreen() { return tr("Reading text on screen…"); }
    static QString waitingForPage() { return tr("Waiting for the page to load…"); }
    static QString nothingRecognisable()
    {
        return tr("Nothing recognisable found in that window.");
    }
    static QString stopped() { return tr("Stopped. Type a new goal and press Return."); }
    static QString youChoseThis() { return tr("You chose this element."); }
    static QString reading(const QString& application)
    {
        return tr("Reading %1…").arg(application);
    }

    // Suggestion.
    static QString noServer()
    {
        return tr("No model server found on this computer. To get suggestions, install Ollama "
                  "(from ollama.com) and run “ollama pull llama3.2-vision”, or install LM Studio "
                  "and start its local server (port 1234). Meanwhile, pick an element below to "
                  "highlight it.");
    }
    static QString ollamaNoModel()
    {
        return tr("Ollama is running but has no models. Run “ollama pull llama3.2-vision”, then "
                  "refresh.");
    }
    static QString lmStudioNoModel()
    {
        return tr("LM Studio is running but no model is available. Load one in LM Studio, then "
                  "refresh.");
    }
    static QString replyNotUsable()
    {
        return tr("The model's reply wasn't usable. Pick an element below instead.");
    }
    static QString noListedElement()
    {
        return tr("The model didn't name a listed element. Pick one below instead.");
    }
    static QString goalComplete() { return tr("The goal looks complete."); }
    /// The model wants a control that is not on screen; a scrolled area holds some out of view.
    static QString notInView()
    {
        return tr("The control isn't in view. Scroll where the ring is, then choose Next step.");
    }
    static QString scrollDown() { return tr("Scroll down in this list"); }
    static QString scrollUp() { return tr("Scroll up in this list"); }
    static QString scrollDownToFind()
    {
        return tr("Scroll down in this list to bring the control into view.");
    }
    static QString scrollUpToFind()
    {
        return tr("Scroll up in this list to bring the control into view.");
    }
    static QString asking(const QString& model) { return tr("Asking %1…").arg(model); }
    static QString stepReady(qint64 number) { return tr("Step %1 ready.").arg(number); }

    // Said after a step's status when not every element went to the model.
    static QString elementsLeftOut(qsizetype sent, qsizetype total)
    {
        return tr(" Only %1 of %2 elements fit the model's context; the rest were left out.")
            .arg(QString::number(sent), QString::number(total));
    }
    static QString screenshotLeftOut()
    {
        return tr(" The screenshot did not fit the model's context and was not sent.");
    }
    // Said after a step's status when the server reports it read a full context.
    static QString promptCut(qint64 tokensRead)
    {
        return tr(" The model server cut the request to fit its context (it read %1 tokens), so "
                  "this answer may be wrong.")
            .arg(tokensRead);
    }
    static QString promptTooLong(qint64 limit)
    {
        return tr("The goal and the steps so far are too long for this model, whose context "
                  "holds %1 tokens. Stop and start again with a shorter goal.")
            .arg(limit);
    }
    // Said after a step's status when the oldest steps did not fit the model's context.
    static QString stepsLeftOut(qsizetype leftOut)
    {
        if (leftOut == 1)
            return tr(" The oldest step did not fit the model's context and was left out of the "
                      "request.");
        return tr(" The oldest %1 steps did not fit the model's context and were left out of the "
                  "request.")
            .arg(leftOut);
    }

    // Shown beside the status line while a request is out, and under it after a while; in the
    // second half of the longest wait, with that wait beside it.
    static QString waitingFor(qint64 seconds) { return tr("%1 s").arg(seconds); }
    static QString waitingFor(qint64 seconds, qint64 limitSeconds)
    {
        return tr("%1 of %2").arg(waitingFor(seconds), waitingFor(limitSeconds));
    }
    static QString modelMayBeLoading()
    {
        return tr("Still waiting: the model may be loading, which can take half a minute the "
                  "first time.");
    }
    static QString waitingName() { return tr("Waiting time"); }
    static QString requestFailed(const QString& description)
    {
        return tr("The model request failed (%1). %2").arg(description, noServer());
    }

    // Capture.
    static QString noVisibleWindow()
    {
        return tr("Couldn't find a visible window for that app. Bring it to the front and try "
                  "again.");
    }
    static QString captureFailed(const QString& description)
    {
        return tr("Screen capture failed: %1").arg(description);
    }
    // Why a capture failed, shown inside captureFailed.
    static QString noXDisplay() { return tr("There is no X display."); }
    static QString windowsNotListed()
    {
        return tr("The window manager does not list its windows.");
    }
    static QString noComposite()
    {
        return tr("The display cannot capture windows (no Composite).");
    }
    static QString windowGone() { return tr("The window is gone."); }
    static QString windowNotOnScreen() { return tr("The window is not on screen."); }
    static QString pixelsUnreadable() { return tr("The window's pixels could not be read."); }
    static QString notRedirected() { return tr("The window could not be redirected for capture."); }
    static QString windowClosed() { return tr("The window closed."); }
    static QString noFrameInTime() { return tr("The window did not draw itself in time."); }

    // A model server address that is refused.
    static QString ollamaHostElsewhere(const QString& host)
    {
        return tr("OLLAMA_HOST names %1, which is not this computer. Cuewell sends screenshots "
                  "only to a model server on this computer: unset OLLAMA_HOST or point it at "
                  "127.0.0.1.")
            .arg(host);
    }
    static QString unreadableOllamaHost(const QString& value)
    {
        return tr("OLLAMA_HOST (%1) is not an address Cuewell can read. Unset it or set it to "
                  "127.0.0.1:11434.")
            .arg(value);
    }

    // Why a model request failed, shown inside requestFailed. `server` names the server and its
    // address, as serverAt gives it.
    static QString serverAt(const QString& provider, const QString& address)
    {
        return tr("%1 at %2").arg(provider, address);
    }
    static QString durationText(qint64 milliseconds)
    {
        if (milliseconds == 60'000)
            return tr("1 minute");
        if (milliseconds % 60'000 == 0)
            return tr("%1 minutes").arg(milliseconds / 60'000);
        return tr("%1 seconds").arg(QString::number(double(milliseconds) / 1000.0, 'g', 4));
    }
    static QString serverSilent(const QString& server, qint64 milliseconds)
    {
        return tr("%1 did not answer within %2").arg(server, durationText(milliseconds));
    }
    static QString serverTooSlow(const QString& server, qint64 milliseconds)
    {
        return tr("%1 did not finish its answer within %2").arg(server, durationText(milliseconds));
    }
    static QString serverClosed(const QString& server)
    {
        return tr("%1 closed the connection before it had answered").arg(server);
    }
    static QString serverNotHttp(const QString& server)
    {
        return tr("%1 answered with something that is not HTTP").arg(server);
    }
    static QString serverAnswerTooLarge(const QString& server, qint64 maxBytes)
    {
        const QString size = maxBytes >= 1024 * 1024 ? tr("%1 MiB").arg(maxBytes / (1024 * 1024))
                                                     : tr("%1 KiB").arg(maxBytes / 1024);
        return tr("%1 sent an answer larger than %2").arg(server, size);
    }
    static QString serverUnreachable(const QString& server, const QString& why)
    {
        return tr("%1: %2").arg(server, why);
    }
    // Never shown: a request ends this way only for a step that was stopped.
    static QString requestStopped() { return tr("The request was stopped."); }
    static QString modelNotDescribed()
    {
        return tr("The server's model listing does not describe this model.");
    }
    static QString answerNotJson(const QString& error, qint64 offset)
    {
        return tr("The server's answer is not valid JSON (%1 at byte %2).")
            .arg(error, QString::number(offset));
    }

    // Shell.
    static QString openCuewell() { return tr("Open Cuewell (Ctrl+Alt+G)"); }
    static QString quitCuewell() { return tr("Quit Cuewell"); }
    static QString startAtLogin() { return tr("Start Cuewell when I log in"); }
    static QString startAtLoginHelp()
    {
        return tr("Cuewell then waits in the background for its hot key, without opening this "
                  "panel.");
    }
    static QString appDescription()
    {
        return tr("An on-screen guide that points to the control to use next.");
    }
    static QString helpOption() { return tr("Show this help and end."); }
    static QString versionOption() { return tr("Show Cuewell's version and end."); }
    static QString quitOption() { return tr("Tell the Cuewell running on this desktop to quit."); }
    static QString inBackgroundOption()
    {
        return tr("Start without opening the panel, as at login.");
    }
    static QString noArgumentsTaken() { return tr("Cuewell takes no file or other argument."); }
    static QString cuewellNotRunning() { return tr("Cuewell is not running on this desktop."); }
    static QString noX11Display()
    {
        return tr("Cuewell needs a desktop: an X11 session, GNOME on Wayland or KDE Plasma on "
                  "Wayland. No display was found.");
    }
    static QString desktopNotSupported() { return tr("This desktop isn't supported yet"); }
    /// `session` names the session ("sway on Wayland").
    static QString desktopNotSupportedText(const QString& session)
    {
        return tr("Cuewell found %1. It cannot see or highlight windows there yet: it runs in "
                  "X11 sessions, GNOME on Wayland and KDE Plasma on Wayland.")
            .arg(session);
    }

    // Explainer.
    static QString welcome() { return tr("Welcome to Cuewell"); }
    static QString introduction()
    {
        return tr("Cuewell looks at the window you're using and points to the control you should "
                  "use next. It needs to capture that window and to read its controls; here is "
                  "what each takes on this desktop.");
    }
    static QString windowCapture() { return tr("Window capture"); }
    static QString windowCaptureText()
    {
        return tr("Lets Cuewell capture the frontmost window so it can read the text on it. On an "
                  "X11 desktop (or for X11 apps under XWayland) this needs the display's "
                  "Composite extension, which every current X server has; there is nothing to "
                  "grant.");
    }
    static QString accessibility() { return tr("Accessibility"); }
    static QString accessibilityText()
    {
        return tr("Lets Cuewell read the buttons, menu items and text fields of the frontmost "
                  "app, with their titles and positions. Accessibility has to be switched on for "
                  "your desktop session; “Allow…” switches it on.");
    }
    static QString granted() { return tr("Granted"); }
    static QString available() { return tr("Available"); }
    static QString allow() { return tr("Allow…"); }
    static QString openSystemSettings() { return tr("Open System Settings"); }
    // GNOME on Wayland, where Cuewell sees windows through its GNOME Shell extension.
    static QString gnomeExtension() { return tr("GNOME Shell extension"); }
    static QString gnomeExtensionText()
    {
        return tr("On GNOME on Wayland, Cuewell sees the window you work in, rings controls and "
                  "takes its hot key through its GNOME Shell extension, which only Cuewell may "
                  "use. Cuewell's package and “bash scripts/run.sh” install it; turn it on with: "
                  "%1")
            .arg(enableExtensionCommand);
    }
    static QString gnomeExtensionRemedy()
    {
        return tr("Run “%1” in a terminal. If GNOME says the extension does not exist, log out "
                  "and back in first (GNOME finds new extensions when you log in), then run it "
                  "again.")
            .arg(enableExtensionCommand);
    }
    static QString gnomeExtensionOff()
    {
        return tr("Cuewell's GNOME Shell extension is off, so Cuewell cannot see your windows. "
                  "Turn it on with: %1")
            .arg(enableExtensionCommand);
    }
    static QString shellCaptureFailed()
    {
        return tr("GNOME Shell did not give the window's pixels.");
    }
    // KDE Plasma on Wayland, where Cuewell sees windows through its KWin script and KWin's
    // screenshot interface.
    static QString kwinCapture() { return tr("Window capture in KDE Plasma"); }
    static QString kwinCaptureText()
    {
        return tr("On KDE Plasma on Wayland, Cuewell learns where windows are from a small "
                  "script it runs inside KWin while Cuewell runs, and captures the window you "
                  "work in through KWin's screenshot service. KWin lets only installed programs "
                  "use that service: its own entry tells KWin that Cuewell may.");
    }
    static QString kwinCaptureRemedy()
    {
        return tr("Install Cuewell (its package, or “bash scripts/run.sh”) and start the "
                  "installed cuewell. KWin finds newly installed programs by itself.");
    }
    static QString kwinCaptureMissing()
    {
        return tr("KWin does not let this Cuewell capture windows: only an installed Cuewell "
                  "may.");
    }
    static QString kwinCaptureFailed() { return tr("KWin did not give the window's pixels."); }
    static QString kwinCaptureNotGranted()
    {
        return tr("KWin lets only an installed Cuewell capture windows.");
    }
    static QString noCaptureSettings()
    {
        return tr("No settings can change this: start your desktop on a current X server (for "
                  "example “GNOME on Xorg” on the login screen), or use GNOME on Wayland with "
                  "Cuewell's extension.");
    }
    static QString noAccessibilitySettings()
    {
        return tr("Your desktop has no accessibility settings Cuewell can open. Use “Allow…” to "
                  "switch accessibility on, then restart the app you want help with.");
    }
    static QString privacyNote()
    {
        return tr("Screenshots are processed in memory only. They are never saved, and are sent "
                  "nowhere except the local model server you choose (Ollama or LM Studio) on "
                  "this computer.");
    }
    static QString restartHint()
    {
        return tr("Apps started before accessibility was switched on may need a restart before "
                  "Cuewell can read them.");
    }
    static QString continueLabel() { return tr("Continue"); }

    // Main view.
    static QString goalPlaceholder()
    {
        return tr("What do you want to do? e.g. export this as PDF");
    }
    static QString go() { return tr("Go"); }
    static QString helpingWith() { return tr("Helping with: "); }
    /// Under the target line: the window whose controls the last step read.
    static QString readingWindow() { return tr("Reading window: "); }
    static QString nextStep() { return tr("Next step"); }
    static QString stop() { return tr("Stop"); }
    static QString permissions() { return tr("Permissions"); }
    static QString followMyClicks() { return tr("Follow my clicks"); }
    static QString followMyClicksHelp()
    {
        return tr("When you click the highlighted control, the next step comes by itself.");
    }
    static QString accessibilityNotice()
    {
        return tr("Accessibility isn't granted, so only on-screen text can be used. Use "
                  "Permissions to enable it.");
    }
    static QString next() { return tr("Next: "); }
    static QString history() { return tr("History"); }
    static QString notRunning() { return tr("Not running"); }
    static QString noModels() { return tr("No models"); }
    static QString refreshModels() { return tr("Refresh models"); }

    // Names that assistive technology reads for controls whose purpose is shown by layout alone.
    static QString goalName() { return tr("Goal"); }
    static QString statusName() { return tr("Status"); }
    static QString workingName() { return tr("Working"); }
    static QString modelName() { return tr("Model"); }
    static QString detectedElementsName() { return tr("Detected elements"); }
    static QString highlightWindowTitle() { return tr("Cuewell highlight"); }

    static QString allowFor(const QString& permission) { return tr("Allow… %1").arg(permission); }
    static QString openSettingsFor(const QString& permission)
    {
        return tr("Open System Settings for %1").arg(permission);
    }
    static QString detectedElements(qsizetype count)
    {
        return tr("Detected elements (%1)").arg(count);
    }
    /// The kind of a control as the panel and the card name it, from the kind the model reads
    /// ("button", "menu item"...), which stays English. A kind not known here stays as it is.
    static QString controlKind(const QString& kind)
    {
        static const char* const kinds[] = {
            QT_TRANSLATE_NOOP("Texts", "button"),
            QT_TRANSLATE_NOOP("Texts", "menu item"),
            QT_TRANSLATE_NOOP("Texts", "menu bar item"),
            QT_TRANSLATE_NOOP("Texts", "text field"),
            QT_TRANSLATE_NOOP("Texts", "text area"),
            QT_TRANSLATE_NOOP("Texts", "check box"),
            QT_TRANSLATE_NOOP("Texts", "radio button"),
            QT_TRANSLATE_NOOP("Texts", "pop up button"),
            QT_TRANSLATE_NOOP("Texts", "menu button"),
            QT_TRANSLATE_NOOP("Texts", "combo box"),
            QT_TRANSLATE_NOOP("Texts", "link"),
            QT_TRANSLATE_NOOP("Texts", "slider"),
            QT_TRANSLATE_NOOP("Texts", "disclosure triangle"),
            QT_TRANSLATE_NOOP("Texts", "search field"),
            QT_TRANSLATE_NOOP("Texts", "list item"),
            QT_TRANSLATE_NOOP("Texts", "text"),
        };
        for (const char* known : kinds) {
            if (kind == QLatin1String(known))
                return tr(known);
        }
        return kind;
    }
    /// A control as a step names it: its kind and its name as the application shows it.
    static QString controlLabel(const QString& kind, const QString& name)
    {
        return tr("%1 “%2”").arg(controlKind(kind), name);
    }
    static QString historyLine(qint64 number, const QString& label, const QString& explanation)
    {
        return tr("%1. %2 — %3").arg(QString::number(number), label, explanation);
    }
};
