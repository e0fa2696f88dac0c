<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es">
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
        <translation>%1 de %2 (%3 %)</translation>
    </message>
</context>
<context>
    <name>InfoWindowHandler</name>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>About Orvo Wendra Customer Plugin</source>
        <translation>Acerca de Orvo Wendra Customer Plugin</translation>
    </message>
    <message>
        <source>Product name, version and rights notice.</source>
        <translation>Nombre del producto, versión y aviso de derechos.</translation>
    </message>
    <message>
        <source>Orvo Wendra icon</source>
        <translation>Icono de Orvo Wendra</translation>
    </message>
    <message>
        <source>Product name</source>
        <translation>Nombre del producto</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>Versión</translation>
    </message>
    <message>
        <source>Rights notice</source>
        <translation>Aviso de derechos</translation>
    </message>
    <message>
        <source>© 2026 Orvo. All rights reserved.</source>
        <translation>© 2026 Orvo. Todos los derechos reservados.</translation>
    </message>
    <message>
        <source>Orvo Wendra - Customer Plugin</source>
        <translation>Orvo Wendra - Customer Plugin</translation>
    </message>
    <message>
        <source>version - %1</source>
        <translation>versión - %1</translation>
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
        <translation>Progreso</translation>
    </message>
    <message>
        <source>Please wait while establishing connection ...</source>
        <translation>Espere, por favor, se está estableciendo la conexión ...</translation>
    </message>
    <message>
        <source>Progress of the join</source>
        <translation type="vanished">Progreso de la conexión a la sesión</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Reintentar</translation>
    </message>
    <message>
        <source>Runs the step that failed again</source>
        <translation>Vuelve a ejecutar el paso que falló</translation>
    </message>
    <message>
        <source>Checking with the Orvo Wendra service ...</source>
        <translation>Consultando con el servicio Orvo Wendra ...</translation>
    </message>
    <message>
        <source>Downloading the support app ...</source>
        <translation>Descargando la aplicación de soporte ...</translation>
    </message>
    <message>
        <source>Installing the support app ...</source>
        <translation>Instalando la aplicación de soporte ...</translation>
    </message>
    <message>
        <source>Starting the support app ...</source>
        <translation>Iniciando la aplicación de soporte ...</translation>
    </message>
    <message>
        <source>Connection lost, trying again in %1 s...</source>
        <extracomment>%1 is a number of seconds.</extracomment>
        <translation>Se perdió la conexión; se reintentará en %1 s...</translation>
    </message>
    <message>
        <source>Downloading the support app: </source>
        <translation>Descargando la aplicación de soporte: </translation>
    </message>
</context>
<context>
    <name>OrvoAppUpgrader</name>
    <message>
        <source>The Orvo Wendra service could not be reached or gave no usable answer. Check your internet connection, then press Retry.</source>
        <translation>No se pudo contactar con el servicio Orvo Wendra o no dio una respuesta válida. Compruebe su conexión a Internet y pulse «Reintentar».</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>No se pudo iniciar la aplicación de soporte. Pulse «Reintentar»; si vuelve a ocurrir, avise a su técnico.</translation>
    </message>
    <message>
        <source>The proxy server %1 refused the connection: it needs a user name and password that were not given or not accepted. Check your proxy settings, then press Retry.</source>
        <extracomment>%1 is the proxy&apos;s host:port.</extracomment>
        <translation>El servidor proxy %1 rechazó la conexión: necesita un nombre de usuario y una contraseña que no se indicaron o no se aceptaron. Revise la configuración del proxy y pulse «Reintentar».</translation>
    </message>
