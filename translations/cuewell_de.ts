<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>Texts</name>
    <message>
        <source>Type a goal and press Return.</source>
        <translation>Geben Sie ein Ziel ein und drücken Sie die Eingabetaste.</translation>
    </message>
    <message>
        <source>Cuewell cannot capture windows on this display: it needs an X11 display with the Composite extension, or GNOME on Wayland with Cuewell&apos;s extension.</source>
        <translation>Cuewell kann auf dieser Anzeige keine Fenster aufnehmen: Es braucht eine X11-Anzeige mit der Composite-Erweiterung oder GNOME unter Wayland mit der Erweiterung von Cuewell.</translation>
    </message>
    <message>
        <source>Switch to the app you want help with, then press %1.</source>
        <translation>Wechseln Sie zu der Anwendung, bei der Sie Hilfe möchten, und drücken Sie dann %1.</translation>
    </message>
    <message>
        <source>app</source>
        <translation>Anwendung</translation>
    </message>
    <message>
        <source>Reading text on screen…</source>
        <translation>Text auf dem Bildschirm wird gelesen …</translation>
    </message>
    <message>
        <source>Waiting for the page to load…</source>
        <translation>Warten, bis die Seite geladen ist …</translation>
    </message>
    <message>
        <source>Nothing recognisable found in that window.</source>
        <translation>In diesem Fenster wurde nichts Erkennbares gefunden.</translation>
    </message>
    <message>
        <source>Stopped. Type a new goal and press Return.</source>
        <translation>Angehalten. Geben Sie ein neues Ziel ein und drücken Sie die Eingabetaste.</translation>
    </message>
    <message>
        <source>You chose this element.</source>
        <translation>Sie haben dieses Element gewählt.</translation>
    </message>
    <message>
        <source>Reading %1…</source>
        <translation>%1 wird gelesen …</translation>
    </message>
    <message>
        <source>No model server found on this computer. To get suggestions, install Ollama (from ollama.com) and run “ollama pull llama3.2-vision”, or install LM Studio and start its local server (port 1234). Meanwhile, pick an element below to highlight it.</source>
        <translation>Auf diesem Computer wurde kein Modellserver gefunden. Für Vorschläge installieren Sie Ollama (von ollama.com) und führen „ollama pull llama3.2-vision“ aus, oder installieren Sie LM Studio und starten dessen lokalen Server (Port 1234). Bis dahin können Sie unten ein Element wählen, um es hervorzuheben.</translation>
    </message>
    <message>
        <source>Ollama is running but has no models. Run “ollama pull llama3.2-vision”, then refresh.</source>
        <translation>Ollama läuft, hat aber keine Modelle. Führen Sie „ollama pull llama3.2-vision“ aus und aktualisieren Sie dann.</translation>
    </message>
    <message>
        <source>LM Studio is running but no model is available. Load one in LM Studio, then refresh.</source>
        <translation>LM Studio läuft, aber kein Modell ist verfügbar. Laden Sie eines in LM Studio und aktualisieren Sie dann.</translation>
    </message>
    <message>
        <source>The model&apos;s reply wasn&apos;t usable. Pick an element below instead.</source>
        <translation>Die Antwort des Modells war nicht verwendbar. Wählen Sie stattdessen unten ein Element.</translation>
    </message>
    <message>
        <source>The model didn&apos;t name a listed element. Pick one below instead.</source>
        <translation>Das Modell hat kein aufgeführtes Element genannt. Wählen Sie stattdessen unten eines.</translation>
    </message>
    <message>
        <source>The goal looks complete.</source>
        <translation>Das Ziel scheint erreicht.</translation>
    </message>
    <message>
        <source>The control isn&apos;t in view. Scroll where the ring is, then choose Next step.</source>
        <translation>Das Bedienelement ist nicht zu sehen. Scrollen Sie dort, wo der Ring ist, und wählen Sie dann „Nächster Schritt“.</translation>
    </message>
    <message>
        <source>Scroll down in this list</source>
        <translation>In dieser Liste nach unten scrollen</translation>
    </message>
    <message>
        <source>Scroll up in this list</source>
        <translation>In dieser Liste nach oben scrollen</translation>
    </message>
    <message>
        <source>Scroll down in this list to bring the control into view.</source>
        <translation>Scrollen Sie in dieser Liste nach unten, bis das Bedienelement zu sehen ist.</translation>
    </message>
    <message>
        <source>Scroll up in this list to bring the control into view.</source>
        <translation>Scrollen Sie in dieser Liste nach oben, bis das Bedienelement zu sehen ist.</translation>
    </message>
    <message>
        <source>Asking %1…</source>
        <translation>%1 wird gefragt …</translation>
    </message>
    <message>
        <source>Step %1 ready.</source>
        <translation>Schritt %1 bereit.</translation>
    </message>
    <message>
        <source> Only %1 of %2 elements fit the model&apos;s context; the rest were left out.</source>
        <translation> Nur %1 von %2 Elementen passten in den Kontext des Modells; der Rest wurde weggelassen.</translation>
    </message>
    <message>
        <source> The screenshot did not fit the model&apos;s context and was not sent.</source>
        <translation> Das Bildschirmfoto passte nicht in den Kontext des Modells und wurde nicht gesendet.</translation>
    </message>
    <message>
        <source> The model server cut the request to fit its context (it read %1 tokens), so this answer may be wrong.</source>
        <translation> Der Modellserver hat die Anfrage auf seinen Kontext gekürzt (er las %1 Token), daher kann diese Antwort falsch sein.</translation>
    </message>
    <message>
        <source>The goal and the steps so far are too long for this model, whose context holds %1 tokens. Stop and start again with a shorter goal.</source>
        <translation>Das Ziel und die bisherigen Schritte sind zu lang für dieses Modell, dessen Kontext %1 Token fasst. Halten Sie an und beginnen Sie neu mit einem kürzeren Ziel.</translation>
    </message>
    <message>
        <source> The oldest step did not fit the model&apos;s context and was left out of the request.</source>
        <translation> Der älteste Schritt passte nicht in den Kontext des Modells und wurde in der Anfrage weggelassen.</translation>
    </message>
    <message>
        <source> The oldest %1 steps did not fit the model&apos;s context and were left out of the request.</source>
        <translation> Die ältesten %1 Schritte passten nicht in den Kontext des Modells und wurden in der Anfrage weggelassen.</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <source>Still waiting: the model may be loading, which can take half a minute the first time.</source>
        <translation>Noch warten: Das Modell wird vielleicht geladen, was beim ersten Mal eine halbe Minute dauern kann.</translation>
    </message>
    <message>
        <source>Waiting time</source>
        <translation>Wartezeit</translation>
    </message>
    <message>
        <source>The model request failed (%1). %2</source>
        <translation>Die Anfrage an das Modell ist fehlgeschlagen (%1). %2</translation>
    </message>
    <message>
        <source>Couldn&apos;t find a visible window for that app. Bring it to the front and try again.</source>
        <translation>Für diese Anwendung wurde kein sichtbares Fenster gefunden. Holen Sie es nach vorn und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>Screen capture failed: %1</source>
        <translation>Bildschirmaufnahme fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>There is no X display.</source>
        <translation>Es gibt keine X-Anzeige.</translation>
    </message>
    <message>
        <source>The window manager does not list its windows.</source>
        <translation>Die Fensterverwaltung führt ihre Fenster nicht auf.</translation>
    </message>
    <message>
        <source>The display cannot capture windows (no Composite).</source>
        <translation>Die Anzeige kann keine Fenster aufnehmen (kein Composite).</translation>
    </message>
    <message>
        <source>The window is gone.</source>
        <translation>Das Fenster ist nicht mehr da.</translation>
    </message>
    <message>
        <source>The window is not on screen.</source>
        <translation>Das Fenster ist nicht auf dem Bildschirm.</translation>
    </message>
    <message>
        <source>The window&apos;s pixels could not be read.</source>
        <translation>Die Pixel des Fensters konnten nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The window could not be redirected for capture.</source>
        <translation>Das Fenster konnte nicht für die Aufnahme umgeleitet werden.</translation>
    </message>
    <message>
        <source>The window closed.</source>
        <translation>Das Fenster wurde geschlossen.</translation>
    </message>
    <message>
        <source>The window did not draw itself in time.</source>
        <translation>Das Fenster hat sich nicht rechtzeitig gezeichnet.</translation>
    </message>
    <message>
        <source>OLLAMA_HOST names %1, which is not this computer. Cuewell sends screenshots only to a model server on this computer: unset OLLAMA_HOST or point it at 127.0.0.1.</source>
        <translation>OLLAMA_HOST nennt %1, das ist nicht dieser Computer. Cuewell sendet Bildschirmfotos nur an einen Modellserver auf diesem Computer: Entfernen Sie OLLAMA_HOST oder setzen Sie es auf 127.0.0.1.</translation>
    </message>
    <message>
        <source>OLLAMA_HOST (%1) is not an address Cuewell can read. Unset it or set it to 127.0.0.1:11434.</source>
        <translation>OLLAMA_HOST (%1) ist keine Adresse, die Cuewell lesen kann. Entfernen Sie es oder setzen Sie es auf 127.0.0.1:11434.</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 auf %2</translation>
    </message>
    <message>
        <source>1 minute</source>
        <translation>1 Minute</translation>
    </message>
    <message>
        <source>%1 minutes</source>
        <translation>%1 Minuten</translation>
    </message>
    <message>
        <source>%1 seconds</source>
        <translation>%1 Sekunden</translation>
    </message>
    <message>
        <source>%1 did not answer within %2</source>
        <translation>%1 hat nicht innerhalb von %2 geantwortet</translation>
    </message>
    <message>
        <source>%1 did not finish its answer within %2</source>
        <translation>%1 hat seine Antwort nicht innerhalb von %2 beendet</translation>
    </message>
    <message>
        <source>%1 closed the connection before it had answered</source>
        <translation>%1 hat die Verbindung geschlossen, bevor es geantwortet hatte</translation>
    </message>
    <message>
        <source>%1 answered with something that is not HTTP</source>
        <translation>%1 hat mit etwas geantwortet, das kein HTTP ist</translation>
    </message>
    <message>
        <source>%1 MiB</source>
        <translation>%1 MiB</translation>
    </message>
    <message>
        <source>%1 KiB</source>
        <translation>%1 KiB</translation>
    </message>
    <message>
        <source>%1 sent an answer larger than %2</source>
        <translation>%1 hat eine Antwort gesendet, die größer als %2 ist</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>The request was stopped.</source>
        <translation>Die Anfrage wurde angehalten.</translation>
    </message>
    <message>
        <source>The server&apos;s model listing does not describe this model.</source>
        <translation>Die Modellliste des Servers beschreibt dieses Modell nicht.</translation>
    </message>
    <message>
        <source>The server&apos;s answer is not valid JSON (%1 at byte %2).</source>
        <translation>Die Antwort des Servers ist kein gültiges JSON (%1 bei Byte %2).</translation>
    </message>
    <message>
        <source>Open Cuewell (Ctrl+Alt+G)</source>
        <translation>Cuewell öffnen (Strg+Alt+G)</translation>
    </message>
    <message>
        <source>Quit Cuewell</source>
        <translation>Cuewell beenden</translation>
    </message>
    <message>
        <source>Start Cuewell when I log in</source>
        <translation>Cuewell bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Cuewell then waits in the background for its hot key, without opening this panel.</source>
        <translation>Cuewell wartet dann im Hintergrund auf sein Tastenkürzel, ohne dieses Fenster zu öffnen.</translation>
    </message>
    <message>
        <source>An on-screen guide that points to the control to use next.</source>
        <translation>Eine Bildschirmführung, die auf das als Nächstes zu verwendende Bedienelement zeigt.</translation>
    </message>
    <message>
        <source>Show this help and end.</source>
        <translation>Diese Hilfe zeigen und beenden.</translation>
    </message>
    <message>
        <source>Show Cuewell&apos;s version and end.</source>
        <translation>Die Version von Cuewell zeigen und beenden.</translation>
    </message>
    <message>
        <source>Tell the Cuewell running on this desktop to quit.</source>
        <translation>Das auf dieser Arbeitsfläche laufende Cuewell beenden.</translation>
    </message>
    <message>
        <source>Start without opening the panel, as at login.</source>
        <translation>Ohne das Fenster zu öffnen starten, wie bei der Anmeldung.</translation>
    </message>
    <message>
        <source>Cuewell takes no file or other argument.</source>
        <translation>Cuewell nimmt keine Datei und kein anderes Argument an.</translation>
    </message>
    <message>
        <source>Cuewell is not running on this desktop.</source>
        <translation>Cuewell läuft nicht auf dieser Arbeitsfläche.</translation>
    </message>
    <message>
        <source>Welcome to Cuewell</source>
        <translation>Willkommen bei Cuewell</translation>
    </message>
    <message>
        <source>Cuewell looks at the window you&apos;re using and points to the control you should use next. It needs to capture that window and to read its controls; here is what each takes on this desktop.</source>
        <translation>Cuewell sieht sich das Fenster an, in dem Sie arbeiten, und zeigt auf das Bedienelement, das Sie als Nächstes verwenden sollten. Dazu muss es dieses Fenster aufnehmen und seine Bedienelemente lesen; hier steht, was beides auf dieser Arbeitsfläche braucht.</translation>
    </message>
    <message>
        <source>Window capture</source>
        <translation>Fensteraufnahme</translation>
    </message>
    <message>
        <source>Lets Cuewell capture the frontmost window so it can read the text on it. On an X11 desktop (or for X11 apps under XWayland) this needs the display&apos;s Composite extension, which every current X server has; there is nothing to grant.</source>
        <translation>Erlaubt Cuewell, das vorderste Fenster aufzunehmen, um den Text darauf zu lesen. Auf einer X11-Arbeitsfläche (oder für X11-Anwendungen unter XWayland) braucht das die Composite-Erweiterung der Anzeige, die jeder aktuelle X-Server hat; es ist nichts zu erlauben.</translation>
    </message>
    <message>
        <source>Accessibility</source>
        <translation>Barrierefreiheit</translation>
    </message>
    <message>
        <source>Lets Cuewell read the buttons, menu items and text fields of the frontmost app, with their titles and positions. Accessibility has to be switched on for your desktop session; “Allow…” switches it on.</source>
        <translation>Erlaubt Cuewell, die Knöpfe, Menüeinträge und Textfelder der vordersten Anwendung mit ihren Titeln und Positionen zu lesen. Die Barrierefreiheit muss für Ihre Sitzung eingeschaltet sein; „Erlauben …“ schaltet sie ein.</translation>
    </message>
    <message>
        <source>Granted</source>
        <translation>Erlaubt</translation>
    </message>
    <message>
        <source>Available</source>
        <translation>Verfügbar</translation>
    </message>
    <message>
        <source>Allow…</source>
        <translation>Erlauben …</translation>
    </message>
    <message>
        <source>Open System Settings</source>
        <translation>Systemeinstellungen öffnen</translation>
    </message>
    <message>
        <source>GNOME Shell extension</source>
        <translation>GNOME-Shell-Erweiterung</translation>
    </message>
    <message>
        <source>Run “%1” in a terminal. If GNOME says the extension does not exist, log out and back in first (GNOME finds new extensions when you log in), then run it again.</source>
        <translation>Führen Sie „%1“ in einem Terminal aus. Wenn GNOME meldet, dass die Erweiterung nicht existiert, melden Sie sich zuerst ab und wieder an (GNOME findet neue Erweiterungen bei der Anmeldung) und führen Sie es dann erneut aus.</translation>
    </message>
    <message>
        <source>Cuewell&apos;s GNOME Shell extension is off, so Cuewell cannot see your windows. Turn it on with: %1</source>
        <translation>Die GNOME-Shell-Erweiterung von Cuewell ist ausgeschaltet, daher kann Cuewell Ihre Fenster nicht sehen. Schalten Sie sie ein mit: %1</translation>
    </message>
    <message>
        <source>GNOME Shell did not give the window&apos;s pixels.</source>
        <translation>GNOME Shell hat die Pixel des Fensters nicht geliefert.</translation>
    </message>
    <message>
        <source>No settings can change this: start your desktop on a current X server (for example “GNOME on Xorg” on the login screen), or use GNOME on Wayland with Cuewell&apos;s extension.</source>
        <translation>Keine Einstellung kann das ändern: Starten Sie Ihre Arbeitsfläche auf einem aktuellen X-Server (zum Beispiel „GNOME auf Xorg“ im Anmeldebildschirm) oder verwenden Sie GNOME unter Wayland mit der Erweiterung von Cuewell.</translation>
    </message>
    <message>
        <source>Your desktop has no accessibility settings Cuewell can open. Use “Allow…” to switch accessibility on, then restart the app you want help with.</source>
        <translation>Ihre Arbeitsfläche hat keine Barrierefreiheits-Einstellungen, die Cuewell öffnen kann. Schalten Sie die Barrierefreiheit mit „Erlauben …“ ein und starten Sie dann die Anwendung neu, bei der Sie Hilfe möchten.</translation>
    </message>
    <message>
        <source>Screenshots are processed in memory only. They are never saved, and are sent nowhere except the local model server you choose (Ollama or LM Studio) on this computer.</source>
        <translation>Bildschirmfotos werden nur im Speicher verarbeitet. Sie werden nie gespeichert und nirgendwohin gesendet außer an den lokalen Modellserver Ihrer Wahl (Ollama oder LM Studio) auf diesem Computer.</translation>
    </message>
    <message>
        <source>Apps started before accessibility was switched on may need a restart before Cuewell can read them.</source>
        <translation>Anwendungen, die vor dem Einschalten der Barrierefreiheit gestartet wurden, müssen eventuell neu gestartet werden, bevor Cuewell sie lesen kann.</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Weiter</translation>
    </message>
    <message>
        <source>What do you want to do? e.g. export this as PDF</source>
        <translation>Was möchten Sie tun? z. B. als PDF exportieren</translation>
    </message>
    <message>
        <source>Go</source>
        <translation>Los</translation>
    </message>
    <message>
        <source>Helping with: </source>
        <translation>Hilfe bei: </translation>
    </message>
    <message>
        <source>Reading window: </source>
        <translation>Gelesenes Fenster: </translation>
    </message>
    <message>
        <source>Next step</source>
        <translation>Nächster Schritt</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Permissions</source>
        <translation>Berechtigungen</translation>
    </message>
    <message>
        <source>Follow my clicks</source>
        <translation>Meinen Klicks folgen</translation>
    </message>
    <message>
        <source>When you click the highlighted control, the next step comes by itself.</source>
        <translation>Wenn Sie auf das hervorgehobene Bedienelement klicken, kommt der nächste Schritt von selbst.</translation>
    </message>
    <message>
        <source>Accessibility isn&apos;t granted, so only on-screen text can be used. Use Permissions to enable it.</source>
        <translation>Die Barrierefreiheit ist nicht erlaubt, daher kann nur Text auf dem Bildschirm verwendet werden. Schalten Sie sie unter „Berechtigungen“ ein.</translation>
    </message>
    <message>
        <source>Next: </source>
        <translation>Als Nächstes: </translation>
    </message>
    <message>
        <source>History</source>
        <translation>Verlauf</translation>
    </message>
    <message>
        <source>Not running</source>
        <translation>Läuft nicht</translation>
    </message>
    <message>
        <source>No models</source>
        <translation>Keine Modelle</translation>
    </message>
    <message>
        <source>Refresh models</source>
        <translation>Modelle aktualisieren</translation>
    </message>
    <message>
        <source>Goal</source>
        <translation>Ziel</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Working</source>
        <translation>In Arbeit</translation>
    </message>
    <message>
        <source>Model</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>Detected elements</source>
        <translation>Erkannte Elemente</translation>
    </message>
    <message>
        <source>Cuewell highlight</source>
        <translation>Cuewell-Hervorhebung</translation>
    </message>
    <message>
        <source>Allow… %1</source>
        <translation>Erlauben … %1</translation>
    </message>
    <message>
        <source>Open System Settings for %1</source>
        <translation>Systemeinstellungen für %1 öffnen</translation>
    </message>
    <message>
        <source>Detected elements (%1)</source>
        <translation>Erkannte Elemente (%1)</translation>
    </message>
    <message>
        <source>%1. %2 — %3</source>
        <translation>%1. %2 — %3</translation>
    </message>
    <message>
        <source>On GNOME on Wayland, Cuewell sees the window you work in, rings controls and takes its hot key through its GNOME Shell extension, which only Cuewell may use. Cuewell&apos;s package and “bash scripts/run.sh” install it; turn it on with: %1</source>
        <translation>Unter GNOME mit Wayland sieht Cuewell das Fenster, in dem Sie arbeiten, umringt Bedienelemente und empfängt sein Tastenkürzel über seine GNOME-Shell-Erweiterung, die nur Cuewell verwenden darf. Das Paket von Cuewell und „bash scripts/run.sh“ installieren sie; schalten Sie sie ein mit: %1</translation>
    </message>
    <message>
        <source>button</source>
        <translation>Schaltfläche</translation>
    </message>
    <message>
        <source>menu item</source>
        <translation>Menüeintrag</translation>
    </message>
    <message>
        <source>menu bar item</source>
        <translation>Menüleisteneintrag</translation>
    </message>
    <message>
        <source>text field</source>
        <translation>Textfeld</translation>
    </message>
    <message>
        <source>text area</source>
        <translation>Textbereich</translation>
    </message>
    <message>
        <source>check box</source>
        <translation>Ankreuzfeld</translation>
    </message>
    <message>
        <source>radio button</source>
        <translation>Optionsfeld</translation>
    </message>
    <message>
        <source>pop up button</source>
        <translation>Aufklappschaltfläche</translation>
    </message>
    <message>
        <source>menu button</source>
        <translation>Menüschaltfläche</translation>
    </message>
    <message>
        <source>combo box</source>
        <translation>Kombinationsfeld</translation>
    </message>
    <message>
        <source>link</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>slider</source>
        <translation>Schieberegler</translation>
    </message>
    <message>
        <source>disclosure triangle</source>
        <translation>Ausklappdreieck</translation>
    </message>
    <message>
        <source>search field</source>
        <translation>Suchfeld</translation>
    </message>
    <message>
        <source>list item</source>
        <translation>Listeneintrag</translation>
    </message>
    <message>
        <source>text</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>%1 “%2”</source>
        <translation>%1 „%2“</translation>
    </message>
    <message>
        <source>Cuewell needs a desktop: an X11 session, GNOME on Wayland or KDE Plasma on Wayland. No display was found.</source>
        <translation>Cuewell braucht einen Desktop: eine X11-Sitzung, GNOME unter Wayland oder KDE Plasma unter Wayland. Es wurde keine Anzeige gefunden.</translation>
    </message>
    <message>
        <source>This desktop isn&apos;t supported yet</source>
        <translation>Dieser Desktop wird noch nicht unterstützt</translation>
    </message>
    <message>
        <source>Cuewell found %1. It cannot see or highlight windows there yet: it runs in X11 sessions, GNOME on Wayland and KDE Plasma on Wayland.</source>
        <translation>Cuewell hat %1 gefunden. Dort kann es Fenster noch nicht sehen oder hervorheben: Es läuft in X11-Sitzungen, unter GNOME mit Wayland und unter KDE Plasma mit Wayland.</translation>
    </message>
    <message>
        <source>Window capture in KDE Plasma</source>
        <translation>Fensteraufnahme in KDE Plasma</translation>
    </message>
    <message>
        <source>On KDE Plasma on Wayland, Cuewell learns where windows are from a small script it runs inside KWin while Cuewell runs, and captures the window you work in through KWin&apos;s screenshot service. KWin lets only installed programs use that service: its own entry tells KWin that Cuewell may.</source>
        <translation>Unter KDE Plasma mit Wayland erfährt Cuewell von einem kleinen Skript, das es in KWin ausführt, solange Cuewell läuft, wo Fenster sind, und nimmt das Fenster, in dem Sie arbeiten, über den Bildschirmfoto-Dienst von KWin auf. KWin lässt nur installierte Programme diesen Dienst nutzen: Der Eintrag von Cuewell sagt KWin, dass Cuewell das darf.</translation>
    </message>
    <message>
        <source>Install Cuewell (its package, or “bash scripts/run.sh”) and start the installed cuewell. KWin finds newly installed programs by itself.</source>
        <translation>Installieren Sie Cuewell (sein Paket oder „bash scripts/run.sh“) und starten Sie das installierte cuewell. KWin findet neu installierte Programme von selbst.</translation>
    </message>
    <message>
        <source>KWin does not let this Cuewell capture windows: only an installed Cuewell may.</source>
        <translation>KWin lässt dieses Cuewell keine Fenster aufnehmen: Das darf nur ein installiertes Cuewell.</translation>
    </message>
    <message>
        <source>KWin did not give the window&apos;s pixels.</source>
        <translation>KWin hat die Pixel des Fensters nicht geliefert.</translation>
    </message>
    <message>
        <source>KWin lets only an installed Cuewell capture windows.</source>
        <translation>KWin lässt nur ein installiertes Cuewell Fenster aufnehmen.</translation>
    </message>
</context>
</TS>
