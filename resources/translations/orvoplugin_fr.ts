<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>ByteCountText</name>
    <message>
        <source>%1.%2 MB</source>
        <extracomment>%1.%2 is the size in megabytes with one decimal.</extracomment>
        <translation>%1,%2 Mo</translation>
    </message>
    <message>
        <source>%1 of %2 (%3%)</source>
        <extracomment>12.4 MB of 96.0 MB (12%)</extracomment>
        <translation>%1 sur %2 (%3 %)</translation>
    </message>
</context>
<context>
    <name>InfoWindowHandler</name>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>About Orvo Wendra Customer Plugin</source>
        <translation>À propos d’Orvo Wendra Customer Plugin</translation>
    </message>
    <message>
        <source>Product name, version and rights notice.</source>
        <translation>Nom du produit, version et mention des droits.</translation>
    </message>
    <message>
        <source>Orvo Wendra icon</source>
        <translation>Icône Orvo Wendra</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>Nom du produit</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>Rights notice</source>
        <translation>Mention des droits</translation>
    </message>
    <message>
        <source>© 2026 Orvo. All rights reserved.</source>
        <translation>© 2026 Orvo. Tous droits réservés.</translation>
    </message>
    <message>
        <source>Orvo Wendra - Customer Plugin</source>
        <translation>Orvo Wendra - Customer Plugin</translation>
    </message>
    <message>
        <source>version - %1</source>
        <translation>version - %1</translation>
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
        <translation>Progression</translation>
    </message>
    <message>
        <source>Please wait while establishing connection ...</source>
        <translation>Veuillez patienter, connexion en cours ...</translation>
    </message>
    <message>
        <source>Progress of the join</source>
        <translation type="vanished">Progression de la connexion à la session</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Réessayer</translation>
    </message>
    <message>
        <source>Runs the step that failed again</source>
        <translation>Relance l’étape qui a échoué</translation>
    </message>
    <message>
        <source>Checking with the Orvo Wendra service ...</source>
        <translation>Vérification auprès du service Orvo Wendra ...</translation>
    </message>
    <message>
        <source>Downloading the support app ...</source>
        <translation>Téléchargement de l’application d’assistance ...</translation>
    </message>
    <message>
        <source>Installing the support app ...</source>
        <translation>Installation de l’application d’assistance ...</translation>
    </message>
    <message>
        <source>Starting the support app ...</source>
        <translation>Démarrage de l’application d’assistance ...</translation>
    </message>
    <message>
        <source>Connection lost, trying again in %1 s...</source>
        <extracomment>%1 is a number of seconds.</extracomment>
        <translation>Connexion perdue, nouvel essai dans %1 s...</translation>
    </message>
    <message>
        <source>Downloading the support app: </source>
        <translation>Téléchargement de l’application d’assistance : </translation>
    </message>
</context>
<context>
    <name>OrvoAppUpgrader</name>
    <message>
        <source>The Orvo Wendra service could not be reached or gave no usable answer. Check your internet connection, then press Retry.</source>
        <translation>Le service Orvo Wendra est injoignable ou n’a pas donné de réponse exploitable. Vérifiez votre connexion Internet, puis cliquez sur « Réessayer ».</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>L’application d’assistance n’a pas pu démarrer. Cliquez sur « Réessayer » ; si cela se reproduit, prévenez votre technicien.</translation>
    </message>
    <message>
        <source>The proxy server %1 refused the connection: it needs a user name and password that were not given or not accepted. Check your proxy settings, then press Retry.</source>
        <extracomment>%1 is the proxy&apos;s host:port.</extracomment>
        <translation>Le serveur proxy %1 a refusé la connexion : il demande un nom d’utilisateur et un mot de passe qui n’ont pas été fournis ou pas acceptés. Vérifiez vos réglages de proxy, puis cliquez sur « Réessayer ».</translation>
    </message>
