// The sections of the whole model: shader options, texture areas and the dropped old sections.
#include <functional>
#include <string>
#include <vector>

#include "foundation/pack/field_readers.h"
#include "model3d/L3DObjectData.h"
#include "tests/model3d/model_fixture.h"
#include "tools/writers/model_writer.h"

namespace {

using namespace tools::writers;

constexpr uint32_t Sentinel = 0x5E471E11;
// The pool every case refers into: "arm" at 0, "skin" at 4, "tex.dds" at 9, "glow.dds" at 17.
const std::string PoolText = std::string("arm\0skin\0tex.dds\0glow.dds", 25);

std::string refText(const L3D_NAMEREF& ref) {
    return ref.text ? std::string(ref.text, ref.length) : std::string("<none>");
}

// One option of each kind, with every field set so that a misread one shows.
std::vector<ModelShaderOption> everyKind() {
    std::vector<ModelShaderOption> options;
    for (uint32_t kind : {0u, 1u, 2u, 3u, 4u, 5u, 10u}) {
        ModelShaderOption option;
        option.kind = kind;
        option.colour1 = {0.1f, 0.2f, 0.3f, 0.4f};
        option.colour2 = {0.5f, 0.6f, 0.7f, 0.8f};
        option.texture1 = modelRef(9, 7);
        option.texture2 = modelRef(17, 8);
        option.factor1 = 2.5f;
        option.factor2 = 3.5f;
        option.furVector = {1.0f, -1.0f, 0.25f};
        option.partName = modelRef(0, 3);
        option.materialName = modelRef(4, 4);
        option.flags = 5 + kind;
        option.value = 1.25f;
        option.block = {9.0f, 8.0f, 7.0f, 6.0f};
        option.extraWord = 100 + kind;
        options.push_back(option);
    }
    return options;
}

class ObjectSections : public ModelReaderTest {
protected:
    // Writes the pool, then what `body` writes, then the sentinel and room for one more
    // record (so that a short bad record fails for its own fault, not for its size), and
    // opens it.
    template <class Body>
    void write(Body body) {
        ScrambledFieldWriter out;
        out.string(PoolText);
        body(out);
        out.u32(Sentinel);
        out.bytes(std::string(80, '\0'));
        open(out.data());
        pool_ = l3dReadModelPool(file_, poolText_);
    }
    void expectSentinel() { EXPECT_EQ(lfmReadU32(file_), Sentinel); }

    mirel::DString poolText_;
    L3DModelPool pool_;
    mirel::DList<L3D_RENDERER_SHADEROPT> options_;
};

TEST_F(ObjectSections, EveryShaderKindReadsItsOwnFieldsAndTheCommonOnes) {
    write([](ScrambledFieldWriter& out) { writeModelShaderOptions(out, 16, everyKind()); });
    L3DObjectData::_LoadShader(file_, 16, pool_, options_);
    expectSentinel();
    ASSERT_EQ(options_.Count(), 7u);

    auto it = options_._GetFirstNode();
    std::vector<uint32_t> kinds;
    for (; it != options_._GetEndNode(); it = it.Next()) {
        const L3D_RENDERER_SHADEROPT& option = *it.GetRef();
        SCOPED_TRACE(option.shaderType);
        kinds.push_back(option.shaderType);
        EXPECT_EQ(refText(option.materialName), "arm");
        EXPECT_EQ(refText(option.alternativeName), "skin");
        EXPECT_EQ(option.blendType, 5 + option.shaderType);
        EXPECT_EQ(option.edgeWidth, 1.25f);
        EXPECT_EQ(option.edgeColor[3], 6.0f);
        EXPECT_EQ(option.addressFlag, 100 + option.shaderType);
    }
    EXPECT_EQ(kinds, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 10}));

    it = options_._GetFirstNode();
    auto* normal = dynamic_cast<L3D_RENDERER_SHADEROPT_NORMAL*>(it.GetRef().Get());
    ASSERT_NE(normal, nullptr);
    EXPECT_EQ(normal->color2[3], 0.8f);
    it = it.Next().Next();
    auto* fur = dynamic_cast<L3D_RENDERER_SHADEROPT_FURLIGHT*>(it.GetRef().Get());
    ASSERT_NE(fur, nullptr);
    EXPECT_EQ(refText(fur->textureName), "tex.dds");
    EXPECT_EQ(fur->power, 2.5f);
    EXPECT_EQ(fur->furVector[2], 0.25f);
    it = it.Next().Next().Next();
    auto* texFur = dynamic_cast<L3D_RENDERER_SHADEROPT_TEXFURLIGHT*>(it.GetRef().Get());
    ASSERT_NE(texFur, nullptr);
    EXPECT_EQ(refText(texFur->textureName2), "glow.dds");
    EXPECT_EQ(texFur->factor2, 3.5f);
    EXPECT_EQ(texFur->furVector[1], -1.0f);
    it = it.Next();
    auto* map3 = dynamic_cast<L3D_RENDERER_SHADEROPT_MAP3*>(it.GetRef().Get());
    ASSERT_NE(map3, nullptr);
    EXPECT_EQ(map3->color1[0], 0.1f);
    EXPECT_EQ(refText(map3->textureName1), "tex.dds");
    EXPECT_EQ(refText(map3->textureName2), "glow.dds");
}

