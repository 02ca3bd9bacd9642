#pragma once
// The names of the 36 engine calls of one mixer application, in order.

#include <string>
#include <vector>

namespace vl::test {

inline std::vector<std::string> mixerCallNames() {
    std::vector<std::string> names;
    const auto add = [&names](const char* name, int times) { names.insert(names.end(), times, name); };
    add("SetAFileName", 8);
    add("SetBusEffVol", 1);
    add("SendEff", 8);
    add("SetMasterVol", 1);
    add("SetBusReverb", 1);
    add("SetBusDelay", 1);
    add("SetEq", 8);
    add("SetCompr", 8);
    return names;
}

} // namespace vl::test
