#pragma once

#include <mutex>
#include <string>

namespace httplib {
struct Request;
}

// Appends every request line and its headers to a file that tests read while the stand-in runs.
class RequestRecorder
{
public:
    explicit RequestRecorder(std::string path);

    void record(const httplib::Request& request);
    // Appends one line of text as it is.
    void recordLine(const std::string& line);

private:
    std::string path_;
    std::mutex mutex_;
};
