#include "platform/os/case_insensitive_path.h"

#include <dirent.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::os {
namespace {

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    }
    return lower;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// Directory listings keyed by directory path. A listing stays valid while the directory's
// modification time is unchanged. File systems stamp times coarsely (a clock tick, or two
// seconds on FAT), so a change right after a listing may keep the old time: a directory
// modified within the last two seconds is listed afresh on every look-up instead of cached.
class ListingCache {
public:
    // The name on disk in `directory` whose lower-case form is `lowerName` (the first in byte
    // order when several fold to it), or nullopt.
    std::optional<std::string> find(const std::string& directory, const std::string& lowerName) {
        struct stat status {};
        if (stat(directory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return std::nullopt;

        std::lock_guard lock(mutex_);
        auto cached = listings_.find(directory);
        if (cached == listings_.end() || !sameTime(cached->second.modified, status.st_mtim)) {
            if (cached != listings_.end()) listings_.erase(cached);
            Listing listing;
            listing.modified = status.st_mtim;
            if (!read(directory, listing)) return std::nullopt;
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            if (now.tv_sec - status.st_mtim.tv_sec < kSettleSeconds)
                return lookUp(listing, lowerName);
            if (listings_.size() >= kMaxListings) listings_.clear();
            cached = listings_.emplace(directory, std::move(listing)).first;
        }
        return lookUp(cached->second, lowerName);
    }

private:
    struct Listing {
        timespec modified{};
        std::map<std::string, std::string> namesByLowerName;
    };

    static constexpr time_t kSettleSeconds = 2;
    static constexpr size_t kMaxListings = 512;

    static bool read(const std::string& directory, Listing& listing) {
        DIR* dir = opendir(directory.c_str());
        if (!dir) return false;
        std::vector<std::string> names;
        while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
        closedir(dir);
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            listing.namesByLowerName.emplace(lowerAscii(name), name);
        return true;
    }

    static std::optional<std::string> lookUp(const Listing& listing, const std::string& lowerName) {
        auto found = listing.namesByLowerName.find(lowerName);
        if (found == listing.namesByLowerName.end()) return std::nullopt;
        return found->second;
    }

    std::mutex mutex_;
    std::unordered_map<std::string, Listing> listings_;
};

ListingCache& listingCache() {
    static ListingCache* cache = new ListingCache;  // never destroyed: used until exit
    return *cache;
}

std::string join(const std::string& directory, std::string_view name) {
    if (directory.empty()) return std::string(name);
    if (directory.back() == '/') return directory + std::string(name);
    return directory + '/' + std::string(name);
}

}  // namespace

std::optional<std::string> resolvePathIgnoringCase(const std::string& utf8Path,
                                                   bool leafMayBeMissing) {
    std::vector<std::string_view> components;
    std::string_view rest(utf8Path);
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view component = rest.substr(0, slash);
        if (!component.empty()) components.push_back(component);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    if (components.empty()) return std::nullopt;

    std::string resolved = utf8Path.front() == '/' ? "/" : "";
    for (size_t i = 0; i < components.size(); ++i) {
        const std::string_view component = components[i];
        std::string asWritten = join(resolved, component);
        struct stat status {};
        if (component == "." || component == ".." || stat(asWritten.c_str(), &status) == 0) {
            resolved = std::move(asWritten);
            continue;
        }
        const std::string directory = resolved.empty() ? "." : resolved;
        if (auto onDisk = listingCache().find(directory, lowerAscii(component))) {
            resolved = join(resolved, *onDisk);
        } else if (leafMayBeMissing && i + 1 == components.size()) {
            resolved = std::move(asWritten);
        } else {
            return std::nullopt;
        }
    }
    return resolved;
}

}  // namespace platform::os
