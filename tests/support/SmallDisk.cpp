#include "support/SmallDisk.h"
#include "support/TempFolder.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <vector>

namespace vl::test {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFiller = ".filler";

} // namespace

SmallDisk::SmallDisk(const fs::path& folder) : folder_(folder) {
    TempFolder saved;
    const auto options = fs::copy_options::recursive | fs::copy_options::copy_symlinks;
    std::error_code ec;
    fs::copy(folder_, saved.path(), options, ec);
    if (ec || ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=8m,mode=0755") != 0) return;
    mounted_ = true;
    fs::copy(saved.path(), folder_, options, ec);
}

SmallDisk::~SmallDisk() {
    // Detached, so a file the program still holds open never keeps the disk mounted.
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
}

void SmallDisk::fill() {
    const int fd = ::open((folder_ / kFiller).c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (fd < 0) return;
    const std::vector<char> block(4096, 'x');
    // tmpfs hands out whole pages: once a page is refused, no byte is left.
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    while (::write(fd, block.data(), 1) > 0) {
    }
    ::close(fd);
}

void SmallDisk::makeRoom() {
    std::error_code ec;
    fs::remove(folder_ / kFiller, ec);
}

} // namespace vl::test
