// The request queue: requests come from a pool and run in queue order; the zoom blur and the
// shimmer are singletons that a second add updates in place.
#include <cstring>

#include "render3d/posteffect/PostEffect.h"
#include "render3d/posteffect/noise_path.h"

namespace {

constexpr uint32_t kMaxLevel = 7;

void copyLevels(const POSTEFFECT_LEVEL (&from)[4], POSTEFFECT_LEVEL (&to)[4]) {
    for (int i = 0; i < 4; ++i) {
        to[i].level = from[i].level > kMaxLevel ? kMaxLevel : from[i].level;
        to[i].alpha = from[i].alpha;
    }
}

void colourAndTwiceInverse(const POSTEFFECT_COLOR_PARAMS& params, float colour[4],
                           float twiceInverse[4]) {
    const float c[4] = {params.red, params.green, params.blue, params.alpha};
    for (int i = 0; i < 4; ++i) {
        colour[i] = c[i];
        twiceInverse[i] = 2.0f * (1.0f - c[i]);
    }
}

float softlightFactor(float x) { return x < 0.5f ? 2.0f * (1.0f - x) : 1.0f / (2.0f * x); }

}  // namespace

void PostEffect::freeRequest(void* user, void* element) {
    pelMempoolFreeBlock(element, &static_cast<PostEffect*>(user)->pool_);
}

POSTEFFECT_REQUEST* PostEffect::firstRequest() {
    if (!active()) return nullptr;
    return static_cast<POSTEFFECT_REQUEST*>(pelListFirst(&requests_));
}

POSTEFFECT_REQUEST* PostEffect::nextRequest(POSTEFFECT_REQUEST* request) {
    PEL_LIST_LINK* next = request->link.next;
    return next == pelListEnd(&requests_)
               ? nullptr
               : static_cast<POSTEFFECT_REQUEST*>(pelListElement(&requests_, next));
}

POSTEFFECT_REQUEST* PostEffect::queueRequest(uint32_t kind) {
    if (!active()) return nullptr;
    auto* request = static_cast<POSTEFFECT_REQUEST*>(pelMempoolAllocateBlock(&pool_));
    if (!request) return nullptr;
    std::memset(static_cast<void*>(request), 0, sizeof *request);
    request->kind = kind;
    pelListAppend(&requests_, request);
    return request;
}

bool PostEffect::queued(const POSTEFFECT_REQUEST* request) {
    if (!request || !active()) return false;
    for (POSTEFFECT_REQUEST* r = firstRequest(); r; r = nextRequest(r))
        if (r == request) return true;
    return false;
}

POSTEFFECT_REQUEST* PostEffect::addBrightRequest(const POSTEFFECT_BRIGHT_PARAMS& params) {
    POSTEFFECT_REQUEST* request = queueRequest(POSTEFFECT_REQUEST::Bright);
    if (!request) return nullptr;
    request->bright.threshold = params.threshold;
    copyLevels(params.levels, request->bright.levels);
    return request;
}

POSTEFFECT_REQUEST* PostEffect::addBiasRequest(const POSTEFFECT_BIAS_PARAMS& params) {
    POSTEFFECT_REQUEST* request = queueRequest(POSTEFFECT_REQUEST::Diffuse);
    if (!request) return nullptr;
    copyLevels(params.levels, request->diffuse.levels);
    request->diffuse.bias = params.bias;
    return request;
}

POSTEFFECT_REQUEST* PostEffect::addAlphaBloomRequest(const POSTEFFECT_LEVEL_PARAMS& params) {
    POSTEFFECT_REQUEST* request = queueRequest(POSTEFFECT_REQUEST::AlphaBloom);
    if (!request) return nullptr;
    copyLevels(params.levels, request->alphaBloom.levels);
    return request;
}

POSTEFFECT_REQUEST* PostEffect::addOverlayRequest(const POSTEFFECT_COLOR_PARAMS& params) {
    POSTEFFECT_REQUEST* request = queueRequest(POSTEFFECT_REQUEST::Overlay);
    if (!request) return nullptr;
    colourAndTwiceInverse(params, request->overlay.colour, request->overlay.twiceInverse);
    return request;
}

POSTEFFECT_REQUEST* PostEffect::addSoftlightRequest(const POSTEFFECT_COLOR_PARAMS& params) {
    POSTEFFECT_REQUEST* request = queueRequest(POSTEFFECT_REQUEST::Softlight);
    if (!request) return nullptr;
    float* f = request->softlight.factors;
    f[0] = softlightFactor(params.red);
    f[1] = softlightFactor(params.green);
    f[2] = softlightFactor(params.blue);
    f[3] = params.alpha;
    return request;
}

POSTEFFECT_REQUEST* PostEffect::addHardlightRequest(const POSTEFFECT_COLOR_PARAMS& params) {
    POSTEFFECT_REQUEST* request = queueRequest(POSTEFFECT_REQUEST::Hardlight);
    if (!request) return nullptr;
    colourAndTwiceInverse(params, request->hardlight.colour, request->hardlight.twiceInverse);
    for (int i = 0; i < 4; ++i)
        request->hardlight.step[i] = request->hardlight.colour[i] >= 0.5f ? 1.0f : 0.0f;
    return request;
}

