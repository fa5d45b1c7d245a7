#include "tests/model3d/object_fixture.h"

#include "foundation/DFile.h"
#include "model3d/L3DObjectData.h"
#include "tests/foundation/support/memory_stream.h"

namespace tessera::test {

using namespace tools::writers;

ModelFile figureModel() {
    ModelFile model;
    model.name = "figure";
    ModelPart torso;
    torso.name = "torso";
    torso.bones = {ModelBone{"arm", "", {0, 1, 0}, {0, 1, 0}, 0, {}}};
    ModelPart head;
    head.name = "head";
    model.parts = {torso, head};
    model.partGroups = {ModelPartGroup{
        "group",
        {ModelPartGroupMember{1, "", 0, 0, {}, {}}, ModelPartGroupMember{2, "", 1, 1, {}, {}}}}};
    model.collGroups = {ModelCollGroup{"guard", "", 3, 0, {ModelSphere{1, 0, {0, 0, 0}, 1.0f}}}};

    ModelAnim walk;
    walk.name = "walk";
    walk.endFrame = 10;
    walk.loopFrame = 0;
    walk.partGroup = 1;
    walk.motions = {ModelMotion{1, 0, {ModelKey{}}, {}},
                    ModelMotion{1,
                                1,
                                {ModelKey{0, 0, {}, keyRotation(0, 0, 1, 0)},
                                 ModelKey{10, 0, {}, keyRotation(0, 0, 1, 90)}},
                                {}},
                    ModelMotion{2, 0, {ModelKey{}}, {}}};
    ModelAnim idle;
    idle.name = "idle";
    idle.endFrame = 30;
    idle.loopFrame = 30;
    idle.partGroup = 1;
    idle.motions = {ModelMotion{1, 0, {ModelKey{0, 0, {0, 0, 0}}, ModelKey{10, 0, {0, 1, 0}}}, {}},
                    ModelMotion{1, 1, {}, {}}, ModelMotion{2, 0, {}, {}}};
    model.anims = {walk, idle};
    return model;
}

ModelEvent modelEvent(uint32_t kind, uint32_t frame) {
    ModelEvent event;
    event.kind = kind;
    event.frame = frame;
    event.lifetime = 0xFFFFFFFF;
    return event;
}

void ObjectTest::SetUp() {
    savedMode_ = l3dDiagMode;
    savedThreshold_ = l3dLogThreshold;
    l3dDiagMode = l3dDiagDefer;
    l3dLogThreshold = 0;
    mirel::DMathInitTables();
    renderer_ = std::make_unique<L3DRenderer>();
    renderer_->effectManager.Create();
    renderer_->effectManager->Init(mirel::rcptr<L3DRenderer>::NonOwning(renderer_.get()));
    renderer_->seManager = std::make_unique<mirel::LSeManager>(&sound_.manager, 60.0f);
    renderer_->seManager->_ReserveTypeSettings();
}

void ObjectTest::TearDown() {
    renderer_.reset();
    l3dTermDiag();
    l3dDiagMode = savedMode_;
    l3dLogThreshold = savedThreshold_;
}

void ObjectTest::writeEffects(uint32_t roots, uint32_t flags) {
    EffectData data;
    data.roots.resize(roots);
    for (EffectRoot& root : data.roots) root.flags = flags;
    packs_.pack->files["chr/effdata.dat"] = effectDataFile(data);
}

mirel::rcptr<L3DObjectInstance> ObjectTest::create(const ModelFile& model) {
    if (!resource_) {
        resource_ = renderer_->names.AddNnid("chr/");
        renderer_->effectManager->LoadData(resource_, packs_.index, "chr/effdata");
    }
    return renderer_->CreateObjectInstance(loadModel(model), {0, nullptr, resource_});
}

mirel::LSeManager::_GROUPINFO* ObjectTest::loadSounds(uint32_t effects, const std::string& flags) {
    packs_.pack->files["se/boom.wav"] = countingWave(1, 22050, 2000);
    std::vector<SeGroupSection> sections{{"@prop", {{"count", std::to_string(effects)}}}};
    for (uint32_t i = 0; i < effects; ++i)
        sections.push_back(
            {"@se" + std::to_string(i),
             {{"name", "boom"}, {"count", "1"}, {"flags", flags.empty() ? "0" : flags}}});
    packs_.pack->files["se/group.prp"] = seGroupFile(sections);
    return renderer_->seManager->LoadGroup(packs_.index, "se/group", nullptr, 0);
}

std::vector<uint32_t> ObjectTest::playingSounds(const mirel::LSeManager::_GROUPINFO* group) const {
    std::vector<uint32_t> numbers;
    for (auto* voice = renderer_->seManager->_GetPlayingHead(); voice; voice = voice->next)
        if (voice->effect && voice->effect->group == group)
            numbers.insert(numbers.begin(),
                           static_cast<uint32_t>(voice->effect - group->effects.Get()));
    return numbers;
}

uint32_t ObjectTest::activeEffects() const {
    uint32_t count = 0;
    for (auto* root = renderer_->effectManager->active; root; root = root->next) ++count;
    return count;
}

L3DPartInstance& ObjectTest::part(L3DObjectInstance& instance, uint32_t index) {
    auto it = instance.parts._GetFirstNode();
    for (uint32_t i = 0; i < index; ++i) it = it.Next();
    return *it.GetRef();
}

L3DAnimState& ObjectTest::arm(L3DObjectInstance& instance) {
    return part(instance, 0).bones[0].node;
}

}  // namespace tessera::test
