#pragma once
// The screen post effects of an engine. While requests are queued the scene is drawn into a
// full-size render texture; after the scene each request runs its chain of passes over that
// texture and a pyramid of smaller ones, and the result is copied to the back buffer. The
// object also keeps the water settings with which the field engine draws its water surfaces.
#include <cstdint>
#include <functional>
#include <memory>

#include "foundation/rcptr.h"
#include "framework/core/list.h"
#include "framework/core/mempool.h"
#include "render3d/L3DTexture.h"
#include "render3d/posteffect/posteffect_host.h"
#include "render3d/posteffect/posteffect_records.h"
#include "render3d/posteffect/posteffect_shaders.h"
#include "render3d/posteffect/water_surface.h"

class L3DDevice;

class PostEffect {
public:
    using Texture = mirel::rcptr<L3DTexture>;
    // Told the name and target (null: the back buffer) of every pass drawn; for tests.
    using PassTrace = std::function<void(const char* pass, const L3DTexture* target)>;

    PostEffect();
    ~PostEffect();
    PostEffect(const PostEffect&) = delete;
    PostEffect& operator=(const PostEffect&) = delete;

    // False (the object stays inactive) when the video settings ask for compatible rendering,
    // the device lacks shaders, an alpha back buffer or separate alpha blending, or a shader
    // or render texture cannot be made.
    // The host is kept until release (the System's host lives above this library, in
    // model3d/object).
    bool setup(std::unique_ptr<PostEffectHost> host);
    // The same over a host the caller keeps alive (tests bring their own).
    bool setup(PostEffectHost* host);
    void release();
    bool active() const { return host_ != nullptr; }

    // Requests: the answer is the handle the caller keeps (null for a shimmer whose noise
    // texture cannot be had).
    POSTEFFECT_REQUEST* addBrightRequest(const POSTEFFECT_BRIGHT_PARAMS& params);
    POSTEFFECT_REQUEST* addBiasRequest(const POSTEFFECT_BIAS_PARAMS& params);
    POSTEFFECT_REQUEST* addOverlayRequest(const POSTEFFECT_COLOR_PARAMS& params);
    POSTEFFECT_REQUEST* addSoftlightRequest(const POSTEFFECT_COLOR_PARAMS& params);
    POSTEFFECT_REQUEST* addHardlightRequest(const POSTEFFECT_COLOR_PARAMS& params);
    POSTEFFECT_REQUEST* addZoomBlurRequest(const POSTEFFECT_ZOOMBLUR_PARAMS& params);
    POSTEFFECT_REQUEST* addShimmerRequest(const POSTEFFECT_SHIMMER_PARAMS& params);
    POSTEFFECT_REQUEST* addAlphaBloomRequest(const POSTEFFECT_LEVEL_PARAMS& params);
    // Takes a queued request out; a handle that is not in the queue changes nothing.
    void removeRequest(POSTEFFECT_REQUEST* request);
    // Empties the queue, forgets both singletons and the shimmer texture.
    void clearQueue();

    // Water settings: null when either noise texture cannot be had.
    POSTEFFECT_WATER* setWaterEffect(const POSTEFFECT_WATER_PARAMS& params);
    void releaseWaterEffect(POSTEFFECT_WATER* water);
    // Drops the water settings (released and freed).
    void dropWaterEffect();
    // The surface of the host's model of that name: every mesh of every part, 80-byte
    // vertices and 16-bit indices. Null when inactive, without the model, or when the model
    // cannot be drawn as one surface (more than 65535 vertices, references outside tables).
    POSTEFFECT_WATER_SURFACE* loadWater(const char16_t* directory, const char16_t* name);
    static void freeWater(POSTEFFECT_WATER_SURFACE* surface);
    // Draws the surface over a copy of the scene drawn so far, with the renderer's camera;
    // nothing without water settings.
    void drawWater(POSTEFFECT_WATER_SURFACE& surface);

    void animate();
    void beginFrame();
    void render();

