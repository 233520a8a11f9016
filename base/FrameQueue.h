#pragma once

#include "base/FrameData.h"
#include "base/FrameDataListCS.h"
#include "base/UECP_IO_Error.h"

#include <cstdint>
#include <memory>

// Appends a received frame to list, taking ownership. While the list holds limit or more
// entries its oldest one is deleted first, so a full list never blocks the receiving thread.
// A limit below 1 counts as 1; a null frame is ignored.
void QueueFrame(std::unique_ptr<FrameData> frame, FrameDataListCS& list, int limit);

// Waits up to timeoutMs for the oldest frame of list, looking once per ms (at least once, even
// with a time-out of 0). Returns IDS_ERR_OK with result set, IDS_ERR_READ_TIMEOUT when no frame
// came, or IDS_ERR_CRC when the frame taken had a bad CRC (the frame is deleted). result is
// null unless IDS_ERR_OK is returned.
UECP_IO_Error NextFrame(std::unique_ptr<FrameData>& result, FrameDataListCS& list,
                        uint32_t timeoutMs);
