#include "Platform/Tls.h"

#include "Platform/Log.h"

#include <QSslCertificate>
#include <QSslConfiguration>

int Tls::trustCertificatesFromEnvironment()
{
    const QString file = QString::fromLocal8Bit(qgetenv("SSL_CERT_FILE"));
    if (file.isEmpty()) {
        return 0;
    }
    const QList<QSslCertificate> extra = QSslCertificate::fromPath(file, QSsl::Pem);
    if (extra.isEmpty()) {
        Log::write("No certificates could be read from SSL_CERT_FILE %@", file);
        return 0;
    }
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    // Adding to the list turns off on-demand loading of the system's roots, so they are listed explicitly.
    config.setCaCertificates(QSslConfiguration::systemCaCertificates() + extra);
    QSslConfiguration::setDefaultConfiguration(config);
    return static_cast<int>(extra.size());
}
