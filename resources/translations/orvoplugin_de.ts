<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>ByteCountText</name>
    <message>
        <source>%1.%2 MB</source>
        <extracomment>%1.%2 is the size in megabytes with one decimal.</extracomment>
        <translation>%1,%2 MB</translation>
    </message>
    <message>
        <source>%1 of %2 (%3%)</source>
        <extracomment>12.4 MB of 96.0 MB (12%)</extracomment>
        <translation>%1 von %2 (%3 %)</translation>
    </message>
</context>
<context>
    <name>InfoWindowHandler</name>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>About Orvo Wendra Customer Plugin</source>
        <translation>Über Orvo Wendra Customer Plugin</translation>
    </message>
    <message>
        <source>Product name, version and rights notice.</source>
        <translation>Produktname, Version und Rechtehinweis.</translation>
    </message>
    <message>
        <source>Orvo Wendra icon</source>
        <translation>Orvo-Wendra-Symbol</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>Produktname</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Rights notice</source>
        <translation>Rechtehinweis</translation>
    </message>
    <message>
        <source>© 2026 Orvo. All rights reserved.</source>
        <translation>© 2026 Orvo. Alle Rechte vorbehalten.</translation>
    </message>
    <message>
        <source>Orvo Wendra - Customer Plugin</source>
        <translation>Orvo Wendra - Customer Plugin</translation>
    </message>
    <message>
        <source>version - %1</source>
        <translation>Version - %1</translation>
    </message>
</context>
<context>
    <name>JoinProgressWindow</name>
    <message>
        <source>Orvo Wendra - CustomerPlugin</source>
        <translation>Orvo Wendra - CustomerPlugin</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Please wait while establishing connection ...</source>
        <translation>Bitte warten, die Verbindung wird aufgebaut ...</translation>
    </message>
    <message>
        <source>Progress of the join</source>
        <translation type="vanished">Fortschritt der Teilnahme</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Erneut versuchen</translation>
    </message>
    <message>
        <source>Runs the step that failed again</source>
        <translation>Führt den fehlgeschlagenen Schritt erneut aus</translation>
    </message>
    <message>
        <source>Checking with the Orvo Wendra service ...</source>
        <translation>Abfrage beim Orvo-Wendra-Dienst ...</translation>
    </message>
    <message>
        <source>Downloading the support app ...</source>
        <translation>Die Support-App wird heruntergeladen ...</translation>
    </message>
    <message>
        <source>Installing the support app ...</source>
        <translation>Die Support-App wird installiert ...</translation>
    </message>
    <message>
        <source>Starting the support app ...</source>
        <translation>Die Support-App wird gestartet ...</translation>
    </message>
    <message>
        <source>Connection lost, trying again in %1 s...</source>
        <extracomment>%1 is a number of seconds.</extracomment>
        <translation>Verbindung unterbrochen, neuer Versuch in %1 s ...</translation>
    </message>
    <message>
        <source>Downloading the support app: </source>
        <translation>Die Support-App wird heruntergeladen: </translation>
    </message>
</context>
<context>
    <name>OrvoAppUpgrader</name>
    <message>
        <source>The Orvo Wendra service could not be reached or gave no usable answer. Check your internet connection, then press Retry.</source>
        <translation>Der Orvo-Wendra-Dienst war nicht erreichbar oder gab keine brauchbare Antwort. Prüfen Sie Ihre Internetverbindung und klicken Sie dann auf „Erneut versuchen“.</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>Die Support-App konnte nicht gestartet werden. Klicken Sie auf „Erneut versuchen“. Wenn es wieder passiert, sagen Sie es Ihrem Techniker.</translation>
    </message>
    <message>
        <source>The proxy server %1 refused the connection: it needs a user name and password that were not given or not accepted. Check your proxy settings, then press Retry.</source>
        <extracomment>%1 is the proxy&apos;s host:port.</extracomment>
        <translation>Der Proxyserver %1 hat die Verbindung abgelehnt: Er verlangt einen Benutzernamen und ein Passwort, die fehlen oder nicht angenommen wurden. Prüfen Sie Ihre Proxy-Einstellungen und klicken Sie dann auf „Erneut versuchen“.</translation>
    </message>
