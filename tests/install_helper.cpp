// Runs only the agent install of a join that fetches a new agent, in a process of its own that a test can kill at
// any moment: the image in the agent folder is installed over the old agent as a finished download installs it.
// HOME and ORVO_SYSTEM_ROOT name the home and the system root; the log goes to standard error. Exits 0 when the agent
// was launched.
//   install_helper
#include "Handlers/OrvoDmgDownloader.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // The install closes the progress window, so there are widgets, on no screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    OrvoDmgDownloader downloader;
    return downloader.mountingOrvoMacDmg() ? 0 : 1;
}
