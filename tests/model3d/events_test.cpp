// Event lists: the bodies by kind and by version, and the kinds the reader refuses.
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/pack/field_readers.h"
#include "model3d/L3DObjectData.h"
#include "tests/model3d/model_fixture.h"
#include "tools/writers/model_writer.h"

namespace {

using namespace tools::writers;

constexpr uint32_t Sentinel = 0x0E7E4750;
// "arm" at 0, "bone" at 4, "fx" at 9, "tail" at 12.
const std::string PoolText = std::string("arm\0bone\0fx\0tail", 16);

std::string refText(const L3D_NAMEREF& ref) {
    return ref.text ? std::string(ref.text, ref.length) : std::string("<none>");
}

// A sound, an effect, a kind-3 effect, a texture animation and a go-to-frame event.
std::vector<ModelEvent> eventList() {
    ModelEvent se;
    se.kind = 1;
    se.frame = 10;
    se.groupIndex = 2;
    se.soundNumber = 7;
    se.alternatives = {8, 9};
    se.name1 = modelRef(0, 3);
    se.name2 = modelRef(4, 4);
    ModelEvent effect;
    effect.kind = 2;
    effect.frame = 20;
    effect.effectNumber = 4;
    effect.name1 = modelRef(0, 3);
    effect.position = {1.0f, 2.0f, 3.0f};
    effect.scale = {2.0f, 2.0f, 2.0f};
    effect.userPair = modelRef(9, 2);
    effect.follow = {modelRef(0, 3), modelRef(4, 4), modelRef(12, 4), modelRef(9, 2)};
    effect.lifetime = 90;
    ModelEvent ownEffect = effect;
    ownEffect.kind = 3;
    ownEffect.frame = 25;
    ModelEvent texAnim;
    texAnim.kind = 6;
    texAnim.frame = 30;
    texAnim.name2 = modelRef(12, 4);
    texAnim.texAnimBytes = {1, 0, 1};
    texAnim.texAnimFloats = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f};
    texAnim.texAnimPeriods = {60, 120};
    ModelEvent goFrame;
    goFrame.frame = 40;
    goFrame.word = 5;
    return {se, effect, ownEffect, texAnim, goFrame};
}

class Events : public ModelReaderTest {
protected:
    void load(uint32_t writtenVersion, uint32_t readVersion,
              const std::vector<ModelEvent>& events) {
        ScrambledFieldWriter out;
        out.string(PoolText);
        writeModelEvents(out, writtenVersion, events);
        out.u32(Sentinel);
        out.bytes(std::string(64, '\0'));
        open(out.data());
        const L3DModelPool pool = l3dReadModelPool(file_, poolText_);
        L3DObjectData::_LoadEvent(file_, events_, pool, readVersion);
    }
    template <class T>
    T& at(uint32_t index) {
        auto it = events_._GetFirstNode();
        for (uint32_t i = 0; i < index; ++i) it = it.Next();
        auto* event = dynamic_cast<T*>(it.GetRef().Get());
        if (!event) throw std::runtime_error("wrong event class");
        return *event;
    }

    mirel::DString poolText_;
    mirel::DList<L3D_OBJDATA_EVENT> events_;
};

