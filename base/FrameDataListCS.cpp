#include "base/FrameDataListCS.h"

#include <mutex>

FrameDataListCS::~FrameDataListCS() {
    FrameDataListCS::Clear();
}

void FrameDataListCS::Clear() {
    std::lock_guard<MyCriticalSection> lock(*this);
    ObjectList<FrameData, 16>::Clear();
}
