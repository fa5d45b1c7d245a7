// Models as the engines load them: the data from the default pack, the model's directory as a
// resource name of the renderer with its effect data loaded once, and an instance whose
// textures resolve inside that directory.
#include <string>

#include "engine/system/system.h"
#include "foundation/DFile.h"
#include "foundation/pack/pack_registry.h"
#include "framework/core/report.h"
#include "framework/core/status.h"
#include "framework/file/file.h"
#include "framework/file/path.h"
#include "model3d/object/Da3dObject.h"
#include "model3d/object/pack_names.h"
#include "render3d/L3DRenderer.h"
#include "render3d/scene/model_instances.h"
#include "sound/LSeManager.h"

void Da3dObject::load(const char16_t* path, Da3dObject& object, System& system,
                      const L3D_SEGROUPLIST& groups) {
    char16_t file[kPackPathUnits];
    pelPathJoin(kPackPathUnits, file, nullptr, path ? path : u"", u"dgo");
    if (pelFileExists(0, file) != PEL_OK) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s]  Object Data \"%ls\" isn't exist.",
                  "Da3dObject::load", file);
        return;
    }
    const std::string name = packName(file);
    const uint32_t pack = defaultPack();
    mirel::DFile stream;
    lfmOpenPackData(pack, stream, name.c_str());
    object.data.Create();
    object.data->Load(stream);
    stream.Close();

    object.instance = l3dCreateModelInstance(*system.renderer(), object.data, name.c_str(), pack);
    if (groups.count > 0) object.instance->SetSeGroups(groups);
}

void Da3dObject::loadWithSeGroups(const char16_t* groupText, System& system, Da3dObject& object,
                                  const char16_t* path) {
    L3D_SEGROUPLIST groups;
    if (groupText) loadSeGroupList(system, groups, groupText);
    load(path, object, system, groups);
    const mirel::rcptr<L3DRenderer>& renderer = system.renderer();
    if (renderer && renderer->seManager)
        renderer->seManager->UnloadGroups(groups.groups.Get(), groups.count);
}

void Da3dObject::assign(const Da3dObject& source, Da3dObject& target) {
    target.data = source.data;
    if (!source.instance || !source.instance->renderer) {
        target.instance.Reset();
        return;
    }
    L3DObjectInstance& original = *source.instance;
    target.instance = original.renderer->CreateObjectInstance(source.data, original.context);
    target.instance->SetSeGroups(original.seGroups);
}
