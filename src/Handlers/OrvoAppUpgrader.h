#pragma once

#include "Platform/Net/UrlError.h"

// Decides, for one join, whether the installed support agent can be launched as it is or a new one must be
// fetched first; records the installed agent's version and writes the join-details file the agent reads.
class OrvoAppUpgrader
{
public:
    // The single instance, created on first use.
    static OrvoAppUpgrader* getInstance();

    // Stores the installed agent's version in the session record ("0" when there is none) and starts checking its
    // signature in the background.
    void orvoAppVersionCheck();
    // Waits for the check orvoAppVersionCheck started. An agent that did not verify counts as not installed: its
    // version becomes "0", with one line saying why. True when it verified; false too when there was none.
    bool verifyInstalledAgent();
    // The join's agent steps: verifyInstalledAgent, the agent update check, then orvoAppUpdater. A check that fails
    // for a passing reason is made again by itself, up to four times in all; when it still fails, an installed agent
    // that verified is launched as the check would have had it, and without one the progress window shows the
    // failure with Retry, which runs this again.
    void agentCheckThenUpdate();
    // Acts on the agent update check: launches the installed agent and closes the progress window, or starts the
    // download of a new one, leaving the installed agent in place until the new one replaces it. The join-details
    // file is written first either way. A launch that fails is shown with Retry, which launches again.
    void orvoAppUpdater();
    // Retry of a failed agent download: a new download from the service's first location that goes on from the part
    // already fetched.
    void retryAgentDownload();
    // What follows a failed agent download: another attempt by itself after a passing fault, while attempts are
    // left; then the check's fallback location, once, with attempts of its own. True when one of them is under
    // way, false when the customer is to be told.
    bool continueAgentDownload(const UrlError& error);
    // Whether the download under way comes from the check's fallback location.
    static bool downloadsFromFallback();
    // Writes "orvojoindetails.conf" in the agent folder from the session record, replacing an older one.
    void modifyOrvoJoinDetails();
    // Stops the agent download under way, if any, without reporting it; a kept part stays for removePartialImage.
    static void cancelAgentDownload();

private:
    OrvoAppUpgrader() = default;
    // One attempt of the agent check and what follows from it.
    void attemptAgentCheck();
};
