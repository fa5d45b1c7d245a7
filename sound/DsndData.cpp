#include "sound/DsndData.h"

#include <cstring>

#include "foundation/DDebug.h"
#include "foundation/DStr.h"
#include "sound/DsndManager.h"
#include "sound/DsndVolume.h"

namespace mirel {

using namespace platform::audio;

DsndData::~DsndData() { Release(); }

bool DsndData::Load(DFile& file, const char* name, DsndManager* manager) {
    if (manager_) return false;
    manager_ = manager;
    DStrCopyN(name_, name, kNameSize);
    if (source_.Open(file)) return true;
    DDebug& log = DDebug::Global();
    log.Print("[DsndData] Can't read wave data \"");
    log.Print(file.GetPath() ? file.GetPath() : "");
    log.Print("\"\r\n");
    Release();
    return false;
}

rcptr<DsndBuffer> DsndData::_Bind(DirectSoundBuffer* buffer) {
    rcptr<DsndBuffer> voice;
    voice.Create();
    voice->data_ = this;
    voice->buffer_ = buffer;
    voice->node_ = buffers_.AddTail(voice);
    return voice;
}

rcptr<DsndBuffer> DsndData::CreateBuffer(uint32_t, int32_t) {
    DirectSound* sound = manager_ ? manager_->_GetDirectSound() : nullptr;
    if (!sound) return nullptr;
    if (const rcptr<DsndBuffer> first = buffers_._GetFirstRef()) {
        DirectSoundBuffer* duplicate = nullptr;
        if (SUCCEEDED(sound->DuplicateSoundBuffer(first->buffer_, &duplicate))) {
            return _Bind(duplicate);
        }
    }
    const WaveFormatEx format = source_.GetPcmFormat();
    DSBUFFERDESC description;
    description.dwSize = kBufferDescSize;
    description.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLVOLUME |
                          DSBCAPS_CTRLFREQUENCY | DSBCAPS_LOCSOFTWARE;
    description.dwBufferBytes = source_.GetPcmTotal();
    description.lpwfxFormat = &format;
    DirectSoundBuffer* buffer = nullptr;
    if (FAILED(sound->CreateSoundBuffer(&description, &buffer, nullptr))) return nullptr;
    rcptr<DsndBuffer> voice = _Bind(buffer);
    _FillBuffer(buffer);
    return voice;
}

void DsndData::_FillBuffer(DirectSoundBuffer* buffer) {
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    if (FAILED(
            buffer->Lock(0, 0, &first, &firstBytes, &second, &secondBytes, DSBLOCK_ENTIREBUFFER))) {
        return;
    }
    source_.Rewind();
    source_.BeginDecode();
    source_.Read(first, firstBytes);
    source_.EndDecode();
    buffer->Unlock(first, firstBytes, second, secondBytes);
}

void DsndData::_Leave(const DList<DsndBuffer>::Iterator& node) {
    buffers_.Erase(node);
    if (buffers_.Count() == 0 && manager_) manager_->_RemoveData(*this);
}

bool DsndData::Release() {
    if (!manager_) return false;
    // Unbound first, so that the voices leaving do not take the sound out of the manager
    // half-way.
    DsndManager* manager = manager_;
    manager_ = nullptr;
    while (const rcptr<DsndBuffer> voice = buffers_._GetFirstRef()) voice->Release();
    source_.Close();
    name_[0] = '\0';
    manager->_RemoveData(*this);
    return true;
}

DsndBuffer::~DsndBuffer() { Release(); }

void DsndBuffer::Play(float volume) {
    if (!buffer_) return;
    DWORD status = 0;
    if (FAILED(buffer_->GetStatus(&status)) || (status & DSBSTATUS_LOOPING)) return;
    buffer_->SetVolume(DsndVolumeToMillibel(volume, 0.0f));
    buffer_->SetFrequency(DSBFREQUENCY_ORIGINAL);
    buffer_->SetCurrentPosition(0);
    buffer_->Play(0, 0, 0);
}

bool DsndBuffer::IsPlaying() const {
    DWORD status = 0;
    return buffer_ && SUCCEEDED(buffer_->GetStatus(&status)) &&
           (status & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING)) != 0;
}

void DsndBuffer::Stop() {
    if (buffer_) buffer_->Stop();
}

void DsndBuffer::SetPosition(const float position[3]) {
    if (buffer_) buffer_->SetPosition(position[0], position[1], position[2], 0);
}

void DsndBuffer::SetVelocity(const float velocity[3]) {
    if (buffer_) buffer_->SetVelocity(velocity[0], velocity[1], velocity[2], 0);
}

bool DsndBuffer::Release() {
    if (!data_) return false;
    DsndData* data = data_;
    data_ = nullptr;
    // Leaving may free the sound (and so the list's handle to this voice): keep this alive.
    const DList<DsndBuffer>::Iterator node = node_;
    node_ = {};
    data->_Leave(node);
    if (buffer_) buffer_->Release();
    buffer_ = nullptr;
    return true;
}

}  // namespace mirel
