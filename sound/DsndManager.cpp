#include "sound/DsndManager.h"

#include <algorithm>
#include <cstring>

#include "foundation/DDebug.h"
#include "foundation/DStr.h"
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
    while (const rcptr<DsndStream> stream = streams_._GetFirstRef()) {
        stream->_Release();
        if (streams_._GetFirstRef().Get() == stream.Get()) streams_.Erase(streams_._GetFirstNode());
    }
    while (const rcptr<DsndData> data = data_._GetFirstRef()) {
        data->Release();
        if (data_._GetFirstRef().Get() == data.Get()) data_.Erase(data_._GetFirstNode());
    }
    if (primary_) primary_->Release();
    primary_ = nullptr;
    sound_->Release();
    sound_ = nullptr;
    flags_ &= ~(kCreated | kAllow3d | kAllowVoiceManagement);
    return true;
}

rcptr<DsndStream> DsndManager::CreateStream(const rcptr<DsndList>& list) {
    if (!IsCreated()) return nullptr;
    rcptr<DsndStream> stream;
    stream.Create();
    if (!stream->_Init(list, this)) return nullptr;
    stream->node_ = streams_.AddTail(stream);
    return stream;
}

rcptr<DsndStream> DsndManager::OpenStream(DFile& file) {
    rcptr<DsndList> list;
    list.Create();
    list->AddWave(file, 0);
    return CreateStream(list);
}

rcptr<DsndData> DsndManager::FindData(const char* name) {
    // Names are stored cut to 263 characters, so a longer one is looked up cut the same way.
    const size_t length = std::min(std::strlen(name ? name : ""), DsndData::kNameSize - 1);
    for (auto node = data_._GetFirstNode(); !(node == data_._GetEndNode()); node = node.Next()) {
        const rcptr<DsndData> data = node.GetRef();
        if (std::strlen(data->GetName()) == length &&
            DStrCompareNoCase(data->GetName(), name, length) == 0) {
            return data;
        }
    }
    return nullptr;
}

rcptr<DsndBuffer> DsndManager::CreateBuffer(const char* name, uint32_t flags, int32_t priority) {
    if (!IsCreated()) return nullptr;
    const rcptr<DsndData> data = FindData(name);
    if (!data) return nullptr;
    return data->CreateBuffer(flags & flags_ & (kAllow3d | kAllowVoiceManagement), priority);
}

rcptr<DsndBuffer> DsndManager::CreateBufferFromFile(DFile& file, const char* name, uint32_t flags,
                                                    int32_t priority) {
    if (!IsCreated()) return nullptr;
    if (!FindData(name)) {
        rcptr<DsndData> data;
        data.Create();
        if (!data->Load(file, name, this)) return nullptr;
        data_.AddTail(data);
    }
    return CreateBuffer(name, flags, priority);
}

void DsndManager::_RemoveStream(DsndStream& stream) {
    if (!stream.node_.Node()) return;
    streams_.Erase(stream.node_);
    stream.node_ = {};
}

void DsndManager::_RemoveData(DsndData& data) {
    for (auto node = data_._GetFirstNode(); !(node == data_._GetEndNode()); node = node.Next()) {
        if (node.GetRef().Get() == &data) {
            data_.Erase(node);
            return;
        }
    }
}

}  // namespace mirel
