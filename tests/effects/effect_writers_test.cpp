// The effect writers against bytes worked out by hand from the file layouts (before the
// position scrambling, which the test applies), so that writer and reader cannot share a
// misreading.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "tools/writers/effect_writers.h"
#include "tools/writers/scrambled_fields.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

// "45 46 ..." to bytes.
std::string hexBytes(const char* text) {
    std::string out;
    for (const char* p = text; *p;) {
        if (*p == ' ' || *p == '\n') {
            ++p;
            continue;
        }
        out.push_back(static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16)));
        p += 2;
    }
    return out;
}

std::string scrambled(std::string plain) {
    scrambleFields(plain);
    return plain;
}

TEST(EffectWriters, DefinitionBytesMatchTheLayout) {
    EffectDefinition definition;
    definition.imageOptions = {7};
    EffectImageDef def;
    def.image = 0;
    def.left = 0.25f;
    def.top = 0.5f;
    def.right = 1.0f;
    def.bottom = 0.75f;
    def.pivotX = 0.5f;
    def.pivotY = 0.0f;
    def.unread = {0x11111111, 0x22222222};
    def.colour = {1.0f, 1.0f, 1.0f, 0.5f};
    def.blend = 5;
    definition.imageDefs = {def};
    EffectModel model;
    EffectModelVertex vertex;
    vertex.position = {1.0f, 2.0f, -1.0f};
    vertex.s = 0.5f;
    vertex.t = 0.25f;
    model.vertices = {vertex};
    model.indices = {0x10000};
    definition.models = {model};

    const std::string plain = hexBytes(
        "45 46 53 44  00 00 00 00"                            // "EFSD", version 0
        "01 00 00 00  07"                                     // one image, option byte 7
        "01 00 00 00"                                         // one image definition:
        "00 00 00 00  00 00 80 3E  00 00 00 3F"               //   image 0, left .25, top .5
        "00 00 80 3F  00 00 40 3F  00 00 00 3F  00 00 00 00"  // right 1, bottom .75, pivot .5 0
        "11 11 11 11  22 22 22 22"                            //   the two unread words
        "00 00 80 3F  00 00 80 3F  00 00 80 3F  00 00 00 3F"  // colour 1 1 1 .5
        "05 00 00 00"                                         //   blend 5
        "01 00 00 00"                                         // one model:
        "01 00 00 00"                                         //   one vertex
        "00 00 80 3F  00 00 00 40  00 00 80 BF"               //   position 1 2 -1
        "00 00 80 3F  00 00 80 3F  00 00 80 3F  00 00 80 3F"  // colour 1 1 1 1
        "00 00 00 3F  00 00 80 3E"                            //   s .5, t .25
        "01 00 00 00  00 00 01 00");                          //   one index, 0x10000
    EXPECT_EQ(plain.size(), 4u + 4 + 4 + 1 + 4 + 56 + 4 + 4 + 36 + 4 + 4);
    EXPECT_EQ(effectDefinitionFile(definition), scrambled(plain));
}

TEST(EffectWriters, DataBytesMatchTheLayout) {
    EffectData data;
    data.version = 5;
    EffectRoot root;
    root.flags = 3;
    root.rootPart.flags = 7;
    EffectEvent colour;  // kind 10: four pairs (P0, P4) .. (P3, P7), then P8
    colour.time = 2;
    colour.kind = 10;
    colour.words = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    root.rootPart.events = {colour};
    EffectPart part;
    part.flags = 2;
    EffectEvent trail;  // kind 39 in version 5: two words only
    trail.time = -1;
    trail.kind = 39;
    trail.words = {10, 20, 30};
    part.events = {trail};
    root.parts = {part};
    data.roots = {root};

    const std::string plain = hexBytes(
        "45 46 44 54  05 00 00 00  01 00 00 00"  // "EFDT", version 5, one root
        "03 00 00 00"                            // root flags
        "07 00 00 00  01 00 00 00"               // root part: flags, one event
        "02 00 00 00  0A 00 00 00"               //   time 2, kind 10
        "01 00 00 00  05 00 00 00  02 00 00 00  06 00 00 00"
        "03 00 00 00  07 00 00 00  04 00 00 00  08 00 00 00"
        "09 00 00 00"
        "01 00 00 00"               // one part
        "02 00 00 00  01 00 00 00"  //   flags, one event
        "FF FF FF FF  27 00 00 00"  //   time -1, kind 39
        "0A 00 00 00  14 00 00 00");
    EXPECT_EQ(effectDataFile(data), scrambled(plain));
}

TEST(EffectWriters, Kind39KeepsItsSegmentLengthFromVersion6) {
    EffectData data;
    data.roots.resize(1);
    EffectEvent trail;
    trail.kind = 39;
    trail.words = {10, 20, 30};
    data.roots[0].rootPart.events = {trail};
    data.version = 5;
    const size_t v5 = effectDataFile(data).size();
    data.version = 6;
    EXPECT_EQ(effectDataFile(data).size(), v5 + 4);
}

}  // namespace
}  // namespace tessera::test
