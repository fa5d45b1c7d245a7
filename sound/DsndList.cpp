#include "sound/DsndList.h"

namespace mirel {
namespace {

bool samePcmFormat(const platform::audio::WaveFormatEx& a, const platform::audio::WaveFormatEx& b) {
    return a.wFormatTag == b.wFormatTag && a.nSamplesPerSec == b.nSamplesPerSec &&
           a.wBitsPerSample == b.wBitsPerSample && a.nChannels == b.nChannels &&
           a.nBlockAlign == b.nBlockAlign && a.nAvgBytesPerSec == b.nAvgBytesPerSec;
}

}  // namespace

bool DsndList::AddWave(DFile& file, int32_t loop) {
    rcptr<_DATA> data;
    data.Create();
    if (!data->wave.Open(file)) return false;
    data->loop = loop;
    const rcptr<_DATA> first = _FirstWave();
    if (first && !samePcmFormat(first->wave.GetPcmFormat(), data->wave.GetPcmFormat())) {
        return false;
    }
    sources_.AddTail(data);
    return true;
}

void DsndList::Rewind() {
    for (auto node = sources_._GetFirstNode(); !(node == sources_._GetEndNode());
         node = node.Next()) {
        node.GetRef()->wave.Rewind();
    }
    currentNode_ = sources_._GetFirstNode();
    current_ = _FirstWave();
}

bool DsndList::_Advance() {
    if (!current_) return false;
    if (current_->loop == -1) return true;
    if (current_->loop > 0) {
        --current_->loop;
        return true;
    }
    currentNode_ = currentNode_.Next();
    if (currentNode_ == sources_._GetEndNode()) {
        current_.Reset();
        return false;
    }
    current_ = currentNode_.GetRef();
    return true;
}

}  // namespace mirel
