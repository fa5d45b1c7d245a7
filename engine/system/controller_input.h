#pragma once
#include "engine/system/controller.h"

struct PEL_CONTROLLER;

// A player read from one of System's virtual controllers. The slot is read at every refresh,
// so a controller created later in the slot is picked up; an empty slot leaves the planes.
class ControllerInput : public Controller {
public:
    ControllerInput(uint32_t recordingKind, PEL_CONTROLLER* const* slot)
        : Controller(recordingKind), slot_(slot) {}

    uint32_t getKind() const override { return 2; }
    // Updates the virtual controller, takes its edges, held states and values, then records.
    void refresh() override;

private:
    PEL_CONTROLLER* const* slot_;
};