TEST_F(Events, BodiesFollowTheVersion) {
    struct Case {
        uint32_t version;
        uint32_t groupIndex;
        uint32_t alternatives;
        uint32_t lifetime;
    };
    const Case cases[] = {
        {8, 0, 0, L3DEffectEndless},
        {9, 2, 0, L3DEffectEndless},
        {10, 2, 0, L3DEffectEndless},
        {11, 2, 0, L3DEffectEndless},
        {12, 2, 0, 90},
        {13, 2, 2, 90},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        load(c.version, c.version, eventList());
        EXPECT_EQ(lfmReadU32(file_), Sentinel);
        ASSERT_EQ(events_.Count(), 5u);

        const auto& se = at<L3D_OBJDATA_EVENT_SE>(0);
        EXPECT_EQ(se.kind, 1u);
        EXPECT_EQ(se.frame, 10u);
        EXPECT_EQ(se.groupIndex, c.groupIndex);
        EXPECT_EQ(se.soundNumber, 7u);
        ASSERT_EQ(se.alternativeCount, c.alternatives);
        if (c.alternatives) {
            EXPECT_EQ(se.alternatives.Get()[1], 9u);
        }
        EXPECT_EQ(refText(se.boneName), "bone");

        for (uint32_t index : {1u, 2u}) {
            const auto& effect = at<L3D_OBJDATA_EVENT_EFFECT>(index);
            EXPECT_EQ(effect.kind, index + 1);  // kind 3 keeps 3
            EXPECT_EQ(effect.effectNumber, 4u);
            EXPECT_EQ(effect.position[2], 3.0f);
            EXPECT_EQ(effect.rotation[3], 1.0f);
            EXPECT_EQ(effect.scale[0], 2.0f);
            EXPECT_EQ(refText(effect.userPair), "fx");
            EXPECT_EQ(refText(effect.followPart1), c.version >= 10 ? "arm" : "<none>");
            EXPECT_EQ(refText(effect.followBone1), c.version >= 10 ? "bone" : "<none>");
            EXPECT_EQ(refText(effect.followPart2), c.version >= 11 ? "tail" : "<none>");
            EXPECT_EQ(refText(effect.followBone2), c.version >= 11 ? "fx" : "<none>");
            EXPECT_EQ(effect.lifetime, c.lifetime);
        }

        const auto& texAnim = at<L3D_OBJDATA_EVENT_TEXANIM>(3);
        EXPECT_EQ(refText(texAnim.materialName), "tail");
        EXPECT_EQ(texAnim.scrollOn, 1u);
        EXPECT_EQ(texAnim.vBaseHeight, 0.4f);
        EXPECT_EQ(texAnim.vWavePeriod, 120u);
        EXPECT_EQ(texAnim.vLimit, 0.8f);
        EXPECT_EQ(at<L3D_OBJDATA_EVENT_GOFRAME>(4).targetFrame, 5u);
        EXPECT_EQ(at<L3D_OBJDATA_EVENT_GOFRAME>(4).frame, 40u);
        file_.Close();
    }
}

TEST_F(Events, TexSetAndCollisionSwitchRecords) {
    ModelEvent texSet;
    texSet.kind = 0;
    texSet.name1 = modelRef(0, 3);
    texSet.name2 = modelRef(4, 4);
    ModelEvent setColl;
    setColl.kind = 4;
    setColl.name1 = modelRef(12, 4);
    setColl.word = 2;
    load(16, 16, {texSet, setColl});
    EXPECT_EQ(lfmReadU32(file_), Sentinel);
    EXPECT_EQ(refText(at<L3D_OBJDATA_EVENT_TEXSET>(0).toArea), "bone");
    EXPECT_EQ(refText(at<L3D_OBJDATA_EVENT_SETCOLL>(1).collGroupName), "tail");
    EXPECT_EQ(at<L3D_OBJDATA_EVENT_SETCOLL>(1).mode, 2u);
}

TEST_F(Events, RefusedInputsStopWithTheirTexts) {
    ModelEvent kind7;
    kind7.kind = 7;
    struct Case {
        const char* what;
        uint32_t readVersion;
        std::vector<ModelEvent> events;
        std::string text;
    };
    const Case cases[] = {
        {"kind 7", 16, {kind7}, sjis("[L3DObjectData::_LoadEvent] 未対応のイベントタイプ(7)\n")},
        {"version 17",
         17,
         {},
         sjis("[L3DObjectData::_LoadEvent] サポートしていないバージョン(17)\n")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t before = log_.text().size();
        EXPECT_THROW(load(16, c.readVersion, c.events), LExceptGame);
        EXPECT_EQ(log_.text().substr(before), c.text);
        file_.Close();
    }
}

TEST_F(Events, AnAlternativeCountBeyondTheFileFails) {
    ScrambledFieldWriter out;
    out.string(PoolText);
    out.u32(1);
    out.u32(1);           // kind: sound
    out.u32(0);           // group index
    out.u32(3);           // sound number
    out.u32(0x20000000);  // alternatives
    out.bytes(std::string(64, '\0'));
    open(out.data());
    const L3DModelPool pool = l3dReadModelPool(file_, poolText_);
    EXPECT_THROW(L3DObjectData::_LoadEvent(file_, events_, pool, 13), LExceptGame);
    EXPECT_EQ(log_.text(), readFailedText());
}

}  // namespace
