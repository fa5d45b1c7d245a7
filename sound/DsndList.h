#pragma once
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DList.h"
#include "foundation/DObject.h"
#include "foundation/rcptr.h"
#include "sound/DWave.h"

namespace mirel {

// The ordered sound sources a stream plays. Each source carries a loop count: 0 plays it once,
// -1 repeats it without end, n > 0 plays it n more times after the first pass. The count is
// consumed as the source repeats and a rewind does not restore it. Every source has the PCM
// format of the first, since the stream's buffer is made for that format.
class DsndList : public DObject {
public:
    struct _DATA {
        DWave wave;
        int32_t loop = 0;
    };

    DsndList() = default;
    ~DsndList() override = default;
    DsndList(const DsndList&) = delete;
    DsndList& operator=(const DsndList&) = delete;

    // False, with nothing added, when the file is no sound source or its PCM format differs
    // from the first source's (every field but cbSize is compared).
    bool AddWave(DFile& file, int32_t loop);
    // The first source, or a null handle for an empty list.
    rcptr<_DATA> _FirstWave() { return sources_._GetFirstRef(); }
    // Rewinds every source and makes the first one current.
    void Rewind();
    // Moves on at the end of the current source: false once the list has run out.
    bool _Advance();

    // The source playing now; null once the list has run out (or before the first rewind).
    const rcptr<_DATA>& _CurrentWave() const { return current_; }

private:
    DList<_DATA> sources_;
    DList<_DATA>::Iterator currentNode_;
    rcptr<_DATA> current_;
};

}  // namespace mirel