TEST_F(ObjectSections, FlagsAndExtraWordDependOnTheVersion) {
    struct Case {
        uint32_t version;
        uint32_t flagsWritten;
        uint32_t flags;
        uint32_t extraWord;
    };
    const Case cases[] = {
        {0, 200, 1, 0},
        {2, 200, 1, 0},
        {2, 0, 0, 0},
        {3, 200, 200, 0},
        {13, 7, 7, 0},
        {14, 7, 7, 77},
        {16, 0x10000, 0x10000, 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ModelShaderOption option;
        option.kind = 3;
        option.flags = c.flagsWritten;
        option.extraWord = 77;
        write(
            [&](ScrambledFieldWriter& out) { writeModelShaderOptions(out, c.version, {option}); });
        L3DObjectData::_LoadShader(file_, c.version, pool_, options_);
        expectSentinel();
        ASSERT_EQ(options_.Count(), 1u);
        EXPECT_EQ(options_._GetFirstRef()->blendType, c.flags);
        EXPECT_EQ(options_._GetFirstRef()->addressFlag, c.extraWord);
        file_.Close();
    }
}

TEST_F(ObjectSections, BadSectionsStopWithTheirTexts) {
    struct Case {
        const char* what;
        uint32_t version;
        std::vector<ModelShaderOption> options;
        std::string text;
    };
    ModelShaderOption kind7;
    kind7.kind = 7;
    ModelShaderOption pastPool;
    pastPool.kind = 3;
    pastPool.materialName = modelRef(20, 6);
    const Case cases[] = {
        {"kind 7", 16, {kind7}, sjis("[L3DObjectData::_LoadShader] 未対応のシェーダタイプ(7)\n")},
        {"version 17",
         17,
         {},
         sjis("[L3DObjectData::_LoadShader] サポートしていないバージョン(17)\n")},
        {"reference past the pool", 16, {pastPool}, readFailedText()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t before = log_.text().size();
        write([&](ScrambledFieldWriter& out) { writeModelShaderOptions(out, 16, c.options); });
        EXPECT_THROW(L3DObjectData::_LoadShader(file_, c.version, pool_, options_), LExceptGame);
        EXPECT_EQ(log_.text().substr(before), c.text);
        file_.Close();
    }
}

TEST_F(ObjectSections, CountsBeyondTheFileFailBeforeAnyAllocation) {
    mirel::DList<L3D_OBJDATA_TEXAREA> areas;
    const std::function<void()> loaders[] = {
        [&] { L3DObjectData::_LoadShader(file_, 16, pool_, options_); },
        [&] { L3DObjectData::_LoadTexArea(file_, 16, pool_, areas); },
    };
    for (const auto& load : loaders) {
        const size_t before = log_.text().size();
        write([](ScrambledFieldWriter& out) { out.u32(0x40000000); });
        EXPECT_THROW(load(), LExceptGame);
        EXPECT_EQ(log_.text().substr(before), readFailedText());
        file_.Close();
    }
}

TEST_F(ObjectSections, TextureAreasAreListedInFileOrder) {
    ModelTexArea first;
    first.areaName = modelRef(4, 4);
    first.partName = modelRef(0, 3);
    first.textureName = modelRef(9, 7);
    first.u = 0.25f;
    first.height = 0.5f;
    ModelTexArea second;
    second.areaName = modelRef(17, 8);
    second.v = 0.75f;
    write([&](ScrambledFieldWriter& out) { writeModelTexAreas(out, {first, second}); });
    mirel::DList<L3D_OBJDATA_TEXAREA> areas;
    L3DObjectData::_LoadTexArea(file_, 16, pool_, areas);
    expectSentinel();
    ASSERT_EQ(areas.Count(), 2u);
    const L3D_OBJDATA_TEXAREA& a = *areas._GetFirstRef();
    EXPECT_EQ(refText(a.areaName), "skin");
    EXPECT_EQ(refText(a.partName), "arm");
    EXPECT_EQ(refText(a.materialName), "<none>");
    EXPECT_EQ(refText(a.textureName), "tex.dds");
    EXPECT_EQ(a.u, 0.25f);
    EXPECT_EQ(a.width, 1.0f);
    EXPECT_EQ(a.height, 0.5f);
    const L3D_OBJDATA_TEXAREA& b = *areas._GetFirstNode().Next().GetRef();
    EXPECT_EQ(refText(b.areaName), "glow.dds");
    EXPECT_EQ(b.v, 0.75f);
}

TEST_F(ObjectSections, AnEmptySectionLeavesAnEmptyList) {
    write([](ScrambledFieldWriter& out) {
        writeModelShaderOptions(out, 16, {});
        writeModelTexAreas(out, {});
    });
    mirel::DList<L3D_OBJDATA_TEXAREA> areas;
    L3DObjectData::_LoadShader(file_, 16, pool_, options_);
    L3DObjectData::_LoadTexArea(file_, 16, pool_, areas);
    expectSentinel();
    EXPECT_EQ(options_.Count(), 0u);
    EXPECT_EQ(areas.Count(), 0u);
}

TEST_F(ObjectSections, OldSectionsAreSkippedExactlyForTheirVersions) {
    for (uint32_t version : {0u, 3u, 4u, 5u, 6u, 7u, 16u}) {
        SCOPED_TRACE(version);
        write([&](ScrambledFieldWriter& out) { writeModelOldSections(out, version); });
        L3DObjectData::_SkipOldSections(file_, version);
        expectSentinel();
        file_.Close();
    }
}

TEST(ModelWriter, AReferenceIsThreeScrambledWords) {
    ScrambledFieldWriter out;
    writeModelRef(out, {1, 2, 3});
    // 01 00 00 00 02 00 00 00 03 00 00 00, each byte XORed with its position.
    EXPECT_EQ(out.data(), std::string("\x01\x01\x02\x03\x06\x05\x06\x07\x0B\x09\x0A\x0B", 12));
}

}  // namespace
