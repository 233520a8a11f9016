#pragma once

#include "base/FrameData.h"
#include "base/MyCriticalSection.h"
#include "base/ObjectList.h"

// The locked list of received frames. Clear takes the lock itself; every other access is made
// by the caller under the list's lock (see QueueFrame and NextFrame).
class FrameDataListCS : public ObjectList<FrameData, 16>, public MyCriticalSection {
public:
    ~FrameDataListCS() override;

    void Clear() override;
};
