#include "RequestRecorder.h"

#include <cstdio>
#include <httplib.h>
#include <iostream>

namespace {

// httplib adds the peer and local addresses to the parsed headers; they were never on the wire.
bool addedByHttplib(const httplib::Request& request, const std::string& name, const std::string& value)
{
    return (name == "REMOTE_ADDR" && value == request.remote_addr) ||
           (name == "REMOTE_PORT" && value == std::to_string(request.remote_port)) ||
           (name == "LOCAL_ADDR" && value == request.local_addr) ||
           (name == "LOCAL_PORT" && value == std::to_string(request.local_port));
}

} // namespace

RequestRecorder::RequestRecorder(std::string path) : path_(std::move(path)) {}

void RequestRecorder::record(const httplib::Request& request)
{
    if (path_.empty()) {
        return;
    }
    // target is the request target exactly as sent, percent-encoding included.
    std::string entry = request.method + ' ' + request.target + ' ' + request.version + '\n';
    for (const auto& [name, value] : request.headers) {
        if (!addedByHttplib(request, name, value)) {
            entry.append(name).append(": ").append(value).append(1, '\n');
        }
    }
    entry += '\n';
    recordLine(entry);
}

void RequestRecorder::recordLine(const std::string& line)
{
    if (path_.empty()) {
        return;
    }
    std::lock_guard lock(mutex_);
    // Opened per request so each entry is on disk before the response goes out.
    std::FILE* file = std::fopen(path_.c_str(), "ae");
    if (!file) {
        std::cerr << "orvo-service-standin: cannot open record file " << path_ << std::endl;
        return;
    }
    const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    if (std::fclose(file) != 0 || !written) {
        std::cerr << "orvo-service-standin: cannot write record file " << path_ << std::endl;
    }
}
