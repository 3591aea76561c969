#include "platform/rtl/Event.h"

#include <gtest/gtest.h>

using namespace rtl;

namespace {

class TListener : public TObject {
public:
    int Calls = 0;
    TObject* LastSender = nullptr;
    void Handle(TObject* sender) {
        ++Calls;
        LastSender = sender;
    }
    void Other(TObject*) {}
};

} // namespace

TEST(Event, CallsComparesAndClears) {
    TListener a, b;
    TNotifyEvent none;
    EXPECT_FALSE(none.Assigned());

    TNotifyEvent onA(&a, &TListener::Handle);
    ASSERT_TRUE(onA);
    onA(&b);
    EXPECT_EQ(a.Calls, 1);
    EXPECT_EQ(a.LastSender, &b);

    EXPECT_EQ(onA, TNotifyEvent(&a, &TListener::Handle));
    EXPECT_FALSE(onA == TNotifyEvent(&b, &TListener::Handle)) << "same code, other object";
    EXPECT_FALSE(onA == TNotifyEvent(&a, &TListener::Other)) << "same object, other code";

    onA.Clear();
    EXPECT_FALSE(onA.Assigned());
    EXPECT_EQ(onA, none);
}
