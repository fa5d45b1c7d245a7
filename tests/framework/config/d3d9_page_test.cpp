// The video page over adapter profiles: format choices, the usable modes, loading and saving
// the video keys, the page's controls and the report's video block.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/config/d3d9_page.h"
#include "tests/framework/config/config_fixture.h"

namespace {

using namespace platform::d3d9;
using platform::window::DialogControlKind;
using platform::window::HeadlessDialogToolkit;

// The start-up configuration's mode table.
const PEL_D3D9_MODE kModes[] = {
    {0, 1280, 960, 0}, {0, 1280, 1024, 0}, {0, 1024, 768, 0}, {0, 800, 600, 0}, {0, 640, 480, 0},
    {1, 1280, 960, 0}, {1, 1280, 1024, 0}, {1, 1024, 768, 0}, {1, 800, 600, 0}, {1, 640, 480, 0},
    {2, 1280, 960, 0}, {2, 1024, 768, 0},  {2, 800, 600, 0},  {2, 640, 480, 0}};
const PEL_D3D9_REQUIREMENTS kRequirements{kModes, 14, 1024, true};

AdapterProfile testAdapter() {
    AdapterProfile profile = softwareAdapterProfile();
    std::strcpy(profile.identifier.Description, "Test GPU");
    profile.identifier.DriverVersion =
        (LARGE_INTEGER{6} << 48) | (LARGE_INTEGER{14} << 32) | (10 << 16) | 4;
    return profile;
}

AdapterProfile withoutMode(AdapterProfile profile, UINT width, UINT height) {
    std::erase_if(profile.modes, [&](const D3DDISPLAYMODE& mode) {
        return mode.Width == width && mode.Height == height;
    });
    return profile;
}

AdapterProfile withoutDxt(AdapterProfile profile) {
    std::erase_if(profile.formats, [](const FormatSupport& format) {
        return format.format == D3DFMT_DXT1 || format.format == D3DFMT_DXT3 ||
               format.format == D3DFMT_DXT5;
    });
    return profile;
}

// A 16-bit display: R5G6B5 desktop and modes, 16-bit textures, D16 depth; DXT5 on request.
AdapterProfile sixteenBitAdapter(bool dxt5) {
    AdapterProfile profile = testAdapter();
    profile.desktop.Format = D3DFMT_R5G6B5;
    for (D3DDISPLAYMODE& mode : profile.modes) mode.Format = D3DFMT_R5G6B5;
    profile.deviceTypes = {{D3DFMT_R5G6B5, D3DFMT_R5G6B5}};
    profile.formats = {{D3DRTYPE_TEXTURE, D3DFMT_A1R5G5B5, 0},
                       {D3DRTYPE_TEXTURE, D3DFMT_A4R4G4B4, 0},
                       {D3DRTYPE_SURFACE, D3DFMT_R5G6B5, D3DUSAGE_RENDERTARGET},
                       {D3DRTYPE_SURFACE, D3DFMT_D16, D3DUSAGE_DEPTHSTENCIL}};
    if (dxt5) profile.formats.push_back({D3DRTYPE_TEXTURE, D3DFMT_DXT5, 0});
    profile.depthFormats = {D3DFMT_D16};
    return profile;
}

class VideoPage : public tessera::test::ConfigDialogTest {
protected:
    void TearDown() override {
        pelD3d9Finalize();
        setDirect3DCreate9Override(nullptr);
        ConfigDialogTest::TearDown();
    }

    // Starts the module over these adapters; no adapters at all: no Direct3D.
    void useAdapters(std::vector<AdapterProfile> adapters, bool present = true) {
        pelD3d9Finalize();
        setDirect3DCreate9Override([adapters, present](UINT) -> IDirect3D9* {
            if (!present) return nullptr;
            Direct3DConfig config;
            config.adapters = adapters;
            return new IDirect3D9(config);
        });
        pelD3d9Initialize();
    }

    // Runs the dialog with the video page; `steps` act on the shown dialog (hidden without).
    PEL_STATUS run(std::vector<HeadlessDialogToolkit::Step> steps = {}) {
        pelD3d9ConfigAddPage(&settings, &dialog, &kRequirements);
        for (auto& step : steps) toolkit.then(step);
        return pelMswConfigRunWith(&dialog, !steps.empty(), toolkit);
    }

