#include "platform/rtl/Exception.h"
#include "platform/rtl/Persistent.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace rtl;

namespace {

class TShape : public TPersistent {
    RTL_CLASS(TShape, TPersistent)
public:
    int Sides = 0;
    void Assign(TPersistent* source) override {
        if (auto* shape = ObjectCast<TShape>(source)) {
            Sides = shape->Sides;
            return;
        }
        inherited::Assign(source);
    }
};
RTL_IMPLEMENT_CLASS(TShape)

class TSquare : public TShape {
    RTL_CLASS(TSquare, TShape)
public:
    TSquare() { Sides = 4; }
};
RTL_IMPLEMENT_CLASS(TSquare)

class TAbstractThing : public TObject {
    RTL_CLASS(TAbstractThing, TObject)
};
RTL_IMPLEMENT_ABSTRACT_CLASS(TAbstractThing)

} // namespace

TEST(ClassInfo, KnowsNamesAndAncestry) {
    TSquare square;
    TObject* object = &square;
    EXPECT_EQ(object->ClassName(), u"TSquare");
    EXPECT_EQ(object->ClassParent(), TShape::StaticClass());
    EXPECT_TRUE(object->InheritsFrom(TPersistent::StaticClass()));
    EXPECT_TRUE(object->InheritsFrom(TObject::StaticClass()));
    EXPECT_FALSE(TShape::StaticClass()->InheritsFrom(TSquare::StaticClass()));
    EXPECT_EQ(ObjectCast<TSquare>(object), &square);
    EXPECT_EQ(ObjectCast<Exception>(object), nullptr);
}

TEST(ClassRegistry, FindsRegisteredClassesIgnoringCaseAndCreatesThem) {
    RegisterClass(TSquare::StaticClass());
    EXPECT_EQ(GetClass(u"tsquare"), TSquare::StaticClass());
    EXPECT_EQ(GetClass(u"TShape"), nullptr);
    EXPECT_THROW((void)FindClass(u"TShape"), EClassNotFound);

    TObject* made = FindClass(u"TSQUARE")->Create();
    ASSERT_NE(ObjectCast<TSquare>(made), nullptr);
    EXPECT_EQ(static_cast<TSquare*>(made)->Sides, 4);
    made->Free();
    UnRegisterClass(TSquare::StaticClass());
    EXPECT_EQ(GetClass(u"TSquare"), nullptr);
    EXPECT_THROW((void)TAbstractThing::StaticClass()->Create(), EAbstractError);
}

TEST(Persistent, AssignFallsBackToAssignToAndReportsBothClasses) {
    TSquare square;
    TShape shape;
    shape.Assign(&square);
    EXPECT_EQ(shape.Sides, 4);
    TPersistent plain;
    try {
        plain.Assign(&square);
        FAIL() << "assignment between unrelated classes must fail";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), u"Cannot assign a TSquare to a TPersistent");
        EXPECT_STREQ(e.what(), "Cannot assign a TSquare to a TPersistent");
    }
}

TEST(Exception, CarriesClassAndCopiesMessage) {
    try {
        throw EOutOfResources(u"no more handles");
    } catch (const EOutOfMemory& e) {
        EXPECT_EQ(e.ClassName(), u"EOutOfResources");
        EXPECT_TRUE(e.InheritsFrom(Exception::StaticClass()));
        EXPECT_EQ(e.Message(), u"no more handles");
    }
}

TEST(Monitor, IsReentrantAndExcludesOtherThreads) {
    TObject object;
    std::atomic<bool> otherEntered{false};
    object.Lock();
    object.Lock(); // re-entrant on the owning thread
    std::thread other([&] {
        object.Lock();
        otherEntered = true;
        object.UnLock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(otherEntered) << "a second thread entered a held monitor";
    object.UnLock();
    EXPECT_FALSE(otherEntered) << "one UnLock released a monitor entered twice";
    object.UnLock();
    other.join();
    EXPECT_TRUE(otherEntered);
}
