#include "base/TCP_ConnectionParams.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A second kind, to show that kind-specific fields cross only between equal kinds.
class OtherParams : public UECP_IO_ConnectionParams {
public:
    OtherParams() { kind = 7; }
    std::unique_ptr<UECP_IO_ConnectionParams> Clone() const override {
        auto copy = std::make_unique<OtherParams>();
        copy->CopyFrom(*this);
        return copy;
    }
};

void OpenCallback(UECP_IO*, int, int, void*) {}

TEST(TCP_ConnectionParams, ConstructionSetsTheTcpDefaults) {
    TCP_ConnectionParams p("10.0.0.9", 1234);
    EXPECT_EQ(p.kind, 1);
    EXPECT_EQ(p.connectTimeout, 5000u);
    EXPECT_EQ(p.readTimeout, 3000u);
    EXPECT_EQ(p.sendTimeout, 3000u);
    EXPECT_FALSE(p.asyncOpen);
    EXPECT_EQ(p.openCallback, nullptr);
    EXPECT_EQ(p.callbackContext, nullptr);
    EXPECT_EQ(p.address, 0u);
    EXPECT_STREQ(p.host, "10.0.0.9");
    EXPECT_EQ(p.port, 1234);

    OtherParams base;
    EXPECT_EQ(base.connectTimeout, 1000u);
    EXPECT_EQ(base.readTimeout, 1000u);
    EXPECT_EQ(base.sendTimeout, 1000u);
}

TEST(TCP_ConnectionParams, HostIsTruncatedTo511CharactersAndNullIsEmpty) {
    const std::string longHost(600, 'h');
    TCP_ConnectionParams p(longHost.c_str(), 1);
    EXPECT_EQ(std::string(p.host), longHost.substr(0, 511));

    TCP_ConnectionParams empty(nullptr, 1);
    EXPECT_STREQ(empty.host, "");
}

TEST(TCP_ConnectionParams, CloneIsAnIndependentCopyOfEveryField) {
    int context = 0;
    TCP_ConnectionParams p("device.local", 7000);
    p.connectTimeout = 11;
    p.readTimeout = 22;
    p.sendTimeout = 33;
    p.asyncOpen = true;
    p.openCallback = &OpenCallback;
    p.callbackContext = &context;
    p.address = 0x0100007F;

    std::unique_ptr<UECP_IO_ConnectionParams> clone = p.Clone();
    auto* tcp = dynamic_cast<TCP_ConnectionParams*>(clone.get());
    ASSERT_NE(tcp, nullptr);
    p.SetHost("changed");
    p.port = 1;
    p.readTimeout = 99;

    EXPECT_STREQ(tcp->host, "device.local");
    EXPECT_EQ(tcp->port, 7000);
    EXPECT_EQ(tcp->address, 0x0100007Fu);
    EXPECT_EQ(tcp->connectTimeout, 11u);
    EXPECT_EQ(tcp->readTimeout, 22u);
    EXPECT_EQ(tcp->sendTimeout, 33u);
    EXPECT_TRUE(tcp->asyncOpen);
    EXPECT_EQ(tcp->openCallback, &OpenCallback);
    EXPECT_EQ(tcp->callbackContext, &context);
}

TEST(TCP_ConnectionParams, CopyFromAnotherKindTakesOnlyTheCommonFields) {
    OtherParams other;
    other.connectTimeout = 1;
    other.readTimeout = 2;
    other.sendTimeout = 3;
    other.asyncOpen = true;

    TCP_ConnectionParams p("keep.me", 4321);
    p.CopyFrom(other);
    EXPECT_EQ(p.kind, 1);
    EXPECT_EQ(p.connectTimeout, 1u);
    EXPECT_EQ(p.readTimeout, 2u);
    EXPECT_EQ(p.sendTimeout, 3u);
    EXPECT_TRUE(p.asyncOpen);
    EXPECT_STREQ(p.host, "keep.me");
    EXPECT_EQ(p.port, 4321);

    std::unique_ptr<UECP_IO_ConnectionParams> otherClone = other.Clone();
    EXPECT_EQ(otherClone->kind, 7);
    EXPECT_EQ(otherClone->readTimeout, 2u);
}

} // namespace
