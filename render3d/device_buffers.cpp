#include <vector>

#include "foundation/DSjisText.h"
#include "foundation/pack/field_readers.h"
#include "foundation/pack/pack_registry.h"
#include "render3d/L3DDevice.h"
#include "render3d/diagnostics/diagnostics.h"

using mirel::DSjis;
using namespace platform::d3d9;
using mirel::DFile;
using mirel::DList;
using mirel::rcptr;

namespace {

// Appends an uncounted handle to the record: the list never keeps it alive.
template <class Record>
void listRecord(DList<Record>& list, const rcptr<Record>& record) {
    list.AddTail(rcptr<Record>::NonOwning(record.Get()));
}

// A new shader record on the device, listed.
template <class Record, class Shader>
rcptr<Record> shaderRecord(DList<Record>& list, L3DDevice* device, Shader* shader) {
    rcptr<Record> record;
    record.Create();
    record->device = device;
    record->shader = shader;
    listRecord(list, record);
    return record;
}

template <class Record>
void unlistRecord(DList<Record>& list, Record* record) {
    for (auto it = list._GetFirstNode(); it != list._GetEndNode(); it = it.Next()) {
        if (it.GetRef().Get() == record) {
            list.Erase(it);
            return;
        }
    }
}

// Releases every listed record's Direct3D object; each record leaves the list as it does.
template <class Record>
void releaseRecords(DList<Record>& list) {
    while (list.Count() != 0) list._GetFirstRef()->_Release();
}

template <class Record>
void resetRecords(DList<Record>& list) {
    for (auto it = list._GetFirstNode(); it != list._GetEndNode(); it = it.Next())
        it.GetRef()->_Reset();
}

// The size of a shader file, positioned at its start; fatal when either is not possible.
uint32_t shaderFileSize(DFile& file) {
    if (!file.Seek(0, mirel::DDataOverride::SeekBegin))
        l3dError(DSjis<"ファイル \"%s\" の位置を設定できませんでした。">(), file.GetPath());
    const int32_t size = file.Size();
    if (size < 0)
        l3dError(DSjis<"ファイル \"%s\" のサイズを取得できませんでした。">(), file.GetPath());
    return static_cast<uint32_t>(size);
}

// Shader tokens of a file: whole 32-bit words (a trailing partial word is left out).
std::vector<DWORD> tokensOf(const std::vector<uint8_t>& bytes) {
    std::vector<DWORD> tokens(bytes.size() / 4);
    for (size_t i = 0; i < tokens.size(); ++i)
        tokens[i] = bytes[4 * i] | bytes[4 * i + 1] << 8 | bytes[4 * i + 2] << 16 |
                    static_cast<DWORD>(bytes[4 * i + 3]) << 24;
    return tokens;
}

// A renderer shader: read whole and unscrambled.
std::vector<DWORD> readScrambledShader(DFile& file) {
    std::vector<uint8_t> bytes(shaderFileSize(file));
    if (!bytes.empty()) lfmReadBytes(bytes.data(), static_cast<uint32_t>(bytes.size()), file);
    return tokensOf(bytes);
}

// A post-effect shader of the default pack: read whole as plain bytes.
std::vector<DWORD> readPackShader(const char* fileName) {
    DFile file;
    lfmOpenPackData(lfmRegistPack(""), file, fileName);
    std::vector<uint8_t> bytes(shaderFileSize(file));
    if (file.Read(bytes.data(), static_cast<uint32_t>(bytes.size())) !=
        static_cast<int32_t>(bytes.size()))
        l3dError(DSjis<"ファイル \"%s\" を読み込めませんでした。">(), file.GetPath());
    file.Close();
    return tokensOf(bytes);
}

}  // namespace

rcptr<L3DVBuffer> L3DDevice::_CreateVBuffer(uint32_t size, uint32_t fvf) {
    const DWORD usage = (flags_ & FlagVertexShader)
                            ? D3DUSAGE_WRITEONLY
                            : D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING;
    IDirect3DVertexBuffer9* buffer = nullptr;
    if (device_->CreateVertexBuffer(size, usage, fvf, D3DPOOL_MANAGED, &buffer, nullptr) != D3D_OK)
        l3dError(DSjis<"[L3DDevice::_CreateVBuffer] ビデオメモリが不足しています">());
    rcptr<L3DVBuffer> record;
    record.Create();
    record->device = this;
    record->buffer = buffer;
    record->size = size;
    record->fvf = fvf;
    listRecord(vbuffers_, record);
    return record;
}

