#include <string>

#include "foundation/DFile.h"
#include "foundation/DStr.h"
#include "foundation/pack/pack_registry.h"
#include "framework/core/report.h"
#include "framework/core/status.h"
#include "framework/file/file.h"
#include "framework/file/path.h"
#include "model3d/object/Da3dObject.h"
#include "model3d/object/pack_names.h"

namespace {

constexpr char EditViewAnim[] = "__QNOR_FOR_EDIT_VIEW_ANIM__";

// The resolved name with the extension "dgo" added.
std::u16string modelPath(const char16_t* directory, const char16_t* name) {
    const std::u16string resolved = resolvePackPath(directory, name);
    char16_t path[kPackPathUnits];
    pelPathJoin(kPackPathUnits, path, nullptr, resolved.c_str(), u"dgo");
    return path;
}

}  // namespace

bool da3dExistObjectData(const char16_t* directory, const char16_t* name) {
    return pelFileExists(0, modelPath(directory, name).c_str()) == PEL_OK;
}

void da3dLoadObjectData(mirel::rcptr<L3DObjectData>& data, const char16_t* directory,
                        const char16_t* name) {
    const std::u16string path = modelPath(directory, name);
    if (pelFileExists(0, path.c_str()) != PEL_OK) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s]  Object Data \"%ls\" isn't exist.",
                  "da3dLoadObjectData", path.c_str());
        data.Reset();
        return;
    }
    mirel::DFile file;
    lfmOpenPackData(defaultPack(), file, packName(path).c_str());
    data.Create();
    data->Load(file);
    file.Close();
}

bool da3dIsNotEditViewAnim(const char* name) {
    const size_t length = sizeof EditViewAnim - 1;
    return !(name && std::char_traits<char>::length(name) == length &&
             mirel::DStrCompareNoCase(name, EditViewAnim, length) == 0);
}
