#include "sound/DsndManager.h"

#include "foundation/DDebug.h"
#include "sound/mpeg_acm_decoder.h"

namespace mirel {

namespace {

using namespace platform::audio;

// Logs the primary sound driver (null id) and stops the enumeration there.
BOOL logDevice(const void* id, const char* description, const char* module, void* context) {
    if (id != context) return TRUE;
    DDebug& log = DDebug::Global();
    log.Print("[Dsnd] device \"");
    if (description) log.Print(description);
    log.Print("\" driver \"");
    if (module) log.Print(module);
    log.Print("\"\n");
    return FALSE;
}

}  // namespace

DsndManager::~DsndManager() { Release(); }

bool DsndManager::Create(void* window) {
    if (sound_) return false;
    registerMpegAcmDecoder();
    if (FAILED(directSoundCreate(nullptr, &sound_, nullptr))) {
        sound_ = nullptr;
        Release();
        return false;
    }
    directSoundEnumerate(logDevice, nullptr);
    bool made = SUCCEEDED(sound_->SetCooperativeLevel(window, DSSCL_PRIORITY));
    if (made && !primary_) {
        DSBUFFERDESC description;
        description.dwSize = kBufferDescSize;
        description.dwFlags = DSBCAPS_PRIMARYBUFFER;
        made = SUCCEEDED(sound_->CreateSoundBuffer(&description, &primary_, nullptr));
    }
    if (made) {
        const WaveFormatEx format{kWaveFormatPcm, 2, 22050, 88200, 4, 16, 0};
        made = SUCCEEDED(primary_->SetFormat(&format));
    }
    if (!made) {
        Release();
        return false;
    }
    flags_ = kCreated;
    DDebug::Global().Print("[Dsnd] Create mode");
    DDebug::Global().Print("\n");
    return true;
}

bool DsndManager::Release() {
    if (!sound_) return false;
    if (primary_) primary_->Release();
    primary_ = nullptr;
    sound_->Release();
    sound_ = nullptr;
    flags_ &= ~(kCreated | kAllow3d | kAllowVoiceManagement);
    return true;
}

}  // namespace mirel