POSTEFFECT_REQUEST* PostEffect::addZoomBlurRequest(const POSTEFFECT_ZOOMBLUR_PARAMS& params) {
    if (!active()) return nullptr;
    if (!zoomBlur_) {
        zoomBlur_ = queueRequest(POSTEFFECT_REQUEST::ZoomBlur);
        if (!zoomBlur_) return nullptr;
    }
    auto& zoom = zoomBlur_->zoom;
    // The centre is a screen fraction; the quarter texture may be larger than a quarter screen.
    zoom.centerX =
        params.centerX * (static_cast<float>(width_) * 0.25f) / static_cast<float>(q4_[0]->width);
    zoom.centerY =
        params.centerY * (static_cast<float>(height_) * 0.25f) / static_cast<float>(q4_[0]->height);
    zoom.value2 = params.value2;
    zoom.value3 = params.value3;
    zoom.phaseStep = params.phaseStep;
    zoom.fadeInFrames = params.fadeInFrames;
    zoom.fadeOutStart = params.fadeOutStart;
    zoom.endFrame = params.endFrame;
    zoom.phase = 0.0f;
    zoom.counter = -1;
    zoom.intensity = 0.0f;
    return zoomBlur_;
}

POSTEFFECT_REQUEST* PostEffect::addShimmerRequest(const POSTEFFECT_SHIMMER_PARAMS& params) {
    if (!active()) return nullptr;
    char16_t path[48];
    postEffectNoisePath(params.name, path);
    Texture noise = host_->loadTexture(path);
    if (!noise) return nullptr;
    if (!shimmer_) {
        shimmer_ = queueRequest(POSTEFFECT_REQUEST::Shimmer);
        if (!shimmer_) return nullptr;
    }
    shimmerTexture_ = noise;
    auto& s = shimmer_->shimmer;
    std::memcpy(s.name, params.name, sizeof s.name);
    const float width = static_cast<float>(noise->width);
    const float height = static_cast<float>(noise->height);
    s.uvWidth = width / params.sizeX;
    s.uvHeight = height / params.sizeY;
    s.powerX = params.powerX;
    s.powerY = params.powerY;
    s.speedX = params.speedX * width;
    s.speedY = params.speedY * height;
    s.alpha = params.alpha;
    s.offsetX = -s.speedX;
    s.offsetY = -s.speedY;
    return shimmer_;
}

void PostEffect::removeRequest(POSTEFFECT_REQUEST* request) {
    // A handle kept past its request's life (finished, cleared, or a reused pool element)
    // must not unlink anything.
    if (!queued(request)) return;
    if (request == zoomBlur_) zoomBlur_ = nullptr;
    if (request == shimmer_) {
        shimmer_ = nullptr;
        shimmerTexture_.Reset();
    }
    pelListRemove(&requests_, &request->link);
}

void PostEffect::clearQueue() {
    if (!active()) return;
    pelListClear(&requests_);
    zoomBlur_ = nullptr;
    shimmer_ = nullptr;
    shimmerTexture_.Reset();
}

void PostEffect::animateZoomBlur() {
    auto& zoom = zoomBlur_->zoom;
    ++zoom.counter;
    if (zoom.counter >= zoom.endFrame) {
        removeRequest(zoomBlur_);
        return;
    }
    if (zoom.counter < zoom.fadeInFrames)
        zoom.intensity =
            static_cast<float>(zoom.counter + 1) / static_cast<float>(zoom.fadeInFrames + 1);
    else if (zoom.counter < zoom.fadeOutStart)
        zoom.intensity = 1.0f;
    else
        zoom.intensity = 1.0f - static_cast<float>(zoom.counter - zoom.fadeOutStart + 1) /
                                    static_cast<float>(zoom.endFrame - zoom.fadeOutStart + 1);
    zoom.phase += zoom.phaseStep;
}

namespace {

// Scrolls an offset by its speed and keeps it within (−size, size).
float scroll(float offset, float speed, float size) {
    offset += speed;
    if (offset >= size)
        offset -= size;
    else if (offset <= -size)
        offset += size;
    return offset;
}

}  // namespace

void PostEffect::animate() {
    if (!active()) return;
    if (zoomBlur_) animateZoomBlur();
    if (shimmer_) {
        auto& s = shimmer_->shimmer;
        s.offsetX = scroll(s.offsetX, s.speedX, static_cast<float>(shimmerTexture_->width));
        s.offsetY = scroll(s.offsetY, s.speedY, static_cast<float>(shimmerTexture_->height));
    }
    if (water_) {
        for (auto& noise : water_->noise) {
            noise.offsetX = scroll(noise.offsetX, noise.speedX, 1.0f);
            noise.offsetY = scroll(noise.offsetY, noise.speedY, 1.0f);
        }
    }
}