    // The video block of the logged report.
    std::u16string videoReport() const {
        const std::vector<std::u16string> logged = reports(PEL_REPORT_INFORMATION);
        if (logged.empty()) return u"(none)";
        const size_t at = logged.back().find(u"-----\r\nVideo Setting");
        return at == std::u16string::npos ? u"(none)" : logged.back().substr(at);
    }

    size_t warnings(std::u16string_view text) const {
        size_t count = 0;
        for (const std::u16string& warning : reports(PEL_REPORT_WARNING))
            count += warning.find(text) != std::u16string::npos;
        return count;
    }

    PEL_MSW_CONTROL combo(HeadlessDialogToolkit& t, int n) {
        return t.nth(t.modalWindow(), DialogControlKind::Combo, n);
    }
    PEL_MSW_CONTROL check(HeadlessDialogToolkit& t, int n) {
        return t.nth(t.modalWindow(), DialogControlKind::Check, n);
    }
    static void showVideoTab(HeadlessDialogToolkit& t) {
        ASSERT_TRUE(t.selectTab(t.nth(t.modalWindow(), DialogControlKind::Tab, 0), 1));
    }
    static void clickOk(HeadlessDialogToolkit& t) { ASSERT_TRUE(t.click(t.find(0, u"OK"))); }

    PEL_D3D9_SETTINGS settings{};
};

TEST_F(VideoPage, FormatChoicesOnTheSoftwareAndSixteenBitProfiles) {
    useAdapters({testAdapter(), sixteenBitAdapter(false), sixteenBitAdapter(true)});
    EXPECT_EQ(pelD3d9PickDisplayFormat(0, 0), D3DFMT_X8R8G8B8);
    EXPECT_EQ(pelD3d9PickDisplayFormat(1, 0), D3DFMT_UNKNOWN);
    EXPECT_EQ(pelD3d9PickDisplayFormat(2, 0), D3DFMT_X8R8G8B8);
    EXPECT_EQ(pelD3d9PickDepthFormat(0, D3DFMT_X8R8G8B8), D3DFMT_D24X8);
    EXPECT_EQ(pelD3d9PickTextureFormat(D3DFMT_X8R8G8B8, 0), D3DFMT_A8R8G8B8);
    EXPECT_EQ(pelD3d9PickAlphaTextureFormat(D3DFMT_X8R8G8B8, 0), D3DFMT_A8R8G8B8);
    EXPECT_TRUE(pelD3d9CanCompressTextures(D3DFMT_X8R8G8B8, 0));
    EXPECT_TRUE(pelD3d9HasVertexShader20(0));
    EXPECT_TRUE(pelD3d9HasPixelShader20(0));
    EXPECT_TRUE(
        pelD3d9CheckMultisample(0, D3DFMT_X8R8G8B8, true, static_cast<D3DMULTISAMPLE_TYPE>(4)));

    EXPECT_EQ(pelD3d9PickDisplayFormat(0, 1), D3DFMT_UNKNOWN);
    EXPECT_EQ(pelD3d9PickDisplayFormat(1, 1), D3DFMT_R5G6B5);
    EXPECT_EQ(pelD3d9PickDepthFormat(1, D3DFMT_R5G6B5), D3DFMT_D16);
    EXPECT_EQ(pelD3d9PickTextureFormat(D3DFMT_R5G6B5, 1), D3DFMT_A1R5G5B5);
    EXPECT_EQ(pelD3d9PickAlphaTextureFormat(D3DFMT_R5G6B5, 1), D3DFMT_A4R4G4B4);
    EXPECT_FALSE(pelD3d9CanCompressTextures(D3DFMT_R5G6B5, 1));
    EXPECT_TRUE(pelD3d9CanCompressTextures(D3DFMT_R5G6B5, 2));

    EXPECT_EQ(pelD3d9FormatClass(D3DFMT_A2R10G10B10), 0u);
    EXPECT_EQ(pelD3d9FormatClass(D3DFMT_X1R5G5B5), 1u);
    D3DMULTISAMPLE_TYPE type{};
    EXPECT_TRUE(pelD3d9GetMultisampleType(0, &type));
    EXPECT_EQ(type, D3DMULTISAMPLE_NONE);
    EXPECT_TRUE(pelD3d9GetMultisampleType(15, &type));
    EXPECT_EQ(type, D3DMULTISAMPLE_16_SAMPLES);
    EXPECT_FALSE(pelD3d9GetMultisampleType(16, &type));

    useAdapters({}, false);
    EXPECT_EQ(pelD3d9PickDisplayFormat(2, 0), D3DFMT_UNKNOWN);
    EXPECT_FALSE(pelD3d9CanCompressTextures(D3DFMT_X8R8G8B8, 0));
    EXPECT_FALSE(pelD3d9HasVertexShader20(0));
}

TEST_F(VideoPage, TheIndexThUsableEntry) {
    useAdapters({testAdapter(), withoutMode(testAdapter(), 1280, 960), sixteenBitAdapter(false)});
    struct Case {
        uint32_t adapter, index;
        bool usable;
        PEL_D3D9_MODE mode;
    };
    const Case cases[] = {
        {0, 0, true, {0, 1280, 960, 0}},
        {0, 4, true, {0, 640, 480, 0}},
        // No 16-bit modes: the window rows follow.
        {0, 5, true, {2, 1280, 960, 0}},
        {0, 8, true, {2, 640, 480, 0}},
        {0, 9, false, {}},
        // Without a 1280 x 960 display mode only the window row of that size is left.
        {1, 0, true, {0, 1280, 1024, 0}},
        {1, 4, true, {2, 1280, 960, 0}},
        // 16-bit only: the 16-bit rows; the window rows use the R5G6B5 desktop.
        {2, 0, true, {1, 1280, 960, 0}},
        {2, 5, true, {2, 1280, 960, 0}},
        {3, 0, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "adapter " << c.adapter << " index " << c.index);
        PEL_D3D9_MODE mode{};
        ASSERT_EQ(pelD3d9CheckAdapter(&mode, &kRequirements, c.adapter, c.index), c.usable);
        if (!c.usable) continue;
        EXPECT_EQ(mode.kind, c.mode.kind);
        EXPECT_EQ(mode.width, c.mode.width);
        EXPECT_EQ(mode.height, c.mode.height);
    }
    // A minimum texture size beyond the adapter's maximum rules the adapter out.
    PEL_D3D9_REQUIREMENTS huge = kRequirements;
    huge.minTextureSize = 8192;
    PEL_D3D9_MODE mode{};
    EXPECT_FALSE(pelD3d9CheckAdapter(&mode, &huge, 0, 0));
}

TEST_F(VideoPage, SecondOfTwoIdenticalAdaptersIsSavedAndFoundAgain) {
    useAdapters({testAdapter(), testAdapter()});
    EXPECT_EQ(run({[&](HeadlessDialogToolkit& t) {
                  showVideoTab(t);
                  const PEL_MSW_CONTROL adapters = combo(t, 0);
                  ASSERT_EQ(t.control(adapters)->items.size(), 2u);
                  EXPECT_EQ(t.control(adapters)->items.text(1), u"Test GPU");
                  ASSERT_TRUE(t.select(adapters, 1));
                  ASSERT_TRUE(t.select(combo(t, 1), 6));  // Window 1024x768
                  ASSERT_TRUE(t.click(check(t, 1)));      // no flip
                  clickOk(t);
              }}),
              PEL_OK);
    EXPECT_EQ(setting(u"Config", u"videoGuid"), u"7e55e4a9_4c0fd3d9_115e319a_1602b7a");
    EXPECT_EQ(setting(u"Config", u"videoNo"), u"1");
    EXPECT_EQ(setting(u"Config", u"videoColor"), u"2");
    EXPECT_EQ(setting(u"Config", u"videoWidth"), u"1024");
    EXPECT_EQ(setting(u"Config", u"videoHeight"), u"768");
    EXPECT_EQ(setting(u"Config", u"videoMultisample"), u"0");
    EXPECT_EQ(setting(u"Config", u"videoCompress"), u"0");
    EXPECT_EQ(setting(u"Config", u"videoNoFlip"), u"1");
    EXPECT_EQ(setting(u"Config", u"videoCompatible"), u"0");

    EXPECT_EQ(run(), PEL_OK);
    EXPECT_EQ(settings.adapter, 1u);
    EXPECT_EQ(settings.flags, PEL_D3D9_VALID | PEL_D3D9_NO_FLIP);
    EXPECT_EQ(settings.mode.kind, 2u);
    EXPECT_EQ(settings.mode.width, 1024u);
    EXPECT_EQ(warnings(u"有効なビデオの設定"), 0u);
}

TEST_F(VideoPage, SavedSettingsThatNoLongerFitGiveTheDefaultsWithAWarning) {
    struct Case {
        const char* name;
        const char* keys;
    };
    const Case cases[] = {
        {"no videoGuid", "videoColor=0\r\nvideoWidth=1024\r\nvideoHeight=768\r\n"},
        {"mode the adapter lacks",
         "videoGuid=7e55e4a9_4c0fd3d9_115e319a_1602b7a\r\nvideoColor=0\r\n"
         "videoWidth=1280\r\nvideoHeight=1024\r\nvideoMultisample=3\r\n"},
        {"no second adapter",
         "videoGuid=7e55e4a9_4c0fd3d9_115e319a_1602b7a\r\nvideoNo=1\r\nvideoColor=0\r\n"
         "videoWidth=1280\r\nvideoHeight=960\r\n"},
        {"other adapter",
         "videoGuid=1_2_3_4\r\nvideoColor=0\r\nvideoWidth=1280\r\n"
         "videoHeight=960\r\n"},
    };
    useAdapters({withoutMode(testAdapter(), 1280, 1024)});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeSettings(std::string("[Config]\r\ndefault=1\r\nvideoCompress=1\r\n") + c.keys);
        tessera::test::ReportCapture::entries().clear();
        ASSERT_EQ(run(), PEL_OK);
        EXPECT_EQ(warnings(u"Warning: [loadSetting] 有効なビデオの設定が見つかりません。\r\n"
                           u"デフォルトの設定を使用します。"),
                  1u);
        EXPECT_EQ(settings.flags, PEL_D3D9_VALID);
        EXPECT_EQ(settings.multisample, 0u);
        EXPECT_EQ(settings.mode.width, 1280u);
        EXPECT_EQ(settings.mode.height, 960u);
    }
    // Without the defaults' flag nothing is loaded and nothing is warned about.
    writeSettings("[Config]\r\n");
    tessera::test::ReportCapture::entries().clear();
    ASSERT_EQ(run(), PEL_OK);
    EXPECT_EQ(warnings(u"有効なビデオの設定"), 0u);
}

