#pragma once
// A real full disk: a small tmpfs mounted over a folder (hiding what it held), filled to
// the last byte on demand. Mounting needs root; mounted() lets a test skip without it.

#include <filesystem>
#include <fstream>
#include <sys/mount.h>

namespace vl::test {

struct SmallDisk {
    std::filesystem::path folder;
    bool mounted = ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m") == 0;
    ~SmallDisk() {
        if (mounted) ::umount2(folder.c_str(), MNT_DETACH);
    }
    void fill() const {
        std::ofstream filler(folder / ".filler", std::ios::binary);
        while (filler.put('x')) {
        }
    }
};

} // namespace vl::test