</context>
<context>
    <name>OrvoDmgDownloader</name>
    <message>
        <source>The support app&apos;s package could not be opened. Press Retry; if it happens again, tell your technician.</source>
        <translation>Le paquet de l’application d’assistance n’a pas pu être ouvert. Cliquez sur « Réessayer » ; si cela se reproduit, prévenez votre technicien.</translation>
    </message>
    <message>
        <source>An older copy of the support app is in the way and could not be replaced. Quit the support app if it is running, then press Retry.</source>
        <translation>Une ancienne copie de l’application d’assistance gêne et n’a pas pu être remplacée. Quittez l’application d’assistance si elle est ouverte, puis cliquez sur « Réessayer ».</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>L’application d’assistance n’a pas pu démarrer. Cliquez sur « Réessayer » ; si cela se reproduit, prévenez votre technicien.</translation>
    </message>
    <message>
        <source>The downloaded support app did not pass its safety check and was not installed. Press Retry to download it again.</source>
        <translation>L’application d’assistance téléchargée n’a pas passé le contrôle de sécurité et n’a pas été installée. Cliquez sur « Réessayer » pour la télécharger à nouveau.</translation>
    </message>
    <message>
        <source>The support app could not be installed on this Mac. Free some disk space, then press Retry.</source>
        <translation>L’application d’assistance n’a pas pu être installée sur ce Mac. Libérez de l’espace disque, puis cliquez sur « Réessayer ».</translation>
    </message>
    <message>
        <source>The support app&apos;s package is still open from an earlier attempt. Press Retry; if it happens again, restart this Mac.</source>
        <translation>Le paquet de l’application d’assistance est encore ouvert depuis une tentative précédente. Cliquez sur « Réessayer » ; si cela se reproduit, redémarrez ce Mac.</translation>
    </message>
    <message>
        <source>The service could not provide the support app (error %1). Press Retry; if it happens again, tell your technician.</source>
        <translation>Le service n’a pas pu fournir l’application d’assistance (erreur %1). Cliquez sur « Réessayer » ; si cela se reproduit, prévenez votre technicien.</translation>
    </message>
    <message>
        <source>The support app could not be saved on this Mac. Free some disk space, then press Retry.</source>
        <translation>L’application d’assistance n’a pas pu être enregistrée sur ce Mac. Libérez de l’espace disque, puis cliquez sur « Réessayer ».</translation>
    </message>
    <message>
        <source>The download of the support app stalled. Check your internet connection, then press Retry.</source>
        <translation>Le téléchargement de l’application d’assistance est bloqué. Vérifiez votre connexion Internet, puis cliquez sur « Réessayer ».</translation>
    </message>
    <message>
        <source>The support app&apos;s download location could not be trusted. Press Retry; if it happens again, tell your technician.</source>
        <translation>L’adresse de téléchargement de l’application d’assistance n’est pas fiable. Cliquez sur « Réessayer » ; si cela se reproduit, prévenez votre technicien.</translation>
    </message>
    <message>
        <source>The download of the support app was interrupted. Check your internet connection, then press Retry.</source>
        <translation>Le téléchargement de l’application d’assistance a été interrompu. Vérifiez votre connexion Internet, puis cliquez sur « Réessayer ».</translation>
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
        <translation>Rejoignez une session d’assistance à distance avec l’ID de session donné par votre technicien.</translation>
    </message>
    <message>
        <source>Join a support session</source>
        <translation>Rejoindre une session d’assistance</translation>
    </message>
    <message>
        <source>About this plugin</source>
        <translation>À propos de ce plugin</translation>
    </message>
    <message>
        <source>About</source>
        <translation>À propos</translation>
    </message>
    <message>
        <source>Shows the plugin version and its rights notice.</source>
        <translation>Affiche la version du plugin et la mention des droits.</translation>
    </message>
    <message>
        <source>Enter Session ID</source>
        <translation>Saisissez l’ID de session</translation>
    </message>
    <message>
        <source>Session ID</source>
        <translation>ID de session</translation>
    </message>
    <message>
        <source>The 9 or 10 digit session ID your technician gave you.</source>
        <translation>L’ID de session à 9 ou 10 chiffres donné par votre technicien.</translation>
    </message>
    <message>
        <source>Required</source>
        <translation>Obligatoire</translation>
    </message>
    <message>
        <source>The session ID must be filled in.</source>
        <translation>L’ID de session doit être rempli.</translation>
    </message>
    <message>
        <source>Session ID underline</source>
        <translation>Soulignement de l’ID de session</translation>
    </message>
    <message>
        <source>Session ID underline, editing</source>
        <translation>Soulignement de l’ID de session, en saisie</translation>
    </message>
    <message>
        <source>Session ID message</source>
        <translation>Message sur l’ID de session</translation>
    </message>
    <message>
        <source>Says what is wrong with the session ID.</source>
        <translation>Indique ce qui ne va pas avec l’ID de session.</translation>
    </message>
    <message>
        <source>Enter your name</source>
        <translation>Saisissez votre nom</translation>
    </message>
    <message>
        <source>Your name</source>
        <translation>Votre nom</translation>
    </message>
    <message>
        <source>The name the technician sees for you, up to 40 characters.</source>
        <translation>Le nom que le technicien voit pour vous, 40 caractères au plus.</translation>
    </message>
    <message>
        <source>Your name must be filled in.</source>
        <translation>Votre nom doit être rempli.</translation>
    </message>
    <message>
        <source>Name underline</source>
        <translation>Soulignement du nom</translation>
    </message>
    <message>
        <source>Name underline, editing</source>
        <translation>Soulignement du nom, en saisie</translation>
    </message>
    <message>
        <source>Name message</source>
        <translation>Message sur le nom</translation>
    </message>
    <message>
        <source>Says what is wrong with the name.</source>
        <translation>Indique ce qui ne va pas avec le nom.</translation>
    </message>
    <message>
        <source>Join Session</source>
        <translation>Rejoindre la session</translation>
    </message>
    <message>
        <source>Joins the session with the session ID and name above.</source>
        <translation>Rejoint la session avec l’ID de session et le nom ci-dessus.</translation>
    </message>
    <message>
        <source>Trust notice</source>
        <translation>Avis de confiance</translation>
    </message>
    <message>
        <source>Join only with people you recognize and trust. The Report abuse link opens the abuse report page in your browser.</source>
        <translation>Ne rejoignez une session qu’avec des personnes que vous connaissez et en qui vous avez confiance. Le lien « Signaler un abus » ouvre la page de signalement dans votre navigateur.</translation>
    </message>
    <message>
        <source>Disclosure notice</source>
        <translation>Avis de confidentialité</translation>
    </message>
    <message>
        <source>Do not disclose passwords, card or bank details or other sensitive information during a session.</source>
        <translation>Ne communiquez pas vos mots de passe, coordonnées de carte ou bancaires ni d’autres informations sensibles pendant une session.</translation>
    </message>
    <message>
        <source>*Mandatory field</source>
        <translation>*Champ obligatoire</translation>
    </message>
    <message>
        <source>The session ID is invalid.Verify session ID with your technician again.</source>
        <translation>L’ID de session n’est pas valide. Vérifiez-le à nouveau avec votre technicien.</translation>
    </message>
    <message>
        <source>Join remote support session only with people you recognize and trust. Report abuse</source>
        <extracomment>Ends with the text of &quot;Report abuse&quot;, which becomes the link.</extracomment>
        <translation>Ne rejoignez une session d’assistance à distance qu’avec des personnes que vous connaissez et en qui vous avez confiance. Signaler un abus</translation>
    </message>
    <message>
        <source>Report abuse</source>
        <extracomment>The link at the end of the trust notice.</extracomment>
        <translation>Signaler un abus</translation>
    </message>
    <message>
        <source>Do not disclose your passwords, credit card/bank details or any other sensitive information during a session.</source>
        <translation>Ne communiquez pas vos mots de passe, vos coordonnées de carte bancaire ou bancaires, ni aucune autre information sensible pendant une session.</translation>
    </message>
</context>
</TS>
