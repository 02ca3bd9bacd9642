#pragma once
// Effects for a chosen set of tracks 1..8, owned together, with the pointer table
// EffectBus::attach takes. Built off the audio thread.

#include "engine/dsp/EffectBus.h"

#include <initializer_list>
#include <memory>

namespace vl::engine::dsp {

class TrackEffectsSet {
  public:
    using Pointers = EffectBus::Effects;

    // Effects for the tracks listed; the others have none.
    explicit TrackEffectsSet(std::initializer_list<int> tracks) {
        for (int t : tracks)
            add(t);
    }
    // Effects for every track.
    TrackEffectsSet() {
        for (int t = 1; t <= EffectBus::kTracks; ++t)
            add(t);
    }

    TrackEffects* operator[](int track) const { return pointers_[track]; }
    const Pointers& pointers() const { return pointers_; }

  private:
    void add(int track) {
        owned_[track] = std::make_unique<TrackEffects>();
        pointers_[track] = owned_[track].get();
    }

    std::array<std::unique_ptr<TrackEffects>, EffectBus::kTracks + 1> owned_;
    Pointers pointers_{};
};

} // namespace vl::engine::dsp
