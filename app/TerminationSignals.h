#pragma once
// SIGTERM, SIGINT and SIGHUP become an ordinary close request on the UI thread, so a
// logout or a terminal's Ctrl+C saves and shuts down like the close box.

#include <functional>

namespace vl {

void routeTerminationSignals(std::function<void()> onCloseRequest);

} // namespace vl
