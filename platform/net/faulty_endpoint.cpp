#include "platform/net/faulty_endpoint.h"

namespace platform::net {

FaultyEndpoint::FaultyEndpoint(Socket socket, FaultRule rule)
    : socket_(socket), rule_(rule), random_(rule.seed) {}

int FaultyEndpoint::emit(const std::vector<uint8_t>& data, Address to) {
    int n = sendTo(socket_, data.data(), data.size(), to);
    if (n >= 0 && rule_.duplicate) sendTo(socket_, data.data(), data.size(), to);
    return n;
}

int FaultyEndpoint::send(const void* data, size_t size, Address to) {
    ++count_;
    bool drop = rule_.dropEvery > 0 && count_ % static_cast<uint64_t>(rule_.dropEvery) == 0;
    if (rule_.lossRate > 0.0 &&
        std::uniform_real_distribution<double>(0.0, 1.0)(random_) < rule_.lossRate) {
        drop = true;
    }
    if (drop) return static_cast<int>(size);
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::vector<uint8_t> copy(bytes, bytes + size);
    if (!rule_.swapNeighbours) return emit(copy, to);
    if (!held_) {
        held_.emplace(std::move(copy), to);
        return static_cast<int>(size);
    }
    int n = emit(copy, to);
    emit(held_->first, held_->second);
    held_.reset();
    return n;
}

void FaultyEndpoint::flush() {
    if (!held_) return;
    emit(held_->first, held_->second);
    held_.reset();
}

}  // namespace platform::net
