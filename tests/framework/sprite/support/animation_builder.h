#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "framework/sprite/sprite.h"

namespace tessera::test {

// Lays out animation records word by word: the rect count and places, then the command track
// and the six key tracks, each with its {end, loop} header. Loops are given as record numbers
// within the track and become word indices.
class AnimationBuilder {
public:
    struct Channel {
        float c0, c1, c2, c3;  // value(t) = c0 + c1 t + c2 t^2 + c3 t^3
    };

    explicit AnimationBuilder(std::vector<PEL_SPRITE_RECT*> rects = {});

    AnimationBuilder& command(uint32_t delay, uint32_t code,
                              std::initializer_list<uint32_t> arguments = {});
    AnimationBuilder& speedCommand(uint32_t delay, float speed);  // code 16
    // Track 1 position, 2 scale, 3 rotation, 4 alpha-test reference, 5 colour, 6 alpha.
    AnimationBuilder& key(uint32_t track, uint32_t duration, uint32_t interpolation,
                          std::initializer_list<Channel> channels);
    // -1 stops the track at its end (the default).
    AnimationBuilder& loop(uint32_t track, int record);

    std::vector<uint32_t> words() const;
    PEL_SPRITE_ANIMATION* build(PEL_SPRITE_RENDERER* renderer, uint32_t flags = 0) const;

private:
    std::vector<PEL_SPRITE_RECT*> rects_;
    std::vector<std::vector<uint32_t>> records_[kPelSpriteTrackCount];
    int loops_[kPelSpriteTrackCount];
};

}  // namespace tessera::test
