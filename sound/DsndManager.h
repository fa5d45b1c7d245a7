#pragma once
#include <cstdint>

#include "foundation/DObject.h"
#include "platform/audio/direct_sound.h"

namespace mirel {

// The one sound device of the system: the DirectSound object and its primary buffer. Without
// a device (a failed Create) the system runs silent.
class DsndManager : public DObject {
public:
    DsndManager() = default;
    ~DsndManager() override;
    DsndManager(const DsndManager&) = delete;
    DsndManager& operator=(const DsndManager&) = delete;

    // Opens the default device for the main window, logs the primary driver and sets the
    // primary format. False when already created or when a step fails (everything made so far
    // is released again). Also registers the MPEG decoder with the ACM layer.
    bool Create(void* window);
    // Releases the primary buffer and the device; false when no device is held.
    bool Release();

    bool IsCreated() const { return (flags_ & kCreated) != 0; }

    static constexpr uint32_t kCreated = 0x10000;
    static constexpr uint32_t kAllow3d = 0x1;
    static constexpr uint32_t kAllowVoiceManagement = 0x2;

private:
    uint32_t flags_ = 0;
    platform::audio::DirectSound* sound_ = nullptr;
    platform::audio::DirectSoundBuffer* primary_ = nullptr;
};

}  // namespace mirel
