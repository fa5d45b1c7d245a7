#include "sound/BgmPlayer.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "foundation/DFile.h"
#include "foundation/pack/pack_registry.h"
#include "framework/file/path.h"
#include "platform/os/cp932.h"
#include "sound/DsndManager.h"

using mirel::DFile;
using mirel::DsndStream;
using mirel::rcptr;

namespace {

constexpr size_t kPathUnits = 128;

bool isEmpty(const char16_t* text) { return !text || text[0] == u'\0'; }

}  // namespace

bool BgmPlayer::_FindFile(const char16_t* directory, const char16_t* name,
                          char (&path)[128]) const {
    char16_t joined[kPathUnits];
    pelPathJoin(kPathUnits, joined, nullptr, name, u"ogg");
    char16_t resolved[kPathUnits];
    pelPathResolve(resolved, directory, kPathUnits, joined);
    // Pack names are Shift-JIS: the conversion is CP932 whatever the process locale.
    const std::string bytes = platform::os::utf16ToCp932(resolved);
    const size_t n = std::min(bytes.size(), sizeof path - 1);
    std::memcpy(path, bytes.data(), n);
    path[n] = '\0';
    return lfmIsPackDataExist(*system_.pack, path);
}

void BgmPlayer::playIntroLoop(const char16_t* directory, const char16_t* intro,
                              const char16_t* loop, bool loopFlag) {
    if (stream_) stream_->Stop();
    stream_.Reset();
    list_.Reset();
    list_.Create();
    char path[128];
    bool added = false;
    if (!isEmpty(intro) && _FindFile(directory, intro, path)) {
        DFile file;
        lfmOpenPackData(*system_.pack, file, path);
        list_->AddWave(file, 0);
        added = true;
    }
    if (!isEmpty(loop) && _FindFile(directory, loop, path)) {
        DFile file;
        lfmOpenPackData(*system_.pack, file, path);
        list_->AddWave(file, loopFlag ? -1 : 0);
        added = true;
    }
    if (!added || !system_.sound) return;
    stream_ = system_.sound->CreateStream(list_);
    if (stream_) stream_->Play(system_.typeVolumes[0]);
}

void BgmPlayer::playSound(int32_t type, const char16_t* directory, const char16_t* name) {
    if (type < 0 || type >= 3) return;
    // Finished channels go; the rest move down.
    for (int slot = 0; slot < kChannels && channels_[slot];) {
        if (channels_[slot]->IsRunning()) {
            ++slot;
            continue;
        }
        for (int k = slot; k + 1 < kChannels; ++k) channels_[k] = channels_[k + 1];
        channels_[kChannels - 1].Reset();
    }
    int slot = 0;
    while (slot < kChannels && channels_[slot]) ++slot;
    if (slot == kChannels) {
        for (int k = 0; k + 1 < kChannels; ++k) channels_[k] = channels_[k + 1];
        channels_[kChannels - 1].Reset();
        slot = kChannels - 1;
    }
    char path[128];
    if (isEmpty(name) || !_FindFile(directory, name, path) || !system_.sound) return;
    DFile file;
    lfmOpenPackData(*system_.pack, file, path);
    channels_[slot] = system_.sound->OpenStream(file);
    if (channels_[slot]) channels_[slot]->Play(system_.typeVolumes[type]);
}

void BgmPlayer::stopAll() {
    if (stream_) stream_->Stop();
    stream_.Reset();
    list_.Reset();
    for (rcptr<DsndStream>& channel : channels_) channel.Reset();
}

void BgmPlayer::stop() {
    if (stream_) stream_->Stop();
    stream_.Reset();
    list_.Reset();
}

void BgmPlayer::setVolume(float factor) {
    if (stream_) stream_->SetVolume(factor);
}

void BgmPlayer::fadeOut(int32_t milliseconds) {
    if (stream_) stream_->FadeOut(static_cast<uint32_t>(milliseconds < 0 ? 1 : milliseconds));
}
