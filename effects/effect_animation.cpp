// The per-frame animation of a part step: image, colour, scale, rotation and position by their
// modes, the local, parent and world matrices, the final colour, the trail and the blend-seen
// word.
#include <algorithm>

#include "effects/L3DEffectManager.h"
#include "effects/effect_matrix.h"
#include "effects/effect_part_motion.h"
#include "effects/effect_trail.h"
#include "foundation/DSjisText.h"
#include "render3d/L3DRenderer.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

// An action repeated every interval frames: true when it acts in this step.
bool countdownFires(int32_t& countdown, int32_t interval) {
    if (--countdown > 0) return false;
    countdown = interval;
    return true;
}

void animateImage(L3D_EFFECT_WORKPART& w, L3DRandom& random, bool& imageChanged) {
    if (w.imageMode == 2) {
        if (!countdownFires(w.imageCountdown, w.imageInterval)) return;
        ++w.image;
        if (w.image == w.lastImage) w.imageMode = 1;
        imageChanged = true;
    } else if (w.imageMode == 3) {
        if (!countdownFires(w.imageCountdown, w.imageInterval)) return;
        w.image = random.GetRange(w.lastImage, w.firstImage);
        imageChanged = true;
    }
}

void animateColour(L3D_EFFECT_WORKPART& w, L3DRandom& random, bool& imageChanged) {
    if (w.colourMode == 1) {
        for (int i = 0; i < 4; ++i)
            w.colour[i] = std::clamp(w.colour[i] + w.colourBase[i], 0.0f, 1.0f);
        imageChanged = true;
    } else if (w.colourMode == 2) {
        if (!countdownFires(w.colourCountdown, w.colourInterval)) return;
        for (int i = 0; i < 4; ++i)
            w.colour[i] = w.colourBase[i] + random.GetFloat() * w.colourRange[i];
        imageChanged = true;
    }
}

void animateScale(L3D_EFFECT_WORKPART& w, L3DRandom& random) {
    switch (w.scaleMode) {
    case 1:
        for (int i = 0; i < 3; ++i) w.scale[i] += w.scaleBase[i];
        break;
    case 2:
        if (!countdownFires(w.scaleCountdown, w.scaleInterval)) return;
        for (int i = 0; i < 3; ++i)
            w.scale[i] = w.scaleBase[i] + random.GetFloat() * w.scaleRange[i];
        break;
    case 3: {
        if (!countdownFires(w.scaleCountdown, w.scaleInterval)) return;
        const float xy = w.scaleBase[0] + random.GetFloat() * w.scaleRange[0];
        const float z = w.scaleBase[2] + random.GetFloat() * w.scaleRange[2];
        w.scale[0] = w.scale[1] = xy;
        w.scale[2] = z;
        break;
    }
    case 4: {
        if (!countdownFires(w.scaleCountdown, w.scaleInterval)) return;
        const float s = w.scaleBase[0] + random.GetFloat() * w.scaleRange[0];
        w.scale[0] = w.scale[1] = w.scale[2] = s;
        break;
    }
    default:
        break;
    }
}

void animateRotation(L3D_EFFECT_WORKPART& w, L3DRandom& random) {
    if (w.rotationMode == 1) {
        effectTurn(w, {w.angularVelocity[0], w.angularVelocity[1], w.angularVelocity[2],
                       w.angularVelocity[3]});
        effectRebuildRotation(w);
    } else if (w.rotationMode == 2) {
        if (!countdownFires(w.rotationCountdown, w.rotationInterval)) return;
        LQuat turn;
        if (effectRandomTurn(random, w.axisBase, w.axisRange, w.angleBase, w.angleRange, turn))
            effectTurn(w, turn);
        effectRebuildRotation(w);
    }
}

void animatePosition(L3D_EFFECT_WORKPART& w, L3DRandom& random) {
    float step[3];
    switch (w.positionMode) {
    case 1:
        for (int i = 0; i < 3; ++i) w.position[i] += w.positionBase[i];
        break;
    case 2:
        if (!countdownFires(w.positionCountdown, w.positionInterval)) return;
        for (int i = 0; i < 3; ++i)
            w.position[i] = w.positionBase[i] + random.GetFloat() * w.positionRange[i];
        break;
    case 3:
        effectAlongRotation(w, w.positionBase, step);
        for (int i = 0; i < 3; ++i) w.position[i] += step[i];
        break;
    case 4:
        if (!countdownFires(w.positionCountdown, w.positionInterval)) return;
        for (int i = 0; i < 3; ++i)
            step[i] = w.positionBase[i] + random.GetFloat() * w.positionRange[i];
        effectAlongRotation(w, step, step);
        for (int i = 0; i < 3; ++i) w.position[i] += step[i];
        break;
    default:
        break;
    }
}

void buildLocal(L3D_EFFECT_WORKPART& w) {
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) w.local.m[r][c] = w.rotationMatrix.m[r][c] * w.scale[r];
    w.local.m[3][0] = w.position[0];
    w.local.m[3][1] = w.position[1];
    w.local.m[3][2] = w.position[2];
    w.local.m[3][3] = 1.0f;
}

void buildParent(L3D_EFFECT_WORKPART& w) {
    L3D_EFFECT_WORKROOT& instance = *w.instance;
    if (&w == &instance.rootPart) {
        if (!(instance.root->flags & L3DEffectRootFollow) && w.frame != 0) return;
        // The placement of Play, then the target's rotation and position.
        LMat turn;
        LQuat::ToMatrix({instance.rotation[0], instance.rotation[1], instance.rotation[2],
                         instance.rotation[3]},
                        turn);
        LMat move;
        l3dMatrixTranslation(move, instance.position[0], instance.position[1],
                             instance.position[2]);
        LMat::Multiply(instance.world, turn, w.parent);
        LMat::Multiply(w.parent, move, w.parent);
    } else if (w.part->flags & L3DEffectPartHangs) {
        w.parent = instance.rootPart.world;
    } else if (w.frame == 0) {
        w.parent = instance.rootPart.parent;
    }
}

}  // namespace

void L3DEffectManager::_AnimatePart(L3D_EFFECT_WORKPART* work, bool imageChanged) {
    L3D_EFFECT_WORKPART& w = *work;
    L3DRandom& random = renderer->random;
    animateImage(w, random, imageChanged);
    animateColour(w, random, imageChanged);
    animateScale(w, random);
    animateRotation(w, random);
    animatePosition(w, random);
    buildLocal(w);
    buildParent(w);
    LMat::Multiply(w.local, w.parent, w.world);

    const bool imageInTable = w.image >= 0 && static_cast<uint32_t>(w.image) < imageDefCount;
    if (imageChanged) {
        if (!imageInTable)
            l3dError(DSjis<"[L3DEffectManager::_TaskPart] img番号が不正(%d/%d)">(), w.image,
                     static_cast<int>(imageDefCount));
        const L3D_EFFECT_IMAGEDEF& def = imageDefs[static_cast<uint32_t>(w.image)];
        for (int i = 0; i < 4; ++i) w.finalColour[i] = def.colour[i] * w.colour[i];
    }
    if (w.trail) effectStepTrail(w);
    if (imageInTable &&
        l3dEffectBlendDependsOnOrder(imageDefs[static_cast<uint32_t>(w.image)].blend))
        blendSeen |= L3DEffectBlendSeenOrdered;
}
