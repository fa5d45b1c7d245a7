#include "engine/config/config.h"
#include "framework/config/d3d9_settings.h"
#include "framework/core/report.h"
#include "framework/input/dinput8.h"

namespace {

bool failed(const char16_t* format) {
    pelReport(PEL_REPORT_ERROR, format, "Config::init");
    return false;
}

}  // namespace

bool Config::checkStart() const {
    if (!pelD3d9Object()) return failed(u"Error: [%s] Direct3D9がインストールされていません。");
    if (!(video.flags & PEL_D3D9_VALID))
        return failed(u"Error: [%s] 有効なグラフィックチップが見つかりません。");
    if (!pelDinput8Object())
        return failed(u"Error: [%s] DirectInput8がインストールされていません。");
    return true;
}
