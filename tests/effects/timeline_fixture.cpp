#include "tests/effects/timeline_fixture.h"

namespace tessera::test {

namespace {

template <size_t N>
std::ostream& list(std::ostream& out, const std::array<float, N>& values) {
    out << '(';
    for (size_t i = 0; i < N; ++i) out << (i ? " " : "") << values[i];
    return out << ')';
}

template <size_t N>
std::array<float, N> copyOf(const float* values) {
    std::array<float, N> out{};
    for (size_t i = 0; i < N; ++i) out[i] = values[i];
    return out;
}

PartState stateOf(const L3D_EFFECT_WORKPART& work) {
    PartState s;
    const L3D_EFFECT_WORKROOT& instance = *work.instance;
    s.record =
        &work == &instance.rootPart ? -1 : static_cast<int>(work.part - instance.root->parts.Get());
    s.frame = work.frame;
    s.image = work.image;
    s.imageMode = work.imageMode;
    s.model = work.model;
    s.drawPriority = work.drawPriority;
    s.colour = copyOf<4>(work.colour);
    s.finalColour = copyOf<4>(work.finalColour);
    s.position = copyOf<3>(work.position);
    s.scale = copyOf<3>(work.scale);
    s.rotation = copyOf<4>(work.rotation);
    if (work.trail) {
        s.samples = work.trail->sampleCount;
        s.provisional = work.trail->provisionalCount;
    }
    return s;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const PartState& s) {
    out << "part " << s.record << " frame " << s.frame << " image " << s.image << "/" << s.imageMode
        << " model " << s.model << " priority " << s.drawPriority << " colour ";
    list(out, s.colour) << " final ";
    list(out, s.finalColour) << " position ";
    list(out, s.position) << " scale ";
    list(out, s.scale) << " rotation ";
    list(out, s.rotation) << " trail " << s.samples << "+" << s.provisional;
    return out;
}

std::vector<PartState> partStates(const L3D_EFFECT_WORKROOT& instance) {
    std::vector<PartState> out{stateOf(instance.rootPart)};
    for (const L3D_EFFECT_WORKPART* part = instance.children; part; part = part->next)
        out.push_back(stateOf(*part));
    return out;
}

tools::writers::EffectEvent event(int32_t time, uint32_t kind, std::vector<uint32_t> words) {
    tools::writers::EffectEvent e;
    e.time = time;
    e.kind = kind;
    for (size_t i = 0; i < words.size() && i < e.words.size(); ++i) e.words[i] = words[i];
    return e;
}

uint32_t F(float value) { return tools::writers::effectFloatWord(value); }
uint32_t I(int32_t value) { return static_cast<uint32_t>(value); }

void EffectTimeline::SetUp() {
    EffectTest::SetUp();
    useDevice();
    tools::writers::EffectDefinition definition;
    definition.imageOptions.push_back(0);
    for (uint32_t d = 0; d < kImageDefs; ++d) {
        tools::writers::EffectImageDef def;
        def.blend = d;
        def.colour = {0.5f, 1.0f, 1.0f, 1.0f};
        definition.imageDefs.push_back(def);
    }
    setProp(definition);
    L3DRandom::Seed(kSeed, renderer_.random);
    twin_ = renderer_.random;
}

const L3D_EFFECT_DATA* EffectTimeline::load(const tools::writers::EffectData& data) {
    return loadData(data, "effect/timeline" + std::to_string(loads_++));
}

const L3D_EFFECT_DATA* EffectTimeline::loadRoot(
    std::vector<tools::writers::EffectEvent> rootEvents,
    std::vector<std::vector<tools::writers::EffectEvent>> parts) {
    tools::writers::EffectData data = oneRoot(std::move(rootEvents));
    for (auto& events : parts) data.roots[0].parts.push_back({0, std::move(events)});
    return load(data);
}

L3D_EFFECT_WORKROOT* EffectTimeline::play(const L3D_EFFECT_DATA* data, const void* key,
                                          const float* trailA, const float* trailB,
                                          uint32_t lifetime, uint32_t startDelay) {
    const float origin[3] = {};
    const float unturned[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const float unscaled[3] = {1.0f, 1.0f, 1.0f};
    const uint32_t user[2] = {};
    manager_.Play(data, 0, startDelay, lifetime, origin, unturned, unscaled, user, key, nullptr,
                  trailA, trailB);
    return manager_.active;
}

std::vector<std::vector<PartState>> EffectTimeline::run(int frames) {
    std::vector<std::vector<PartState>> out;
    for (int f = 0; f < frames; ++f) {
        manager_.Task();
        out.push_back(manager_.active ? partStates(*manager_.active) : std::vector<PartState>{});
    }
    return out;
}

std::vector<std::vector<int32_t>> EffectTimeline::frames(int count) {
    std::vector<std::vector<int32_t>> out;
    for (const auto& parts : run(count)) {
        std::vector<int32_t> frames;
        for (const PartState& part : parts) frames.push_back(part.frame);
        out.push_back(frames);
    }
    return out;
}

}  // namespace tessera::test