    // What tests and the field engine read.
    uint32_t requestCount() const { return requests_.count; }
    POSTEFFECT_REQUEST* firstRequest();
    POSTEFFECT_REQUEST* nextRequest(POSTEFFECT_REQUEST* request);
    POSTEFFECT_REQUEST* zoomBlurRequest() const { return zoomBlur_; }
    POSTEFFECT_REQUEST* shimmerRequest() const { return shimmer_; }
    POSTEFFECT_WATER* waterEffect() const { return water_; }
    const Texture& shimmerTexture() const { return shimmerTexture_; }
    const Texture& textureA() const { return textureA_; }
    const Texture& textureB() const { return textureB_; }
    const Texture& pyramid(uint32_t shift, uint32_t index) const;
    const POSTEFFECT_SHADERS& shaders() const { return shaders_; }
    void setPassTrace(PassTrace trace) { trace_ = std::move(trace); }

    // Building blocks of the passes.
    static void setPassStates(L3DDevice& device);
    static void drawQuad(L3DDevice& device, const float dest[4], const float uv0[4],
                         const float uv1[4], const uint32_t colours[4]);
    static void drawTexturedQuad(L3DDevice& device, const POSTEFFECT_RECT& rect, float grey,
                                 float alpha, const Texture& texture);
    static void drawTexturedQuad2(L3DDevice& device, const POSTEFFECT_RECT2& rect, float grey,
                                  float alpha, const Texture& texture, const Texture& texture2);

    // The passes. A null target is the back buffer.
    void passCopy(const POSTEFFECT_RECT& rect, Texture target, Texture source);
    void passBlend(const POSTEFFECT_RECT& rect, float alpha, Texture target, Texture source);
    void passBlendTextureAlpha(const POSTEFFECT_RECT& rect, float alpha, Texture target,
                               Texture source);
    void passAdd(const POSTEFFECT_RECT& rect, float alpha, Texture target, Texture source);
    void passDown4(const POSTEFFECT_RECT& rect, Texture target, Texture source);
    void passBrightDown4(const POSTEFFECT_RECT& rect, float threshold, Texture target,
                         Texture source);
    void passMulDown4(const POSTEFFECT_RECT& rect, Texture target, Texture source);
    void passAlphaDown4(const POSTEFFECT_RECT& rect, Texture target, Texture source);
    // Blurs (x, y, w, h) of the source into the destination through the temporary; the
    // destination may be the source.
    void passGauss(const float rect[4], uint32_t level, Texture temporary, Texture destination,
                   Texture source);
    void passOverlay(const POSTEFFECT_RECT& rect, const POSTEFFECT_REQUEST& request, Texture target,
                     Texture source);
    void passSoftlight(const POSTEFFECT_RECT& rect, const POSTEFFECT_REQUEST& request,
                       Texture target, Texture source);
    void passHardlight(const POSTEFFECT_RECT& rect, const POSTEFFECT_REQUEST& request,
                       Texture target, Texture source);
    void passDiffuse(const POSTEFFECT_RECT2& rect, float bias, Texture target, Texture scene,
                     Texture blurred);
    void passZoomBlur(const POSTEFFECT_RECT& rect, const POSTEFFECT_REQUEST& request,
                      Texture target, Texture source);
    void passShimmer(const POSTEFFECT_RECT2& rect, const POSTEFFECT_REQUEST& request,
                     Texture target, Texture scene, Texture noise);

private:
    static void freeRequest(void* user, void* element);
    POSTEFFECT_REQUEST* queueRequest(uint32_t kind);
    bool queued(const POSTEFFECT_REQUEST* request);
    void animateZoomBlur();

    // The pass frame: target, shaders, constants set by the caller, then the draw.
    void beginPass(const char* name, const Texture& target, L3DVShader* vs, L3DPShader* ps);
    void runChain(POSTEFFECT_REQUEST& request);
    void runPyramid(const POSTEFFECT_LEVEL levels[4]);
    void swapScene();

    std::unique_ptr<PostEffectHost> ownHost_;
    PostEffectHost* host_ = nullptr;
    L3DDevice* device_ = nullptr;
    PEL_LIST requests_{};
    PEL_MEMPOOL pool_{};
    POSTEFFECT_REQUEST* zoomBlur_ = nullptr;
    POSTEFFECT_REQUEST* shimmer_ = nullptr;
    POSTEFFECT_WATER* water_ = nullptr;
    POSTEFFECT_SHADERS shaders_;
    Texture shimmerTexture_;
    Texture textureA_;
    Texture textureB_;
    Texture q4_[4], q8_[4], q16_[4], q32_[4];
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    PassTrace trace_;
};
