#pragma once
#include <cstdint>

#include "framework/input/controller.h"

// A player's input as the network session hands it over or takes it: the same five words as a
// controller source.
using NetInputSource = PEL_CONTROLLER_SOURCE;

// A network-play session, as System, the frame loop and the natives use it; all calls on the
// main thread. Deleting the session closes it.
class Net {
public:
    virtual ~Net() = default;

    // Takes the local player's input source and asks it for its count.
    virtual void setLocalInput(const NetInputSource& source) = 0;
    virtual int32_t getPlayerCount() = 0;
    // Server 0, a client its index, a spectator -2.
    virtual int32_t getLocalPlayerIndex() = 0;
    virtual int32_t getPlayerConnect(int32_t player) = 0;
    // Waits until the session runs.
    virtual void start() = 0;
    // Finishes a round and waits for the peers' acknowledgement.
    virtual void resetRound() = 0;
    virtual uint32_t getSharedSeed() = 0;
    virtual void setReady() = 0;
    // True once the first input bundle has arrived; a failed session is fatal inside.
    virtual bool isReady() = 0;
    // Makes the next frame's inputs current; true when they were already waiting.
    virtual bool nextFrame() = 0;
    // Fills a source over the player's received input; false past the player count.
    virtual bool getPlayerInput(NetInputSource* source, int32_t player) = 0;
};
