#include "io/IOHookList.h"
#include "io/IOHook.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Appends "name:direction:bytes" to a shared log.
class LoggingHook : public IOHook {
public:
    LoggingHook(std::string name, std::vector<std::string>& log)
        : name_(std::move(name)), log_(log) {}
    void OnData(const uint8_t* data, int len, int direction) override {
        std::string entry = name_ + ":" + std::to_string(direction) + ":";
        for (int i = 0; i < len; ++i) {
            entry += std::to_string(data[i]) + (i + 1 < len ? "," : "");
        }
        log_.push_back(entry);
        if (detachOnData) {
            Detach();
        }
    }
    bool detachOnData = false;

private:
    std::string name_;
    std::vector<std::string>& log_;
};

const uint8_t kChunk[] = {1, 2, 3};

TEST(IOHookList, HooksSeeEveryChunkInAttachOrder) {
    IOHookList list;
    std::vector<std::string> log;
    LoggingHook a("a", log);
    LoggingHook b("b", log);
    b.Attach(list);
    a.Attach(list);
    list.Notify(kChunk, 3, IOHook::kSent);
    list.Notify(kChunk, 1, IOHook::kReceived);
    EXPECT_EQ(log, (std::vector<std::string>{"b:1:1,2,3", "a:1:1,2,3", "b:0:1", "a:0:1"}));
}

TEST(IOHookList, DetachedAndDestroyedHooksSeeNothing) {
    IOHookList list;
    std::vector<std::string> log;
    LoggingHook a("a", log);
    auto b = std::make_unique<LoggingHook>("b", log);
    a.Attach(list);
    b->Attach(list);
    a.Detach();
    EXPECT_EQ(a.AttachedList(), nullptr);
    list.Notify(kChunk, 1, 0);
    b.reset();
    list.Notify(kChunk, 2, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"b:0:1"}));
    EXPECT_EQ(list.Count(), 0);
}

TEST(IOHookList, AttachingTwiceLeavesOneEntryAndMovingListsDetaches) {
    IOHookList first;
    IOHookList second;
    std::vector<std::string> log;
    LoggingHook a("a", log);
    a.Attach(first);
    a.Attach(first);
    EXPECT_EQ(first.Count(), 1);
    first.Notify(kChunk, 1, 0);
    a.Attach(second);
    EXPECT_EQ(first.Count(), 0);
    EXPECT_EQ(a.AttachedList(), &second);
    first.Notify(kChunk, 1, 0);
    second.Notify(kChunk, 1, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"a:0:1", "a:1:1"}));
}

TEST(IOHookList, HookMayDetachItselfDuringNotify) {
    IOHookList list;
    std::vector<std::string> log;
    LoggingHook a("a", log);
    LoggingHook b("b", log);
    a.detachOnData = true;
    a.Attach(list);
    b.Attach(list);
    list.Notify(kChunk, 1, 0);
    list.Notify(kChunk, 1, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"a:0:1", "b:0:1", "b:0:1"}));
    EXPECT_EQ(list.Count(), 1);
}

TEST(IOHookList, EmptyChunksNotifyNobody) {
    IOHookList list;
    std::vector<std::string> log;
    LoggingHook a("a", log);
    a.Attach(list);
    list.Notify(kChunk, 0, 1);
    list.Notify(nullptr, 3, 1);
    EXPECT_TRUE(log.empty());
}

TEST(IOHookList, TeardownUnlinksItsHooks) {
    std::vector<std::string> log;
    LoggingHook a("a", log);
    {
        IOHookList list;
        a.Attach(list);
        EXPECT_EQ(a.AttachedList(), &list);
    }
    EXPECT_EQ(a.AttachedList(), nullptr);
    a.Detach(); // no list any more: nothing to touch
}

TEST(IOHookList, GlobalListIsOneObject) {
    EXPECT_EQ(&IOHookList::Global(), &IOHookList::Global());
}

} // namespace