</context>
<context>
    <name>OrvoDmgDownloader</name>
    <message>
        <source>The support app&apos;s package could not be opened. Press Retry; if it happens again, tell your technician.</source>
        <translation>Das Paket der Support-App ließ sich nicht öffnen. Klicken Sie auf „Erneut versuchen“. Wenn es wieder passiert, sagen Sie es Ihrem Techniker.</translation>
    </message>
    <message>
        <source>An older copy of the support app is in the way and could not be replaced. Quit the support app if it is running, then press Retry.</source>
        <translation>Eine ältere Kopie der Support-App ist im Weg und konnte nicht ersetzt werden. Beenden Sie die Support-App, falls sie läuft, und klicken Sie dann auf „Erneut versuchen“.</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>Die Support-App konnte nicht gestartet werden. Klicken Sie auf „Erneut versuchen“. Wenn es wieder passiert, sagen Sie es Ihrem Techniker.</translation>
    </message>
    <message>
        <source>The downloaded support app did not pass its safety check and was not installed. Press Retry to download it again.</source>
        <translation>Die heruntergeladene Support-App hat die Sicherheitsprüfung nicht bestanden und wurde nicht installiert. Klicken Sie auf „Erneut versuchen“, um sie neu herunterzuladen.</translation>
    </message>
    <message>
        <source>The support app could not be installed on this Mac. Free some disk space, then press Retry.</source>
        <translation>Die Support-App konnte auf diesem Mac nicht installiert werden. Schaffen Sie etwas Speicherplatz und klicken Sie dann auf „Erneut versuchen“.</translation>
    </message>
    <message>
        <source>The support app&apos;s package is still open from an earlier attempt. Press Retry; if it happens again, restart this Mac.</source>
        <translation>Das Paket der Support-App ist von einem früheren Versuch noch geöffnet. Klicken Sie auf „Erneut versuchen“. Wenn es wieder passiert, starten Sie diesen Mac neu.</translation>
    </message>
    <message>
        <source>The service could not provide the support app (error %1). Press Retry; if it happens again, tell your technician.</source>
        <translation>Der Dienst konnte die Support-App nicht bereitstellen (Fehler %1). Klicken Sie auf „Erneut versuchen“. Wenn es wieder passiert, sagen Sie es Ihrem Techniker.</translation>
    </message>
    <message>
        <source>The support app could not be saved on this Mac. Free some disk space, then press Retry.</source>
        <translation>Die Support-App konnte auf diesem Mac nicht gespeichert werden. Schaffen Sie etwas Speicherplatz und klicken Sie dann auf „Erneut versuchen“.</translation>
    </message>
    <message>
        <source>The download of the support app stalled. Check your internet connection, then press Retry.</source>
        <translation>Der Download der Support-App kommt nicht voran. Prüfen Sie Ihre Internetverbindung und klicken Sie dann auf „Erneut versuchen“.</translation>
    </message>
    <message>
        <source>The support app&apos;s download location could not be trusted. Press Retry; if it happens again, tell your technician.</source>
        <translation>Dem Download-Ort der Support-App konnte nicht vertraut werden. Klicken Sie auf „Erneut versuchen“. Wenn es wieder passiert, sagen Sie es Ihrem Techniker.</translation>
    </message>
    <message>
        <source>The download of the support app was interrupted. Check your internet connection, then press Retry.</source>
        <translation>Der Download der Support-App wurde unterbrochen. Prüfen Sie Ihre Internetverbindung und klicken Sie dann auf „Erneut versuchen“.</translation>
    </message>
