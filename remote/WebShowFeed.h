#pragma once
// The show's snapshot as the band view's pages get it: one JSON message per part (setlist,
// state, clock, lyric, karaoke), each made again only when its part of the show changed.
// Called by the web server's push thread alone.

#include "remote/WebServer.h"

#include "core/ShowCommand.h"
#include "core/ShowSnapshot.h"

#include <memory>
#include <optional>

namespace vl {

class InterfaceTexts;

class WebShowFeed {
public:
    WebShowFeed(const ShowSnapshotBoard& board, const InterfaceTexts& texts, const QString& language);
    std::optional<WebShow> next(uint64_t since);

private:
    const ShowSnapshotBoard& board_;
    WebShow show_;
    std::shared_ptr<const ShowSnapshot> last_;
};

// The page's texts in the program's language.
QByteArray webTextsMessage(const InterfaceTexts& texts, const QString& language);
// What a page's command stands for: the same command as the key.
ShowCommand showCommandFor(const WebRequest& request);

} // namespace vl
