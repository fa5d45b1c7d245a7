#include "engine/config/config.h"
#include "framework/core/report.h"
#include "framework/input/dinput8.h"
#include "platform/d3d9/direct3d9.h"

namespace {

bool direct3DPresent() {
    platform::d3d9::IDirect3D9* direct3D =
        platform::d3d9::Direct3DCreate9(platform::d3d9::D3D_SDK_VERSION);
    if (!direct3D) return false;
    direct3D->Release();
    return true;
}

bool failed(const char16_t* format) {
    pelReport(PEL_REPORT_ERROR, format, "Config::init");
    return false;
}

}  // namespace

bool Config::checkStart() const {
    if (!direct3DPresent()) return failed(u"Error: [%s] Direct3D9がインストールされていません。");
    if (!(video.flags & ConfigVideoSettings::kValid))
        return failed(u"Error: [%s] 有効なグラフィックチップが見つかりません。");
    if (!pelDinput8Object())
        return failed(u"Error: [%s] DirectInput8がインストールされていません。");
    return true;
}