</context>
<context>
    <name>OrvoPluginWindowHandler</name>
    <message>
        <source>Orvo Wendra Customer Plugin</source>
        <translation>Orvo Wendra Customer Plugin</translation>
    </message>
    <message>
        <source>Join a remote support session with the session ID your technician gave you.</source>
        <translation>Nehmen Sie mit der Sitzungs-ID, die Ihr Techniker Ihnen gegeben hat, an einer Fernsupport-Sitzung teil.</translation>
    </message>
    <message>
        <source>Join a support session</source>
        <translation>An einer Support-Sitzung teilnehmen</translation>
    </message>
    <message>
        <source>About this plugin</source>
        <translation>Über dieses Plugin</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Shows the plugin version and its rights notice.</source>
        <translation>Zeigt die Version des Plugins und den Rechtehinweis.</translation>
    </message>
    <message>
        <source>Enter Session ID</source>
        <translation>Sitzungs-ID eingeben</translation>
    </message>
    <message>
        <source>Session ID</source>
        <translation>Sitzungs-ID</translation>
    </message>
    <message>
        <source>The 9 or 10 digit session ID your technician gave you.</source>
        <translation>Die 9- oder 10-stellige Sitzungs-ID von Ihrem Techniker.</translation>
    </message>
    <message>
        <source>Required</source>
        <translation>Pflichtfeld</translation>
    </message>
    <message>
        <source>The session ID must be filled in.</source>
        <translation>Die Sitzungs-ID muss ausgefüllt werden.</translation>
    </message>
    <message>
        <source>Session ID underline</source>
        <translation>Unterstrich der Sitzungs-ID</translation>
    </message>
    <message>
        <source>Session ID underline, editing</source>
        <translation>Unterstrich der Sitzungs-ID, bei der Eingabe</translation>
    </message>
    <message>
        <source>Session ID message</source>
        <translation>Hinweis zur Sitzungs-ID</translation>
    </message>
    <message>
        <source>Says what is wrong with the session ID.</source>
        <translation>Sagt, was an der Sitzungs-ID nicht stimmt.</translation>
    </message>
    <message>
        <source>Enter your name</source>
        <translation>Ihren Namen eingeben</translation>
    </message>
    <message>
        <source>Your name</source>
        <translation>Ihr Name</translation>
    </message>
    <message>
        <source>The name the technician sees for you, up to 40 characters.</source>
        <translation>Der Name, den der Techniker von Ihnen sieht, bis zu 40 Zeichen.</translation>
    </message>
    <message>
        <source>Your name must be filled in.</source>
        <translation>Ihr Name muss ausgefüllt werden.</translation>
    </message>
    <message>
        <source>Name underline</source>
        <translation>Unterstrich des Namens</translation>
    </message>
    <message>
        <source>Name underline, editing</source>
        <translation>Unterstrich des Namens, bei der Eingabe</translation>
    </message>
    <message>
        <source>Name message</source>
        <translation>Hinweis zum Namen</translation>
    </message>
    <message>
        <source>Says what is wrong with the name.</source>
        <translation>Sagt, was am Namen nicht stimmt.</translation>
    </message>
    <message>
        <source>Join Session</source>
        <translation>Sitzung beitreten</translation>
    </message>
    <message>
        <source>Joins the session with the session ID and name above.</source>
        <translation>Tritt der Sitzung mit der Sitzungs-ID und dem Namen oben bei.</translation>
    </message>
    <message>
        <source>Trust notice</source>
        <translation>Vertrauenshinweis</translation>
    </message>
    <message>
        <source>Join only with people you recognize and trust. The Report abuse link opens the abuse report page in your browser.</source>
        <translation>Nehmen Sie nur mit Personen teil, die Sie kennen und denen Sie vertrauen. Der Link „Missbrauch melden“ öffnet die Meldeseite in Ihrem Browser.</translation>
    </message>
    <message>
        <source>Disclosure notice</source>
        <translation>Hinweis zur Preisgabe von Daten</translation>
    </message>
    <message>
        <source>Do not disclose passwords, card or bank details or other sensitive information during a session.</source>
        <translation>Geben Sie während einer Sitzung keine Passwörter, Karten- oder Bankdaten oder andere vertrauliche Daten preis.</translation>
    </message>
    <message>
        <source>*Mandatory field</source>
        <translation>*Pflichtfeld</translation>
    </message>
    <message>
        <source>The session ID is invalid.Verify session ID with your technician again.</source>
        <translation>Die Sitzungs-ID ist ungültig. Prüfen Sie die Sitzungs-ID noch einmal mit Ihrem Techniker.</translation>
    </message>
    <message>
        <source>Join remote support session only with people you recognize and trust. Report abuse</source>
        <extracomment>Ends with the text of &quot;Report abuse&quot;, which becomes the link.</extracomment>
        <translation>Nehmen Sie an Fernsupport-Sitzungen nur mit Personen teil, die Sie kennen und denen Sie vertrauen. Missbrauch melden</translation>
    </message>
    <message>
        <source>Report abuse</source>
        <extracomment>The link at the end of the trust notice.</extracomment>
        <translation>Missbrauch melden</translation>
    </message>
    <message>
        <source>Do not disclose your passwords, credit card/bank details or any other sensitive information during a session.</source>
        <translation>Geben Sie während einer Sitzung keine Passwörter, Kreditkarten- oder Bankdaten oder andere vertrauliche Daten preis.</translation>
    </message>
</context>
</TS>
