#include "base/FrameQueue.h"

#include "base/MsClock.h"
#include "base/Stopwatch.h"

#include <algorithm>
#include <mutex>

void QueueFrame(std::unique_ptr<FrameData> frame, FrameDataListCS& list, int limit) {
    if (!frame) {
        return;
    }
    limit = std::max(limit, 1);
    std::lock_guard<MyCriticalSection> lock(list);
    while (list.Count() >= limit) {
        list.RemoveFirst();
    }
    list.Append(std::move(frame));
}

UECP_IO_Error NextFrame(std::unique_ptr<FrameData>& result, FrameDataListCS& list,
                        uint32_t timeoutMs) {
    result.reset();
    Stopwatch watch;
    std::unique_ptr<FrameData> frame;
    do {
        {
            std::lock_guard<MyCriticalSection> lock(list);
            frame = list.TakeFirst();
        }
        if (frame) {
            break;
        }
        SleepMs(1);
    } while (watch.Elapsed() < timeoutMs);

    if (!frame) {
        return IDS_ERR_READ_TIMEOUT;
    }
    if (!frame->crcOk) {
        return IDS_ERR_CRC;
    }
    result = std::move(frame);
    return IDS_ERR_OK;
}
