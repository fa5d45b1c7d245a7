#include "render3d/L3DShaders.h"

#include "render3d/L3DDevice.h"

using namespace platform::d3d9;

L3DVShader::~L3DVShader() { _Release(); }

void L3DVShader::_Release() {
    releaseRef(shader);
    if (device) {
        device->_RemoveVShader(this);
        device = nullptr;
    }
}

L3DPShader::~L3DPShader() { _Release(); }

void L3DPShader::_Release() {
    releaseRef(shader);
    if (device) {
        device->_RemovePShader(this);
        device = nullptr;
    }
}