TEST_F(VideoPage, AdapterSwitchSelectsItsFirstModeAndResetsMultisamplingWhenItDiffers) {
    struct Case {
        const char* name;
        AdapterProfile second;
        uint32_t width, height, multisample;
    };
    const Case cases[] = {
        {"same first mode", testAdapter(), 1280, 960, 3},
        {"other first mode", withoutMode(testAdapter(), 1280, 960), 1280, 1024, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useAdapters({testAdapter(), c.second});
        PEL_MSW_CONTROL multisample = 0;
        ASSERT_EQ(run({[&](HeadlessDialogToolkit& t) {
                      showVideoTab(t);
                      multisample = combo(t, 2);
                      ASSERT_TRUE(t.select(multisample, 3));  // 4 samples
                      EXPECT_EQ(t.control(multisample)->items.text(3), u"4 samples");
                      ASSERT_TRUE(t.select(combo(t, 0), 1));
                      EXPECT_EQ(t.control(combo(t, 1))->items.selection(), 0);
                      EXPECT_EQ(t.comboSelectedData(multisample),
                                static_cast<intptr_t>(c.multisample));
                      clickOk(t);
                  }}),
                  PEL_OK);
        EXPECT_EQ(settings.adapter, 1u);
        EXPECT_EQ(settings.mode.width, c.width);
        EXPECT_EQ(settings.mode.height, c.height);
        EXPECT_EQ(settings.multisample, c.multisample);
    }
}

TEST_F(VideoPage, CompressBoxFollowsDxtForTheModesDisplayFormat) {
    struct Case {
        const char* name;
        AdapterProfile adapter;
        bool enabled;
    };
    const Case cases[] = {
        {"DXT1", testAdapter(), true},
        {"no DXT", withoutDxt(testAdapter()), false},
        {"16-bit without DXT", sixteenBitAdapter(false), false},
        {"16-bit with DXT5", sixteenBitAdapter(true), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useAdapters({c.adapter});
        ASSERT_EQ(run({[&](HeadlessDialogToolkit& t) {
                      showVideoTab(t);
                      const auto* compress = t.control(check(t, 0));
                      EXPECT_EQ(compress->text, u"テクスチャの圧縮を行う");
                      EXPECT_EQ(compress->enabled, c.enabled);
                      EXPECT_TRUE(compress->visible);
                      clickOk(t);
                  }}),
                  PEL_OK);
    }
}

TEST_F(VideoPage, ReportTexts) {
    useAdapters({testAdapter()});
    ASSERT_EQ(run(), PEL_OK);
    EXPECT_EQ(videoReport(),
              u"-----\r\nVideo Setting\r\n  Adaptor: Test GPU(6.14.10.4)\r\n"
              u"  Color: 32(Fullscreen)\r\n  Res: 1280 x 960\r\n  Multisample: 0\r\n"
              u"  Compress: No(Available)\r\n  NoFlip: No\r\n  Vshader: Available\r\n"
              u"  Pshader: Available\r\n  Compatible: No\r\n\r\n");

    writeSettings(
        "[Config]\r\ndefault=1\r\nvideoGuid=7e55e4a9_4c0fd3d9_115e319a_1602b7a\r\n"
        "videoColor=2\r\nvideoWidth=800\r\nvideoHeight=600\r\nvideoMultisample=3\r\n"
        "videoCompress=1\r\nvideoNoFlip=1\r\nvideoCompatible=1\r\n");
    useAdapters({withoutDxt(testAdapter())});
    ASSERT_EQ(run(), PEL_OK);
    EXPECT_EQ(videoReport(),
              u"-----\r\nVideo Setting\r\n  Adaptor: Test GPU(6.14.10.4)\r\n"
              u"  Color: 0(Windowed)\r\n  Res: 800 x 600\r\n  Multisample: 4\r\n"
              u"  Compress: Yes(Not available)\r\n  NoFlip: Yes\r\n  Vshader: Available\r\n"
              u"  Pshader: Available\r\n  Compatible: Yes\r\n\r\n");

    // No adapter reaches the minimum texture size: no usable chip.
    AdapterProfile small = testAdapter();
    small.caps.MaxTextureWidth = 512;
    useAdapters({small});
    ASSERT_EQ(run(), PEL_OK);
    EXPECT_EQ(videoReport(),
              u"-----\r\nVideo Setting\r\n  有効なグラフィックチップが見つかりません。\r\n\r\n");
    EXPECT_EQ(settings.flags, 0u);
}

TEST_F(VideoPage, WithoutDirect3DThePageWarnsAndSavesNothing) {
    useAdapters({}, false);
    ASSERT_EQ(run({[&](HeadlessDialogToolkit& t) {
                  showVideoTab(t);
                  EXPECT_EQ(combo(t, 0), 0);
                  clickOk(t);
              }}),
              PEL_OK);
    EXPECT_EQ(warnings(u"Warning: [pluginOnInit] 使用可能なDirect3D9が見つかりません。\r\n"
                       u"最新のDirectXをインストールしてください。"),
              1u);
    EXPECT_EQ(videoReport(), u"-----\r\nVideo Setting\r\n  Direct3D9が見つかりません。\r\n\r\n");
    EXPECT_EQ(setting(u"Config", u"videoGuid"), u"(none)");
    EXPECT_EQ(settings.flags, 0u);
}

}  // namespace
