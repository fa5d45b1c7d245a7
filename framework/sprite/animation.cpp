#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "framework/core/report.h"
#include "framework/sprite/internal.h"
#include "framework/sprite/sprite.h"

namespace tessera::sprite {

void unrefAnimation(PEL_SPRITE_ANIMATION* animation) {
    if (--animation->internalCount + animation->scriptCount == 0) {
        pelSpriteAnimationRelease(animation);
    }
}

namespace {

constexpr uint32_t kNoLoop = 0xFFFFFFFFu;

// Words per key record of tracks 1 to 6, and the channels they carry.
constexpr uint32_t kKeyChannels[kPelSpriteTrackCount] = {0, 2, 2, 3, 1, 3, 1};

uint32_t frames(uint32_t count) {
    const uint64_t time = static_cast<uint64_t>(count) * 256;
    return time > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(time);
}

float wordFloat(uint32_t word) {
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

// Moves a track past a record of the given size: to the next record, to the loop record at the
// end, or to none.
void advanceRecord(const PEL_SPRITE_ANIMATION& animation, PEL_SPRITE_TRACK_CURSOR& track,
                   uint32_t size) {
    const uint32_t next = track.record + size;
    if (next < track.end) {
        track.record = next;
        return;
    }
    const uint32_t loop = animation.words[track.header + 1];
    track.record = loop == kNoLoop ? kPelSpriteNoRecord : loop;
}

// True when a record of the given size lies inside its track; otherwise the track stops.
bool recordFits(PEL_SPRITE_TRACK_CURSOR& track, uint32_t size) {
    if (track.record != kPelSpriteNoRecord && track.end - track.record >= size) return true;
    track.record = kPelSpriteNoRecord;
    track.time = 0;
    return false;
}

uint32_t commandWords(uint32_t code) {
    switch (code) {
    case 0:
        return 2;
    case 1:
    case 2:
    case 3:
    case 4:
    case 8:
    case 9:
    case 11:
    case 16:
        return 3;
    case 14:
    case 15:
        return 4;
    default:
        return 0;
    }
}

struct Step {
    float scale;      // c
    uint32_t budget;  // b
    uint32_t advanced;
    bool endNow;  // a command 1 with 0 frames ran in this step
};

// Runs one command record of a code that commandWords knows.
void runCommand(PEL_SPRITE* sprite, const uint32_t* record, float parentSpeed, Step& step) {
    PEL_SPRITE_CURSOR& cursor = *sprite->cursor;
    const PEL_SPRITE_ANIMATION& animation = *sprite->animation;
    const uint32_t argument = record[2];
    switch (record[1]) {
    case 0:
        break;
    case 1:
        if (argument > 0) {
            cursor.endCountdown = frames(argument);
        } else {
            step.endNow = true;
        }
        break;
    case 2:
        if (argument) {
            sprite->flags |= PEL_SPRITE_HOLD;
        } else {
            sprite->flags &= ~PEL_SPRITE_HOLD;
        }
        break;
    case 3:
        if (argument < animation.rectCount) pelSpriteSetRect(sprite, animation.rects[argument]);
        break;
    case 4:
        pelSpriteSetLevel(sprite, argument);
        break;
    case 8:
        sprite->blend = static_cast<int32_t>(argument);
        sprite->flags |= PEL_SPRITE_DIRTY;
        break;
    case 9:
        sprite->alphaTest = static_cast<int32_t>(argument);
        sprite->flags |= PEL_SPRITE_DIRTY;
        break;
    case 11:
        sprite->scaling = static_cast<int32_t>(argument);
        sprite->flags |= PEL_SPRITE_DIRTY;
        break;
    case 14:
        pelSpriteSetReverse(sprite, argument != 0, record[3] != 0);
        break;
    case 15:
        pelSpriteSetRectReverse(sprite, argument != 0, record[3] != 0);
        break;
    case 16: {
        const float speed = wordFloat(argument);
        sprite->animationSpeed = speed;
        const float scale = speed * parentSpeed;
        if (step.scale != 0.0f) {
            step.budget = roundTime(scale / step.scale * static_cast<float>(step.budget));
        }
        step.scale = scale;
        break;
    }
    }
}

// The command track's part of a step; true when the animation ended.
bool runCommands(PEL_SPRITE* sprite, float parentSpeed, Step& step) {
    PEL_SPRITE_CURSOR& cursor = *sprite->cursor;
    const PEL_SPRITE_ANIMATION& animation = *sprite->animation;
    PEL_SPRITE_TRACK_CURSOR& track = cursor.tracks[0];
    const bool firstRun = (cursor.flags & PEL_SPRITE_CURSOR_FIRST_RUN) != 0;
    // Commands that may run back to back without time passing: more than the track holds means
    // a loop of zero delays, which waits for the next step instead of spinning.
    const uint32_t instantLimit = track.end - track.header;
    uint32_t instantRun = 0;
    const auto spendAll = [&] {
        cursor.consumed += step.budget;
        step.advanced += step.budget;
    };
    for (;;) {
        const bool hasCommand = track.record != kPelSpriteNoRecord;
        if (cursor.endCountdown > 0) {
            uint32_t slice = step.budget;
            if (hasCommand && track.time < slice) slice = track.time;
            if (slice >= cursor.endCountdown) {
                cursor.consumed += step.budget;
                step.advanced += cursor.endCountdown - 1;
                return true;
            }
            cursor.endCountdown -= slice;
        }
        if (!hasCommand || !recordFits(track, 2)) {
            spendAll();
            return false;
        }
        if (step.budget < track.time) {
            track.time -= step.budget;
            spendAll();
            return false;
        }
        cursor.consumed += track.time;
        step.advanced += track.time;
        step.budget -= track.time;
        const uint32_t* record = animation.words + track.record;
        const uint32_t size = commandWords(record[1]);
        if (size == 0) {
            reportNotImplemented();
            track.record = kPelSpriteNoRecord;
            continue;
        }
        if (!recordFits(track, size)) continue;
        runCommand(sprite, record, parentSpeed, step);
        track.time = frames(record[0]);
        advanceRecord(animation, track, size);
        if (step.endNow && track.time > 0) return true;
        instantRun = track.time > 0 ? 0 : instantRun + 1;
        if (firstRun || instantRun > instantLimit) {
            spendAll();
            return false;
        }
    }
}

void applyKey(PEL_SPRITE* sprite, uint32_t trackIndex, const float* values) {
    switch (trackIndex) {
    case 1:
        sprite->x = values[0];
        sprite->y = values[1];
        break;
    case 2:
        sprite->scaleX = values[0];
        sprite->scaleY = values[1];
        break;
    case 3:
        pelSpriteSetRotationX(sprite, values[0]);
        pelSpriteSetRotationY(sprite, values[1]);
        pelSpriteSetRotationZ(sprite, values[2]);
        return;
    case 4:
        sprite->alphaReference = values[0];
        break;
    case 5:
        sprite->red = values[0];
        sprite->green = values[1];
        sprite->blue = values[2];
        break;
    case 6:
        sprite->alpha = values[0];
        break;
    }
    sprite->flags |= PEL_SPRITE_DIRTY;
}

void runKeys(PEL_SPRITE* sprite, uint32_t advanced, bool firstRun) {
    PEL_SPRITE_CURSOR& cursor = *sprite->cursor;
    const PEL_SPRITE_ANIMATION& animation = *sprite->animation;
    for (uint32_t index = 1; index < kPelSpriteTrackCount; ++index) {
        PEL_SPRITE_TRACK_CURSOR& track = cursor.tracks[index];
        const uint32_t channels = kKeyChannels[index];
        const uint32_t size = 2 + 4 * channels;
        if (advanced > 0 && !firstRun && track.record != kPelSpriteNoRecord) {
            uint32_t moved = advanced;
            while (moved >= track.time) {
                moved -= track.time;
                advanceRecord(animation, track, size);
                if (!recordFits(track, size)) break;
                track.time = frames(animation.words[track.record]);
                if (track.time == 0) break;
            }
            if (moved < track.time) track.time -= moved;
        }
        if (!recordFits(track, size)) continue;
        const uint32_t* record = animation.words + track.record;
        const uint32_t duration = record[0];
        const uint32_t interpolation = record[1];
        if (interpolation > 2) {
            reportNotImplemented();
            continue;
        }
        float values[3];
        const bool moving = track.time > 0 && interpolation != 0 && duration > 0;
        const float t =
            moving ? 1.0f - (static_cast<float>(track.time) / 256.0f) / static_cast<float>(duration)
                   : 0.0f;
        for (uint32_t channel = 0; channel < channels; ++channel) {
            const uint32_t* c = record + 2 + 4 * channel;
            const float c0 = wordFloat(c[0]), c1 = wordFloat(c[1]);
            const float c3 = wordFloat(c[2]), c2 = wordFloat(c[3]);
            float value = c0;
            if (moving) {
                value =
                    interpolation == 1 ? c0 + c1 * t : c0 + c1 * t + c2 * t * t + c3 * t * t * t;
            }
            values[channel] = value;
        }
        applyKey(sprite, index, values);
    }
}

}  // namespace
}  // namespace tessera::sprite

using namespace tessera::sprite;

PEL_SPRITE_ANIMATION* pelSpriteAnimationCreate(PEL_SPRITE_RENDERER* renderer, uint32_t flags,
                                               const uint32_t* words, uint32_t wordCount,
                                               PEL_SPRITE_RECT* const* rects) {
    if (wordCount < 1 || words[0] > wordCount - 1) return nullptr;
    const uint32_t rectCount = words[0];
    uint32_t header = rectCount + 1;
    for (uint32_t track = 0; track < kPelSpriteTrackCount; ++track) {
        if (wordCount - header < 2) return nullptr;
        const uint32_t end = words[header];
        const uint32_t loop = words[header + 1];
        if (end < header + 2 || end > wordCount) return nullptr;
        if (loop != kNoLoop && (loop < header + 2 || loop >= end)) return nullptr;
        header = end;
    }
    const size_t rectBytes = sizeof(PEL_SPRITE_RECT*) * rectCount;
    const size_t bytes = sizeof(PEL_SPRITE_ANIMATION) + rectBytes + sizeof(uint32_t) * wordCount;
    auto* block = static_cast<char*>(pelCheckAlloc(std::calloc(1, bytes)));
    if (!block) return nullptr;
    auto* animation = reinterpret_cast<PEL_SPRITE_ANIMATION*>(block);
    animation->scriptCount = 1;
    animation->renderer = renderer;
    animation->flags = flags;
    animation->rectCount = rectCount;
    animation->rects = reinterpret_cast<PEL_SPRITE_RECT**>(block + sizeof(PEL_SPRITE_ANIMATION));
    auto* data = reinterpret_cast<uint32_t*>(block + sizeof(PEL_SPRITE_ANIMATION) + rectBytes);
    std::memcpy(data, words, sizeof(uint32_t) * wordCount);
    animation->words = data;
    animation->wordCount = wordCount;
    for (uint32_t i = 0; i < rectCount; ++i) {
        animation->rects[i] = rects[i];
        ++rects[i]->internalCount;
    }
    pelListAppend(&renderer->animations, animation);
    return animation;
}

void pelSpriteAnimationRelease(PEL_SPRITE_ANIMATION* animation) {
    for (uint32_t i = 0; i < animation->rectCount; ++i) unrefRect(animation->rects[i]);
    unlinkFrom(&animation->renderer->animations, animation);
    std::free(animation);
}

void pelSpriteSetAnimation(PEL_SPRITE* sprite, PEL_SPRITE_ANIMATION* animation) {
    // The new reference is taken before the old one is dropped: attaching the animation the
    // sprite already plays must not destroy it on the way.
    if (animation) ++animation->internalCount;
    if (PEL_SPRITE_ANIMATION* old = sprite->animation) {
        sprite->animation = nullptr;
        unrefAnimation(old);
    }
    sprite->flags &= ~PEL_SPRITE_HOLD;
    if (sprite->cursor) {
        pelMempoolFreeBlock(sprite->cursor, &pools().cursors);
        sprite->cursor = nullptr;
    }
    if (!animation) return;

    auto* cursor = allocate<PEL_SPRITE_CURSOR>(pools().cursors);
    if (!cursor) {
        unrefAnimation(animation);
        return;
    }
    sprite->animation = animation;
    if ((animation->flags & PEL_SPRITE_ANIMATION_HOLD) &&
        !(sprite->flags & PEL_SPRITE_SELF_REFERENCE)) {
        sprite->flags |= PEL_SPRITE_SELF_REFERENCE;
        ++sprite->internalCount;
    }
    *cursor = {};
    cursor->flags = PEL_SPRITE_CURSOR_FIRST_RUN;
    uint32_t header = animation->words[0] + 1;
    for (uint32_t index = 0; index < kPelSpriteTrackCount; ++index) {
        PEL_SPRITE_TRACK_CURSOR& track = cursor->tracks[index];
        track.header = header;
        track.end = animation->words[header];
        const uint32_t first = header + 2;
        track.record = first < track.end ? first : kPelSpriteNoRecord;
        if (index > 0 && track.record != kPelSpriteNoRecord) {
            track.time = frames(animation->words[track.record]);
        }
        header = track.end;
    }
    sprite->cursor = cursor;
}

bool pelSpriteAnimationRun(PEL_SPRITE* sprite, float parentSpeed) {
    PEL_SPRITE_CURSOR& cursor = *sprite->cursor;
    cursor.consumed = 0;
    Step step{};
    step.scale = sprite->animationSpeed * parentSpeed;
    step.budget = roundTime(step.scale * 256.0f);
    const bool firstRun = (cursor.flags & PEL_SPRITE_CURSOR_FIRST_RUN) != 0;
    const bool ended = runCommands(sprite, parentSpeed, step);
    runKeys(sprite, step.advanced, firstRun);
    cursor.flags &= ~PEL_SPRITE_CURSOR_FIRST_RUN;
    return ended;
}
