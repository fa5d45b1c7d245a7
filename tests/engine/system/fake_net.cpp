#include "tests/engine/system/fake_net.h"

namespace tessera::test {

namespace {

void noPoll(void*) {}
uint32_t sixteen(void*) { return 16; }
float playerValue(void* user, uint32_t index) {
    return index < 16 ? static_cast<const FakeNet::Player*>(user)->values[index] : 0.0f;
}

}  // namespace

void FakeNet::setLocalInput(const NetInputSource& source) {
    local = source;
    localCount = source.buttonCount(source.user);
}

int32_t FakeNet::getPlayerConnect(int32_t player) {
    if (player < 0 || static_cast<size_t>(player) >= players.size()) return 0;
    return players[static_cast<size_t>(player)].connect;
}

bool FakeNet::nextFrame() {
    ++frames;
    if (behind.empty()) return false;
    const bool answer = behind.front();
    behind.erase(behind.begin());
    return answer;
}

bool FakeNet::getPlayerInput(NetInputSource* source, int32_t player) {
    if (player < 0 || static_cast<size_t>(player) >= players.size()) return false;
    *source = NetInputSource{&players[static_cast<size_t>(player)], noPoll, sixteen, nullptr,
                             playerValue};
    return true;
}

std::vector<float> FakeNet::localValues() const {
    std::vector<float> values;
    for (uint32_t i = 0; i < localCount; ++i) values.push_back(local.value(local.user, i));
    return values;
}

}  // namespace tessera::test
