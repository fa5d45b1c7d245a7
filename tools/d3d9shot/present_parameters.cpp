#include "tools/d3d9shot/present_parameters.h"

namespace d3d9shot {

using namespace platform::d3d9;

D3DPRESENT_PARAMETERS windowedParameters(const WindowedSetup& setup) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = setup.width;
    pp.BackBufferHeight = setup.height;
    pp.BackBufferFormat = setup.format;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.EnableAutoDepthStencil = setup.depthBuffer ? TRUE : FALSE;
    pp.AutoDepthStencilFormat = setup.depthBuffer ? D3DFMT_D24X8 : D3DFMT_UNKNOWN;
    pp.PresentationInterval = setup.interval;
    return pp;
}

}  // namespace d3d9shot
