#pragma once
// The address the band opens: this machine's first address on a local network (IPv4, not
// the loopback), else the loopback, as "http://ADDRESS:PORT/".

#include <QString>

namespace vl {

QString bandViewAddress(int port);

} // namespace vl