</context>
<context>
    <name>OrvoDmgDownloader</name>
    <message>
        <source>The support app&apos;s package could not be opened. Press Retry; if it happens again, tell your technician.</source>
        <translation>No se pudo abrir el paquete de la aplicación de soporte. Pulse «Reintentar»; si vuelve a ocurrir, avise a su técnico.</translation>
    </message>
    <message>
        <source>An older copy of the support app is in the way and could not be replaced. Quit the support app if it is running, then press Retry.</source>
        <translation>Una copia antigua de la aplicación de soporte lo impide y no se pudo reemplazar. Cierre la aplicación de soporte si está abierta y pulse «Reintentar».</translation>
    </message>
    <message>
        <source>The support app could not be started. Press Retry; if it happens again, tell your technician.</source>
        <translation>No se pudo iniciar la aplicación de soporte. Pulse «Reintentar»; si vuelve a ocurrir, avise a su técnico.</translation>
    </message>
    <message>
        <source>The downloaded support app did not pass its safety check and was not installed. Press Retry to download it again.</source>
        <translation>La aplicación de soporte descargada no superó la comprobación de seguridad y no se instaló. Pulse «Reintentar» para descargarla de nuevo.</translation>
    </message>
    <message>
        <source>The support app could not be installed on this Mac. Free some disk space, then press Retry.</source>
        <translation>No se pudo instalar la aplicación de soporte en este Mac. Libere espacio en el disco y pulse «Reintentar».</translation>
    </message>
    <message>
        <source>The support app&apos;s package is still open from an earlier attempt. Press Retry; if it happens again, restart this Mac.</source>
        <translation>El paquete de la aplicación de soporte sigue abierto desde un intento anterior. Pulse «Reintentar»; si vuelve a ocurrir, reinicie este Mac.</translation>
    </message>
    <message>
        <source>The service could not provide the support app (error %1). Press Retry; if it happens again, tell your technician.</source>
        <translation>El servicio no pudo proporcionar la aplicación de soporte (error %1). Pulse «Reintentar»; si vuelve a ocurrir, avise a su técnico.</translation>
    </message>
    <message>
        <source>The support app could not be saved on this Mac. Free some disk space, then press Retry.</source>
        <translation>No se pudo guardar la aplicación de soporte en este Mac. Libere espacio en el disco y pulse «Reintentar».</translation>
    </message>
    <message>
        <source>The download of the support app stalled. Check your internet connection, then press Retry.</source>
        <translation>La descarga de la aplicación de soporte se ha detenido. Compruebe su conexión a Internet y pulse «Reintentar».</translation>
    </message>
    <message>
        <source>The support app&apos;s download location could not be trusted. Press Retry; if it happens again, tell your technician.</source>
        <translation>No se pudo confiar en el origen de la descarga de la aplicación de soporte. Pulse «Reintentar»; si vuelve a ocurrir, avise a su técnico.</translation>
    </message>
    <message>
        <source>The download of the support app was interrupted. Check your internet connection, then press Retry.</source>
        <translation>La descarga de la aplicación de soporte se interrumpió. Compruebe su conexión a Internet y pulse «Reintentar».</translation>
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
        <translation>Únase a una sesión de soporte remoto con el ID de sesión que le dio su técnico.</translation>
    </message>
    <message>
        <source>Join a support session</source>
        <translation>Unirse a una sesión de soporte</translation>
    </message>
    <message>
        <source>About this plugin</source>
        <translation>Acerca de este complemento</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>Shows the plugin version and its rights notice.</source>
        <translation>Muestra la versión del complemento y su aviso de derechos.</translation>
    </message>
    <message>
        <source>Enter Session ID</source>
        <translation>Introduzca el ID de sesión</translation>
    </message>
    <message>
        <source>Session ID</source>
        <translation>ID de sesión</translation>
    </message>
    <message>
        <source>The 9 or 10 digit session ID your technician gave you.</source>
        <translation>El ID de sesión de 9 o 10 dígitos que le dio su técnico.</translation>
    </message>
    <message>
        <source>Required</source>
        <translation>Obligatorio</translation>
    </message>
    <message>
        <source>The session ID must be filled in.</source>
        <translation>Debe rellenar el ID de sesión.</translation>
    </message>
    <message>
        <source>Session ID underline</source>
        <translation>Subrayado del ID de sesión</translation>
    </message>
    <message>
        <source>Session ID underline, editing</source>
        <translation>Subrayado del ID de sesión, en edición</translation>
    </message>
    <message>
        <source>Session ID message</source>
        <translation>Mensaje del ID de sesión</translation>
    </message>
    <message>
        <source>Says what is wrong with the session ID.</source>
        <translation>Indica qué falla en el ID de sesión.</translation>
    </message>
    <message>
        <source>Enter your name</source>
        <translation>Introduzca su nombre</translation>
    </message>
    <message>
        <source>Your name</source>
        <translation>Su nombre</translation>
    </message>
    <message>
        <source>The name the technician sees for you, up to 40 characters.</source>
        <translation>El nombre con el que le ve el técnico, hasta 40 caracteres.</translation>
    </message>
    <message>
        <source>Your name must be filled in.</source>
        <translation>Debe rellenar su nombre.</translation>
    </message>
    <message>
        <source>Name underline</source>
        <translation>Subrayado del nombre</translation>
    </message>
    <message>
        <source>Name underline, editing</source>
        <translation>Subrayado del nombre, en edición</translation>
    </message>
    <message>
        <source>Name message</source>
        <translation>Mensaje del nombre</translation>
    </message>
    <message>
        <source>Says what is wrong with the name.</source>
        <translation>Indica qué falla en el nombre.</translation>
    </message>
    <message>
        <source>Join Session</source>
        <translation>Unirse a la sesión</translation>
    </message>
    <message>
        <source>Joins the session with the session ID and name above.</source>
        <translation>Se une a la sesión con el ID de sesión y el nombre de arriba.</translation>
    </message>
    <message>
        <source>Trust notice</source>
        <translation>Aviso de confianza</translation>
    </message>
    <message>
        <source>Join only with people you recognize and trust. The Report abuse link opens the abuse report page in your browser.</source>
        <translation>Únase solo con personas que conozca y en las que confíe. El enlace «Denunciar abuso» abre la página de denuncia en su navegador.</translation>
    </message>
    <message>
        <source>Disclosure notice</source>
        <translation>Aviso de confidencialidad</translation>
    </message>
    <message>
        <source>Do not disclose passwords, card or bank details or other sensitive information during a session.</source>
        <translation>No revele contraseñas, datos de tarjeta o bancarios ni otra información confidencial durante una sesión.</translation>
    </message>
    <message>
        <source>*Mandatory field</source>
        <translation>*Campo obligatorio</translation>
    </message>
    <message>
        <source>The session ID is invalid.Verify session ID with your technician again.</source>
        <translation>El ID de sesión no es válido. Vuelva a comprobarlo con su técnico.</translation>
    </message>
    <message>
        <source>Join remote support session only with people you recognize and trust. Report abuse</source>
        <extracomment>Ends with the text of &quot;Report abuse&quot;, which becomes the link.</extracomment>
        <translation>Únase a sesiones de soporte remoto solo con personas que conozca y en las que confíe. Denunciar abuso</translation>
    </message>
    <message>
        <source>Report abuse</source>
        <extracomment>The link at the end of the trust notice.</extracomment>
        <translation>Denunciar abuso</translation>
    </message>
    <message>
        <source>Do not disclose your passwords, credit card/bank details or any other sensitive information during a session.</source>
        <translation>No revele sus contraseñas, datos de tarjeta de crédito o bancarios ni ninguna otra información confidencial durante una sesión.</translation>
    </message>
</context>
</TS>
