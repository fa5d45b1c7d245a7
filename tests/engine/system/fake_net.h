#pragma once
// A network session for tests: players whose input rows the test sets, and a record of what
// the engine asked of the session.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/system/net.h"

namespace tessera::test {

class FakeNet : public Net {
public:
    struct Player {
        float values[16] = {};  // 0 or 1, as received
        int32_t connect = 1;
    };

    explicit FakeNet(int32_t players = 2) : players(static_cast<size_t>(players)) {}

    void setLocalInput(const NetInputSource& source) override;
    int32_t getPlayerCount() override { return static_cast<int32_t>(players.size()); }
    int32_t getLocalPlayerIndex() override { return localIndex; }
    int32_t getPlayerConnect(int32_t player) override;
    void start() override { ++starts; }
    void resetRound() override { ++roundResets; }
    uint32_t getSharedSeed() override { return seed; }
    void setReady() override { ++readyCalls; }
    bool isReady() override { return ready; }
    bool nextFrame() override;
    bool getPlayerInput(NetInputSource* source, int32_t player) override;

    // The local player's current values, read through the source it was given.
    std::vector<float> localValues() const;

    std::vector<Player> players;
    int32_t localIndex = 0;
    uint32_t seed = 0x1234;
    bool ready = true;
    // What nextFrame answers, front first; false once empty.
    std::vector<bool> behind;
    NetInputSource local{};
    uint32_t localCount = 0;
    int starts = 0, roundResets = 0, readyCalls = 0, frames = 0;
};

}  // namespace tessera::test
