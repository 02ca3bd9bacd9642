#pragma once
// The show's commands and snapshot on the interface thread: commands posted by other threads
// run through the same code as the keys, and a snapshot of the show is published whenever
// it changed, at most every 10 ms.

#include "core/ShowCommand.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace vl {

class Application;
struct ShowSnapshot;

class BandViewShow : public QObject {
    Q_OBJECT
public:
    explicit BandViewShow(Application& app);
    void run(const ShowCommand& command);
    void publish();

private:
    void tick();
    Application& app_;
    QTimer timer_;
    std::shared_ptr<const ShowSnapshot> last_;
};

} // namespace vl
