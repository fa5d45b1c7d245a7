#pragma once

namespace mirel {

// The common base of the library's classes. Its only virtual operation is the destructor, so
// that objects held through a base-class handle are destroyed as what they really are.
class DObject {
public:
    DObject() = default;
    DObject(const DObject&) = default;
    DObject& operator=(const DObject&) = default;
    virtual ~DObject() = default;
};

}  // namespace mirel