rcptr<L3DVBuffer> L3DDevice::CreateVBufferWith(const void* data, uint32_t size, uint32_t fvf) {
    rcptr<L3DVBuffer> record = _CreateVBuffer(size, fvf);
    record->buffer->SetPriority(0);
    record->SetData(data, size);
    return record;
}

rcptr<L3DIBuffer> L3DDevice::_CreateIBuffer(uint32_t size) {
    const DWORD usage = (flags_ & FlagVertexShader)
                            ? D3DUSAGE_WRITEONLY
                            : D3DUSAGE_WRITEONLY | D3DUSAGE_SOFTWAREPROCESSING;
    IDirect3DIndexBuffer9* buffer = nullptr;
    if (device_->CreateIndexBuffer(size, usage, D3DFMT_INDEX16, D3DPOOL_MANAGED, &buffer,
                                   nullptr) != D3D_OK)
        l3dError(DSjis<"[L3DDevice::_CreateIBuffer] ビデオメモリが不足しています">());
    rcptr<L3DIBuffer> record;
    record.Create();
    record->device = this;
    record->buffer = buffer;
    record->size = size;
    listRecord(ibuffers_, record);
    return record;
}

rcptr<L3DIBuffer> L3DDevice::CreateIBufferWith(const void* data, uint32_t size) {
    rcptr<L3DIBuffer> record = _CreateIBuffer(size);
    record->buffer->SetPriority(0);
    record->SetData(data, size);
    return record;
}

rcptr<L3DVShader> L3DDevice::CreateVShader(DFile& file) {
    const std::vector<DWORD> tokens = readScrambledShader(file);
    IDirect3DVertexShader9* shader = nullptr;
    if (device_->CreateVertexShader(tokens.data(), static_cast<UINT>(tokens.size()), &shader) !=
        D3D_OK)
        l3dError(DSjis<"[L3DDevice::CreateVShader] 頂点シェーダを作成できませんでした(%s)">(),
                 file.GetPath());
    return shaderRecord(vshaders_, this, shader);
}

rcptr<L3DPShader> L3DDevice::CreatePShader(DFile& file) {
    const std::vector<DWORD> tokens = readScrambledShader(file);
    IDirect3DPixelShader9* shader = nullptr;
    if (device_->CreatePixelShader(tokens.data(), static_cast<UINT>(tokens.size()), &shader) !=
        D3D_OK)
        l3dError(DSjis<"[L3DDevice::CreatePShader] ピクセルシェーダを作成できませんでした">());
    return shaderRecord(pshaders_, this, shader);
}

rcptr<L3DVShader> L3DDevice::CreateVShaderFromPack(const char* fileName) {
    const std::vector<DWORD> tokens = readPackShader(fileName);
    IDirect3DVertexShader9* shader = nullptr;
    if (device_->CreateVertexShader(tokens.data(), static_cast<UINT>(tokens.size()), &shader) !=
        D3D_OK)
        return {};
    return shaderRecord(vshaders_, this, shader);
}

rcptr<L3DPShader> L3DDevice::CreatePShaderFromPack(const char* fileName) {
    const std::vector<DWORD> tokens = readPackShader(fileName);
    IDirect3DPixelShader9* shader = nullptr;
    if (device_->CreatePixelShader(tokens.data(), static_cast<UINT>(tokens.size()), &shader) !=
        D3D_OK)
        return {};
    return shaderRecord(pshaders_, this, shader);
}

void L3DDevice::_RemoveVBuffer(L3DVBuffer* record) { unlistRecord(vbuffers_, record); }
void L3DDevice::_RemoveIBuffer(L3DIBuffer* record) { unlistRecord(ibuffers_, record); }
void L3DDevice::_RemoveVShader(L3DVShader* record) { unlistRecord(vshaders_, record); }
void L3DDevice::_RemovePShader(L3DPShader* record) { unlistRecord(pshaders_, record); }

void L3DDevice::_ReleaseVBuffers() { releaseRecords(vbuffers_); }
void L3DDevice::_ReleaseIBuffers() { releaseRecords(ibuffers_); }
void L3DDevice::_ReleaseVShaders() { releaseRecords(vshaders_); }
void L3DDevice::_ReleasePShaders() { releaseRecords(pshaders_); }

void L3DDevice::_RestoreVBuffers() { resetRecords(vbuffers_); }
void L3DDevice::_RestoreIBuffers() { resetRecords(ibuffers_); }
