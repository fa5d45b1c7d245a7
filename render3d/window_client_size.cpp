#include "render3d/window_client_size.h"

#include <algorithm>

namespace {
L3DClientSizeQuery clientSizeQuery;
}

void l3dSetClientSizeQuery(L3DClientSizeQuery query) { clientSizeQuery = std::move(query); }

void l3dGetClientSize(platform::d3d9::HWND window, uint32_t& width, uint32_t& height) {
    width = height = 0;
    if (!clientSizeQuery || !clientSizeQuery(window, width, height)) width = height = 0;
    width = std::max<uint32_t>(width, 1);
    height = std::max<uint32_t>(height, 1);
}
