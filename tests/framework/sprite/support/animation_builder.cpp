#include "tests/framework/sprite/support/animation_builder.h"

#include <cstring>

namespace tessera::test {
namespace {

uint32_t floatWord(float value) {
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    return word;
}

}  // namespace

AnimationBuilder::AnimationBuilder(std::vector<PEL_SPRITE_RECT*> rects) : rects_(std::move(rects)) {
    for (int& loop : loops_) loop = -1;
}

AnimationBuilder& AnimationBuilder::command(uint32_t delay, uint32_t code,
                                            std::initializer_list<uint32_t> arguments) {
    std::vector<uint32_t> record{delay, code};
    record.insert(record.end(), arguments);
    records_[0].push_back(record);
    return *this;
}

AnimationBuilder& AnimationBuilder::speedCommand(uint32_t delay, float speed) {
    return command(delay, 16, {floatWord(speed)});
}

AnimationBuilder& AnimationBuilder::key(uint32_t track, uint32_t duration, uint32_t interpolation,
                                        std::initializer_list<Channel> channels) {
    std::vector<uint32_t> record{duration, interpolation};
    for (const Channel& channel : channels) {
        // Stored in the order c0, c1, c3, c2.
        for (float value : {channel.c0, channel.c1, channel.c3, channel.c2}) {
            record.push_back(floatWord(value));
        }
    }
    records_[track].push_back(record);
    return *this;
}

AnimationBuilder& AnimationBuilder::loop(uint32_t track, int record) {
    loops_[track] = record;
    return *this;
}

std::vector<uint32_t> AnimationBuilder::words() const {
    std::vector<uint32_t> words{static_cast<uint32_t>(rects_.size())};
    words.resize(1 + rects_.size(), 0);  // the rects' places; the rects travel in their table
    for (uint32_t track = 0; track < kPelSpriteTrackCount; ++track) {
        const size_t header = words.size();
        words.resize(header + 2);
        std::vector<uint32_t> starts;
        for (const std::vector<uint32_t>& record : records_[track]) {
            starts.push_back(static_cast<uint32_t>(words.size()));
            words.insert(words.end(), record.begin(), record.end());
        }
        words[header] = static_cast<uint32_t>(words.size());
        words[header + 1] = loops_[track] < 0 ? 0xFFFFFFFFu : starts.at(loops_[track]);
    }
    return words;
}

PEL_SPRITE_ANIMATION* AnimationBuilder::build(PEL_SPRITE_RENDERER* renderer, uint32_t flags) const {
    const std::vector<uint32_t> data = words();
    return pelSpriteAnimationCreate(renderer, flags, data.data(),
                                    static_cast<uint32_t>(data.size()), rects_.data());
}

}  // namespace tessera::test
