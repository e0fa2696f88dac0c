// Times the plugin's own download (UrlDownload) of one HTTPS URL to a file and reports its peak memory growth.
// Usage: orvo-bench-download URL DESTINATION [CHECK_URL]
//   CHECK_URL  fetched first with the update checks' synchronous request, as the plugin has by the time the
//              customer presses Join, so its TLS set-up is in the idle size rather than in the download's growth
// Prints one line: bytes= seconds= mib_per_s= idle_kib= peak_kib= growth_kib=
#include "Platform/Net/UrlConnection.h"
#include "Platform/Net/UrlDownload.h"
#include "Platform/Net/UrlRequest.h"
#include "common/ProcStatus.h"
#include "download/DownloadProbe.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: orvo-bench-download URL DESTINATION [CHECK_URL]\n");
        return 2;
    }
    const QUrl url(QString::fromLocal8Bit(argv[1]));
    const QString destination = QString::fromLocal8Bit(argv[2]);
    if (argc == 4 && UrlConnection::sendSynchronousRequest(QUrl(QString::fromLocal8Bit(argv[3]))).statusCode != 200) {
        std::fprintf(stderr, "orvo-bench-download: the check before the download failed\n");
        return 1;
    }
    const long idle = ProcStatus::kib("VmHWM");

    UrlRequest request(url, 0, std::chrono::seconds(240));
    request.setHttpMethod(QStringLiteral("GET"));
    request.setValueForHTTPHeaderField(QStringLiteral("orvo-bench"), QStringLiteral("User-Agent"));
    DownloadProbe probe;
    UrlDownload download;
    const auto start = std::chrono::steady_clock::now();
    if (!download.initWithRequest(request, &probe)) {
        std::fprintf(stderr, "orvo-bench-download: no download could be made\n");
        return 1;
    }
    download.setDestination(destination, true);
    app.exec();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!probe.finished()) {
        std::fprintf(stderr, "orvo-bench-download: %s\n", qPrintable(probe.failure()));
        return 1;
    }
    const long peak = ProcStatus::kib("VmHWM");
    const qint64 bytes = QFileInfo(destination).size();
    std::printf("bytes=%lld seconds=%.4f mib_per_s=%.1f idle_kib=%ld peak_kib=%ld growth_kib=%ld\n",
                static_cast<long long>(bytes), seconds, static_cast<double>(bytes) / seconds / 1048576.0, idle, peak,
                peak - idle);
    return 0;
}
