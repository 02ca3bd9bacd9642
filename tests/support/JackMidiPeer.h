#pragma once
// A JACK client with one MIDI output port, "send", whose messages go out in its next
// process cycle, and one MIDI input port, "receive", that records what reaches it. It
// stands where a pedal board and a synthesizer stand on stage.

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace vl::test {

class JackMidiPeer {
  public:
    explicit JackMidiPeer(const std::string& clientName);
    ~JackMidiPeer();
    JackMidiPeer(const JackMidiPeer&) = delete;
    JackMidiPeer& operator=(const JackMidiPeer&) = delete;

    bool running() const { return client_ != nullptr; }
    // Full port names, "client:send" and "client:receive".
    std::string sendPort() const;
    std::string receivePort() const;

    void send(const std::vector<unsigned char>& message);
    // Other traffic on the same cable, from the next cycle on: `messages` in turn, spread
    // evenly at `perSecond`; what send() queues goes out in the middle of it. 0 stops it.
    void setTraffic(std::vector<std::vector<unsigned char>> messages, double perSecond);
    // Traffic messages written so far.
    uint64_t trafficSent() const { return trafficSent_.load(); }
    std::vector<std::vector<unsigned char>> received() const;
    std::size_t receivedCount() const;
    void clearReceived();
    // Cycles the server reported late: a late cycle may drop MIDI events on the way.
    int xruns() const { return xruns_.load(); }

  private:
    static int process(jack_nframes_t frames, void* self);
    static int xrun(void* self);

    jack_client_t* client_ = nullptr;
    jack_port_t* out_ = nullptr;
    jack_port_t* in_ = nullptr;
    mutable std::mutex mutex_;
    std::vector<std::vector<unsigned char>> toSend_;
    std::vector<std::vector<unsigned char>> received_;
    std::vector<std::vector<unsigned char>> traffic_;
    double trafficPerSecond_ = 0;
    double trafficDue_ = 0;
    std::size_t nextTraffic_ = 0;
    std::atomic<uint64_t> trafficSent_{0};
    std::atomic<int> xruns_{0};
};

} // namespace vl::test
