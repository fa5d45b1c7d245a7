#include <string>
#include <vector>

#include "engine/system/system.h"
#include "model3d/object/Da3dObject.h"
#include "model3d/object/pack_names.h"
#include "render3d/L3DRenderer.h"

namespace {

struct SeGroupEntry {
    std::u16string name;
    uint32_t typeId;
};

// The entries of a list text: a name up to its 0 unit, then the type id unit.
std::vector<SeGroupEntry> parseSeGroupList(const char16_t* text) {
    std::vector<SeGroupEntry> entries;
    while (text && *text != 0) {
        std::u16string name(text);
        text += name.size() + 1;
        entries.push_back({std::move(name), static_cast<uint32_t>(*text)});
        ++text;
    }
    return entries;
}

}  // namespace

void Da3dObject::loadSeGroupList(System& system, L3D_SEGROUPLIST& list, const char16_t* text) {
    const mirel::rcptr<L3DRenderer>& renderer = system.renderer();
    if (!renderer || !renderer->seManager) return;
    list.count = 0;
    list.groups.Reset();
    const std::vector<SeGroupEntry> entries = parseSeGroupList(text);
    list.count = static_cast<uint32_t>(entries.size());
    list.groups.Allocate(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        list.groups[i] = renderer->seManager->LoadGroup(
            defaultPack(), packName(entries[i].name).c_str(), nullptr, entries[i].typeId);
}
