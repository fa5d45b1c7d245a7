#include <random>
#include <set>
#include <vector>

#include "tests/framework/sprite/sprite_fixture.h"
#include "tests/framework/sprite/support/animation_builder.h"

namespace tessera::test {
namespace {

// Random tree operations on one renderer, each followed by a walk that checks the tree's
// invariants; ASan catches any use of a destroyed sprite.
class TreeStress : public SpriteTest {
protected:
    static constexpr uint32_t kLevels = 3;

    // Walks every list of the renderer from the roots and checks each sprite reached.
    void checkInvariants() {
        std::set<const PEL_SPRITE*> levelMembers;
        size_t levelTotal = 0;
        for (uint32_t level = 0; level < kLevels; ++level) {
            PEL_LIST* list = &renderer->levels[level];
            levelTotal += list->count;
            for (PEL_LIST_LINK* link = list->head.next; link != pelListEnd(list);
                 link = link->next) {
                auto* sprite = static_cast<PEL_SPRITE*>(pelListElement(list, link));
                ASSERT_EQ(sprite->level, level);
                ASSERT_TRUE(levelMembers.insert(sprite).second) << "listed twice";
            }
        }
        std::set<const PEL_SPRITE*> reached;
        checkList(&renderer->visibleSprites, nullptr, true, levelMembers, reached);
        checkList(&renderer->hiddenSprites, nullptr, false, levelMembers, reached);
        ASSERT_EQ(levelMembers.size(), levelTotal);
        for (const PEL_SPRITE* sprite : alive) ASSERT_EQ(reached.count(sprite), 1u);
    }

    void checkList(PEL_LIST* list, PEL_SPRITE* parent, bool visibleList,
                   const std::set<const PEL_SPRITE*>& levelMembers,
                   std::set<const PEL_SPRITE*>& reached) {
        uint32_t count = 0;
        for (PEL_LIST_LINK* link = list->head.next; link != pelListEnd(list); link = link->next) {
            auto* sprite = static_cast<PEL_SPRITE*>(pelListElement(list, link));
            ++count;
            ASSERT_TRUE(reached.insert(sprite).second) << "linked twice";
            const bool visible = (sprite->flags & PEL_SPRITE_VISIBLE) != 0;
            const bool shown = (sprite->flags & PEL_SPRITE_SHOWN) != 0;
            const bool parentVisible = !parent || (parent->flags & PEL_SPRITE_VISIBLE);
            ASSERT_EQ(sprite->parent, parent);
            ASSERT_EQ(visible, visibleList);
            ASSERT_EQ(visible, shown && parentVisible);
            ASSERT_EQ(levelMembers.count(sprite) == 1, visible && sprite->rect != nullptr);
            const int held =
                (parent ? 1 : 0) + ((sprite->flags & PEL_SPRITE_SELF_REFERENCE) ? 1 : 0);
            ASSERT_EQ(sprite->internalCount, held);
            ASSERT_GT(sprite->internalCount + sprite->scriptCount, 0);
            checkList(&sprite->visibleChildren, sprite, true, levelMembers, reached);
            checkList(&sprite->hiddenChildren, sprite, false, levelMembers, reached);
        }
        ASSERT_EQ(count, list->count);
    }

    void run(uint32_t seed, int operations) {
        std::mt19937 random(seed);
        const auto pick = [&](size_t n) {
            return std::uniform_int_distribution<size_t>(0, n - 1)(random);
        };
        std::vector<PEL_SPRITE_RECT*> rects = {makeRect(renderer, u"a.png"),
                                               makeRect(renderer, u"b.png")};
        PEL_SPRITE_ANIMATION* hold =
            AnimationBuilder().command(0, 2, {1}).command(3, 1, {0}).build(renderer);
        for (int op = 0; op < operations; ++op) {
            const size_t kind = alive.empty() ? 0 : pick(9);
            PEL_SPRITE* sprite = alive.empty() ? nullptr : alive[pick(alive.size())];
            switch (kind) {
            case 0:
                alive.push_back(pelSpriteCreate(renderer));
                break;
            case 1: {
                PEL_SPRITE* parent = pick(4) == 0 ? nullptr : alive[pick(alive.size())];
                pelSpriteSetParent(sprite, parent);
                break;
            }
            case 2:
                pelSpriteSetShow(sprite, pick(2) == 0);
                break;
            case 3:
                pelSpriteSetRect(sprite, pick(3) == 0 ? nullptr : rects[pick(2)]);
                break;
            case 4:
                pelSpriteSetLevel(sprite, static_cast<uint32_t>(pick(kLevels + 1)));
                break;
            case 5:
                // The script lets go: a parent or a hold may keep the sprite.
                std::erase(alive, sprite);
                dropScript(sprite);
                break;
            case 6:
                pelSpriteSetAnimation(sprite, pick(2) ? hold : nullptr);
                break;
            case 7:
                pelSpriteRendererUpdate(renderer);
                break;
            case 8:
                pelSpriteRendererDraw(renderer);
                break;
            }
            checkInvariants();
            if (::testing::Test::HasFatalFailure()) {
                ADD_FAILURE() << "seed " << seed << " operation " << op << " kind " << kind;
                return;
            }
        }
    }

    void SetUp() override {
        SpriteTest::SetUp();
        renderer = makeRenderer(640, 480, kLevels);
    }

    PEL_SPRITE_RENDERER* renderer = nullptr;
    std::vector<PEL_SPRITE*> alive;  // sprites whose script count the test holds
};

TEST_F(TreeStress, RandomOperationsKeepTheTreeConsistent) {
    for (uint32_t seed : {1u, 2u, 3u, 20261211u}) {
        run(seed, 3000);
        if (HasFailure()) return;
        pelSpriteRendererDestroy(renderer);
        renderer = makeRenderer(640, 480, kLevels);
        alive.clear();
    }
}

}  // namespace
}  // namespace tessera::test
