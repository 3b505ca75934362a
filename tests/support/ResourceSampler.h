#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace lettore::test {

// Resident memory and open descriptors of a process, read from /proc.
struct ResourceSample {
    long residentKb = 0;
    long descriptors = 0;
};

// A sample of process `pid` ("self": this one); nothing once it is gone or a zombie.
inline std::optional<ResourceSample> sampleResources(const std::string& pid = "self")
{
    const std::string proc = "/proc/" + pid;
    ResourceSample sample;
    std::ifstream status(proc + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            sample.residentKb = std::stol(line.substr(6));
    std::error_code error;
    for (std::filesystem::directory_iterator it(proc + "/fd", error), end; !error && it != end; it.increment(error))
        ++sample.descriptors;
    return sample.residentKb == 0 ? std::nullopt : std::optional(sample);
}

// Resident memory over a run: the largest of its first tenth and of its last tenth.
struct ResidentGrowth {
    long earlyKb = 0;
    long lateKb = 0;
    long grownKb() const { return lateKb - earlyKb; }
};

inline ResidentGrowth residentGrowth(const std::vector<ResourceSample>& samples)
{
    const auto tenth = static_cast<std::ptrdiff_t>(samples.size() / 10);
    const auto largest = [](auto begin, auto end) {
        return std::accumulate(begin, end, 0L,
                               [](long most, const ResourceSample& s) { return std::max(most, s.residentKb); });
    };
    return {largest(samples.begin(), samples.begin() + tenth), largest(samples.end() - tenth, samples.end())};
}

}  // namespace lettore::test
