#pragma once
// A small tmpfs mounted on a folder: a real file system that a test can fill
// up, to see what a full disk does. Only root can mount one (Linux);
// Mounted() says whether it is there and Why() why not, for the test to
// skip with.

#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace kelvara::testing {

class SmallTmpfs {
public:
    SmallTmpfs(const std::filesystem::path& folder, std::size_t bytes) : folder_(folder) {
        std::error_code ignored;
        std::filesystem::create_directories(folder_, ignored);
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        mounted_ = mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
        if (!mounted_) why_ = std::strerror(errno);
    }
    ~SmallTmpfs() {
        if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }
    std::filesystem::path operator/(const std::string& name) const { return folder_ / name; }

    // Fills it with a file of its own until at most `left` bytes are free.
    bool FillLeaving(std::size_t left) {
        struct statvfs space {};
        if (statvfs(folder_.c_str(), &space) != 0) return false;
        const std::size_t free = static_cast<std::size_t>(space.f_bavail) * space.f_frsize;
        if (free <= left) return true;
        std::ofstream filler(folder_ / "filler", std::ios::binary);
        const std::string block(free - left, 'x');
        filler.write(block.data(), static_cast<std::streamsize>(block.size()));
        filler.close();
        return static_cast<bool>(filler);
    }

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
    std::string why_;
};

}  // namespace kelvara::testing
