#pragma once
// Runs the show commands posted from any thread, on the interface thread, and publishes
// the show's snapshot. (To be replaced by the shared runner.)

#include "core/ShowCommandInbox.h"
#include "core/ShowSnapshot.h"

#include <QObject>

namespace vl {

class Application;

class ShowCommandsRunner : public QObject {
    Q_OBJECT
public:
    explicit ShowCommandsRunner(Application& app) : app_(app) {}
    void runPending();
    void publish();

private:
    void run(const ShowCommand& command);
    Application& app_;
};

} // namespace vl
