#pragma once
#include <cstdint>

#include "foundation/rcptr.h"
#include "sound/DsndList.h"
#include "sound/DsndStream.h"

namespace mirel {
class DsndManager;
}  // namespace mirel

// What the music player reaches of the system, all of it owned by the system and read at each
// play: the sound manager, the three type volumes (linear factors) and the default pack, where
// the music files lie. Every pointer must be set.
struct BgmSystemLink {
    mirel::DsndManager* sound = nullptr;
    const float* typeVolumes = nullptr;  // three entries
    const uint32_t* pack = nullptr;
};

// The music player: one background-music stream of an intro played once and a loop after it,
// and three channels of one-shot music. Files are "<name>.ogg" in the default pack, named
// relative to the calling engine's script directory (UTF-16).
class BgmPlayer {
public:
    static constexpr int kChannels = 3;

    explicit BgmPlayer(const BgmSystemLink& system) : system_(system) {}
    BgmPlayer(const BgmPlayer&) = delete;
    BgmPlayer& operator=(const BgmPlayer&) = delete;

    // Replaces the background music by the intro (once) and the loop (for ever with the flag,
    // else once); either may be null or empty. Silent when neither file exists.
    void playIntroLoop(const char16_t* directory, const char16_t* intro, const char16_t* loop,
                       bool loopFlag);
    // Plays a one-shot file at type volume `type` (0 to 2; other types are ignored) in the
    // first free channel; with all three busy the oldest is let go (it plays on to its end).
    void playSound(int32_t type, const char16_t* directory, const char16_t* name);
    // Stops the background music and lets go of every channel (they play on to their end).
    void stopAll();

    // The operations of the music natives on the background music ("bgmStop",
    // "bgmSetVolume", "bgmFadeout"; a negative fade time becomes 1 ms).
    void stop();
    void setVolume(float factor);
    void fadeOut(int32_t milliseconds);

    const mirel::rcptr<mirel::DsndList>& _GetList() const { return list_; }
    const mirel::rcptr<mirel::DsndStream>& _GetStream() const { return stream_; }
    const mirel::rcptr<mirel::DsndStream>& _GetChannel(int slot) const { return channels_[slot]; }

private:
    // The 8-bit pack path of "<name>.ogg" resolved against the directory; false when the file
    // is not in the pack.
    bool _FindFile(const char16_t* directory, const char16_t* name, char (&path)[128]) const;

    const BgmSystemLink system_;
    mirel::rcptr<mirel::DsndList> list_;
    mirel::rcptr<mirel::DsndStream> stream_;
    mirel::rcptr<mirel::DsndStream> channels_[kChannels];
};
