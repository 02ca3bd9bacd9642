#pragma once
// A real full disk for save tests: a small tmpfs mounted over a folder, with the folder's
// files copied in, that can be filled to the last byte and given room again. Mounting
// needs root; mounted() says whether it worked, so a test can skip cleanly.

#include <filesystem>

namespace vl::test {

class SmallDisk {
public:
    explicit SmallDisk(const std::filesystem::path& folder);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return mounted_; }
    // Writes a filler file until the disk takes no further byte.
    void fill();
    // Removes the filler.
    void makeRoom();

private:
    std::filesystem::path folder_;
    bool mounted_ = false;
};

} // namespace vl::test
