#include "model3d/model_pool.h"

#include <string>

#include "foundation/pack/field_readers.h"
#include "tests/model3d/model_fixture.h"
#include "tools/writers/model_writer.h"

namespace {

using tools::writers::modelRef;
using tools::writers::ModelRef;
using tools::writers::ScrambledFieldWriter;
using tools::writers::writeModelRef;

// The pool "ab\0cd" (5 bytes with a NUL inside), then one reference.
std::string poolThenRef(const ModelRef& ref) {
    ScrambledFieldWriter out;
    out.string(std::string("ab\0cd", 5));
    writeModelRef(out, ref);
    return out.data();
}

TEST_F(ModelReaderTest, ReferencesResolveAnywhereInsideThePoolsStoredBytes) {
    struct Case {
        const char* what;
        ModelRef ref;
        std::string text;  // empty with a null pointer for no name
    };
    const Case cases[] = {
        {"pointer 0 whatever base and length", {0, 0x1234, 99}, ""},
        {"first two bytes", modelRef(0, 2), "ab"},
        {"past the inner NUL", modelRef(3, 2), "cd"},
        {"the whole pool", modelRef(0, 5), std::string("ab\0cd", 5)},
        {"empty at the end", modelRef(5, 0), ""},
        {"base above 2^31", modelRef(1, 1, 0xFFFFFFF0u), "b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        mirel::DFile file;
        tessera::test::attachMemory(file, poolThenRef(c.ref));
        mirel::DString pool;
        const L3DModelPool extent = l3dReadModelPool(file, pool);
        EXPECT_EQ(extent.size, 5u);
        const L3D_NAMEREF ref = l3dReadNameRef(file, extent);
        if (c.ref.pointer == 0) {
            EXPECT_EQ(ref.text, nullptr);
            EXPECT_EQ(ref.length, 0u);
        } else {
            ASSERT_NE(ref.text, nullptr);
            EXPECT_EQ(std::string(ref.text, ref.length), c.text);
        }
    }
}

TEST_F(ModelReaderTest, ReferencesOutsideThePoolFailAsAShortRead) {
    const ModelRef cases[] = {
        modelRef(4, 2),            // one byte past the end
        modelRef(6, 0),            // starts past the end
        {0x100, 0x200, 1},         // pointer below the base: a huge 32-bit offset
        modelRef(0, 0xFFFFFFFFu),  // length that wraps
        modelRef(0xFFFFFFFFu, 2),  // offset that wraps with the length
    };
    for (const ModelRef& ref : cases) {
        SCOPED_TRACE(ref.pointer);
        open(poolThenRef(ref));
        mirel::DString pool;
        const L3DModelPool extent = l3dReadModelPool(file_, pool);
        EXPECT_THROW(l3dReadNameRef(file_, extent), LExceptGame);
        file_.Close();
    }
    EXPECT_EQ(log_.text().size(), 5 * readFailedText().size());
}

TEST_F(ModelReaderTest, AnEmptyPoolHoldsNoReferenceButNoName) {
    ScrambledFieldWriter out;
    out.string("");
    writeModelRef(out, {0, 0, 0});
    writeModelRef(out, modelRef(0, 1));
    open(out.data());
    mirel::DString pool;
    const L3DModelPool extent = l3dReadModelPool(file_, pool);
    EXPECT_EQ(extent.size, 0u);
    EXPECT_EQ(l3dReadNameRef(file_, extent).text, nullptr);
    EXPECT_THROW(l3dReadNameRef(file_, extent), LExceptGame);
    EXPECT_EQ(log_.text(), readFailedText());
}

TEST_F(ModelReaderTest, NameFieldsHoldAtMost262Bytes) {
    ScrambledFieldWriter out;
    out.string(std::string(262, 'n'));
    out.string(std::string(263, 'n'));
    open(out.data());
    char field[L3DNameFieldSize];
    l3dReadNameField(file_, field);
    EXPECT_EQ(std::string(field), std::string(262, 'n'));
    EXPECT_THROW(l3dReadNameField(file_, field), LExceptGame);
    EXPECT_EQ(log_.text(), readFailedText());
}

}  // namespace
