#include "platform/rtl/Published.h"

#include "platform/rtl/Component.h"

#include <vector>

#include <gtest/gtest.h>

using namespace rtl;

namespace {

RTL_ENUM(TTestAlign, taNone, taTop, taBottom, taLeft, taRight, taClient)
RTL_ENUM(TTestStyle, tsBold, tsItalic, tsUnderline, tsStrikeOut)
using TTestStyles = TSet<TTestStyle>;

const TTypeInfo* TTestColorTypeInfo() {
    static const TTypeInfo info = NamedTypeInfo(TypeInfoOf<std::int32_t>(), "TTestColor");
    return &info;
}

class TWidget : public TComponent {
    RTL_CLASS(TWidget, TComponent)
public:
    using TComponent::TComponent;

    int Width() const { return FWidth; }
    void SetWidth(int value) {
        FWidth = value;
        ++WidthWrites;
    }
    int Side(int index) const { return FSides[index]; }
    TNotifyEvent OnClick() const { return FOnClick; }

    int WidthWrites = 0;
    bool StoreCaption = false;

private:
    void SetSide(int index, int value) { FSides[index] = value; }
    bool IsSideStored(int index) const { return FSides[index] != 0; }
    int GetArea() const { return FWidth * 2; }
    void SetBuddy(TWidget* value) { FBuddy = value; }

    int FWidth = 0;
    TTestAlign FAlign = taNone;
    TTestStyles FStyle;
    String FCaption;
    double FRatio = 0;
    bool FVisible = true;
    char16_t FAccel = u'A';
    std::uint8_t FAlpha = 255;
    std::int64_t FBig = 0;
    std::int32_t FColor = 0;
    int FSides[2] = {};
    TWidget* FBuddy = nullptr;
    TNotifyEvent FOnClick;
};
RTL_IMPLEMENT_CLASS(TWidget)

RTL_PUBLISHED(TWidget) {
    Property(u"Width", &TWidget::Width, &TWidget::SetWidth).Default(0);
    Property(u"Align", &TWidget::FAlign, &TWidget::FAlign).Default(taNone);
    Property(u"Style", &TWidget::FStyle, &TWidget::FStyle).Default({});
    Property(u"Caption", &TWidget::FCaption, &TWidget::FCaption).Stored(&TWidget::StoreCaption);
    Property(u"Ratio", &TWidget::FRatio, &TWidget::FRatio);
    Property(u"Visible", &TWidget::FVisible, &TWidget::FVisible).Default(true);
    Property(u"Accel", &TWidget::FAccel, &TWidget::FAccel);
    Property(u"Alpha", &TWidget::FAlpha, &TWidget::FAlpha).Default(255);
    Property(u"Big", &TWidget::FBig, &TWidget::FBig);
    Property(u"Color", &TWidget::FColor, &TWidget::FColor).Type(TTestColorTypeInfo());
    Property(u"Left", Index(0), &TWidget::Side, &TWidget::SetSide).Stored(&TWidget::IsSideStored);
    Property(u"Top", Index(1), &TWidget::Side, &TWidget::SetSide).Stored(&TWidget::IsSideStored);
    Property(u"Buddy", &TWidget::FBuddy, &TWidget::SetBuddy);
    Property(u"Area", &TWidget::GetArea);
    Property(u"OnClick", &TWidget::FOnClick, &TWidget::FOnClick);
}

// Republishes Width with another default and adds a property of its own.
class TFancyWidget : public TWidget {
    RTL_CLASS(TFancyWidget, TWidget)
public:
    using TWidget::TWidget;

private:
    int FGlow = 0;
};
RTL_IMPLEMENT_CLASS(TFancyWidget)

RTL_PUBLISHED(TFancyWidget) {
    Property(u"Glow", &TFancyWidget::FGlow, &TFancyWidget::FGlow);
    Property(u"Width", &TFancyWidget::Width, &TFancyWidget::SetWidth).Default(10);
}

class TBaseForm : public TComponent {
    RTL_CLASS(TBaseForm, TComponent)
public:
    using TComponent::TComponent;
    TObject* ClickedBy = nullptr;
    int Closed = 0;

    void FormClose(TObject*) { ++Closed; }
};
RTL_IMPLEMENT_CLASS(TBaseForm)

RTL_PUBLISHED(TBaseForm) {
    Method(u"FormClose", &TBaseForm::FormClose);
}

class TForm1 : public TBaseForm {
    RTL_CLASS(TForm1, TBaseForm)
public:
    using TBaseForm::TBaseForm;
    TWidget* Button1 = nullptr;

    void Button1Click(TObject* sender) { ClickedBy = sender; }
    void Resize(int) {}
    void Hidden(TObject*) {}
};
RTL_IMPLEMENT_CLASS(TForm1)

RTL_PUBLISHED(TForm1) {
    Method(u"Button1Click", &TForm1::Button1Click);
    Method(u"Resize", &TForm1::Resize);
    Field(u"Button1", &TForm1::Button1);
}

std::vector<String> Names(const TPropList& list) {
    std::vector<String> names;
    for (const TPropInfo* prop : list)
        names.emplace_back(prop->Name);
    return names;
}

} // namespace

TEST(PublishedProperties, ListInheritedFirstAndRedeclaredInPlace) {
    std::vector<String> widget = {u"Name",  u"Tag",     u"Width", u"Align", u"Style",  u"Caption",
                                  u"Ratio", u"Visible", u"Accel", u"Alpha", u"Big",    u"Color",
                                  u"Left",  u"Top",     u"Buddy", u"Area",  u"OnClick"};
    EXPECT_EQ(Names(GetPropList(TWidget::StaticClass())), widget);

    std::vector<String> fancy = widget;
    fancy.push_back(u"Glow");
    TFancyWidget object(nullptr);
    const TPropList& list = GetPropList(static_cast<TObject*>(&object));
    EXPECT_EQ(Names(list), fancy);
    EXPECT_EQ(list[2]->Owner, TFancyWidget::StaticClass())
        << "the redeclared Width replaces the inherited one";
    EXPECT_EQ(list[2]->Default, 10);
    EXPECT_EQ(GetPropInfo(TWidget::StaticClass(), u"width")->Default, 0);
    EXPECT_EQ(GetPropInfo(&object, u"WIDTH"), list[2]);
    EXPECT_EQ(GetPropInfo(&object, u"Nope"), nullptr);
}

TEST(PublishedProperties, KindsAndTypes) {
    struct Row {
        const char16_t* Name;
        TTypeKind Kind;
        std::string_view TypeName;
    };
    const Row rows[] = {
        {u"Width", tkInteger, "Integer"}, {u"Align", tkEnumeration, "TTestAlign"},
        {u"Style", tkSet, "Set"},         {u"Caption", tkUString, "string"},
        {u"Ratio", tkFloat, "Double"},    {u"Visible", tkEnumeration, "Boolean"},
        {u"Accel", tkWChar, "Char"},      {u"Alpha", tkInteger, "Byte"},
        {u"Big", tkInt64, "Int64"},       {u"Color", tkInteger, "TTestColor"},
        {u"Buddy", tkClass, "TWidget"},   {u"OnClick", tkMethod, "TMethod"},
        {u"Tag", tkInt64, "Int64"},       {u"Name", tkUString, "string"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(StringToUtf8(row.Name));
        const TPropInfo* prop = GetPropInfo(TWidget::StaticClass(), row.Name);
        ASSERT_NE(prop, nullptr);
        EXPECT_EQ(prop->Kind(), row.Kind);
        EXPECT_EQ(prop->PropType->Name, row.TypeName);
    }
    EXPECT_EQ(GetPropInfo(TWidget::StaticClass(), u"Style")->PropType->CompType, TypeInfoOf<TTestStyle>());
    EXPECT_EQ(GetPropInfo(TWidget::StaticClass(), u"Buddy")->PropType->ClassType, TWidget::StaticClass());
    EXPECT_FALSE(GetPropInfo(TWidget::StaticClass(), u"Area")->Writable());
}

TEST(PublishedProperties, NamedIntegerTypesCarryTheirIdentifierTables) {
    const TTypeInfo* color = GetPropInfo(TWidget::StaticClass(), u"Color")->PropType;
    EXPECT_EQ(FindIdentToInt(color), nullptr);
    RegisterIntegerConsts(
        color,
        [](StringView ident, std::int32_t& value) {
            value = 0xFF;
            return ident == u"clRed";
        },
        [](std::int32_t value, String& ident) {
            ident = u"clRed";
            return value == 0xFF;
        });
    std::int32_t value = 0;
    ASSERT_NE(FindIdentToInt(color), nullptr);
    EXPECT_TRUE(FindIdentToInt(color)(u"clRed", value));
    EXPECT_EQ(value, 0xFF);
    String ident;
    EXPECT_TRUE(FindIntToIdent(color)(0xFF, ident));
    EXPECT_EQ(ident, u"clRed");
    EXPECT_EQ(FindIdentToInt(TypeInfoOf<std::int32_t>()), nullptr) << "the plain Integer type has no table";
}

TEST(PublishedProperties, ReadAndWriteByNameThroughBasePointer) {
    TComponent owner(nullptr);
    auto* widget = new TFancyWidget(&owner);
    TObject* object = widget;

    SetOrdProp(object, u"tag", 42); // inherited from TComponent
    EXPECT_EQ(widget->Tag(), 42);
    SetStrProp(object, u"Name", u"Fancy1");
    EXPECT_EQ(widget->Name(), u"Fancy1");
    EXPECT_EQ(owner.FindComponent(u"fancy1"), widget);

    SetOrdProp(object, u"Width", 7);
    EXPECT_EQ(widget->Width(), 7);
    EXPECT_EQ(widget->WidthWrites, 1) << "the setter runs";
    EXPECT_EQ(GetOrdProp(object, u"Area"), 14) << "getter function";

    SetOrdProp(object, u"Top", 5);
    EXPECT_EQ(widget->Side(1), 5) << "indexed setter gets its index";
    EXPECT_EQ(widget->Side(0), 0);
    EXPECT_EQ(GetOrdProp(object, u"Top"), 5);

    SetFloatProp(object, u"Ratio", 1.5);
    EXPECT_EQ(GetFloatProp(object, u"Ratio"), 1.5);
    SetOrdProp(object, u"Accel", u'Z');
    EXPECT_EQ(GetOrdProp(object, u"Accel"), u'Z');
    SetInt64Prop(object, u"Big", std::int64_t{1} << 40);
    EXPECT_EQ(GetInt64Prop(object, u"Big"), std::int64_t{1} << 40);
    SetOrdProp(object, u"Alpha", 0x1FF);
    EXPECT_EQ(GetOrdProp(object, u"Alpha"), 0xFF) << "truncated to the property's size";
    SetOrdProp(object, u"Visible", 0);
    EXPECT_EQ(GetEnumProp(object, u"Visible"), u"False");

    auto* buddy = new TWidget(&owner);
    SetObjectProp(object, u"Buddy", buddy);
    EXPECT_EQ(GetObjectProp(object, u"Buddy"), buddy);
    auto* plain = new TComponent(&owner);
    EXPECT_THROW(SetObjectProp(object, u"Buddy", plain), EInvalidCast);
    EXPECT_EQ(GetObjectProp(object, u"Buddy"), buddy);
    SetObjectProp(object, u"Buddy", nullptr);
    EXPECT_EQ(GetObjectProp(object, u"Buddy"), nullptr);
}

TEST(PublishedProperties, BadAccessRaisesTheClassLibraryErrors) {
    TWidget widget(nullptr);
    TObject* object = &widget;
    try {
        (void)GetOrdProp(object, u"Nope");
        FAIL() << "an unknown property must raise";
    } catch (const EPropertyError& e) {
        EXPECT_EQ(e.Message(), u"Property Nope does not exist");
    }
    try {
        (void)GetStrProp(object, u"Width");
        FAIL() << "a property of another kind must raise";
    } catch (const EPropertyConvertError& e) {
        EXPECT_EQ(e.Message(), u"Invalid property type: Integer");
    }
    EXPECT_THROW(SetOrdProp(object, u"Area", 1), EPropertyError) << "read-only";
    EXPECT_THROW(SetOrdProp(object, u"Align", 6), ERangeError) << "no such enumeration value";
    EXPECT_THROW(SetOrdProp(object, u"Visible", 2), ERangeError);
    EXPECT_EQ(GetOrdProp(object, u"Align"), taNone);

    // A property of one class used on an object of an unrelated class.
    TComponent other(nullptr);
    EXPECT_THROW((void)GetOrdProp(&other, GetPropInfo(TWidget::StaticClass(), u"Width")), EPropertyError);
    EXPECT_THROW((void)GetOrdProp(nullptr, u"Width"), EPropertyError);
}

TEST(PublishedProperties, EnumerationAndSetNamesRoundTrip) {
    const TTypeInfo* align = TypeInfoOf<TTestAlign>();
    for (int value = taNone; value <= taClient; ++value)
        EXPECT_EQ(GetEnumValue(align, GetEnumName(align, value)), value);
    EXPECT_EQ(GetEnumName(align, taClient), u"taClient");
    EXPECT_EQ(GetEnumValue(align, u"TACLIENT"), taClient);
    EXPECT_EQ(GetEnumValue(align, u"taMiddle"), -1);
    EXPECT_EQ(GetEnumName(align, 6), u"");
    EXPECT_EQ(GetEnumValue(TypeInfoOf<bool>(), u"true"), 1);

    TWidget widget(nullptr);
    SetEnumProp(&widget, u"Align", u"taRight");
    EXPECT_EQ(GetEnumProp(&widget, u"Align"), u"taRight");
    try {
        SetEnumProp(&widget, u"Align", u"taMiddle");
        FAIL() << "an unknown enumeration name must raise";
    } catch (const EPropertyConvertError& e) {
        EXPECT_EQ(e.Message(), u"Invalid property element: taMiddle");
    }

    const TTypeInfo* styles = TypeInfoOf<TTestStyles>();
    for (std::int64_t bits = 0; bits < 16; ++bits) {
        String text = SetToString(styles, bits, true);
        EXPECT_EQ(StringToSet(styles, text), bits) << StringToUtf8(text);
    }
    struct Row {
        const char16_t* Text;
        TTestStyles Expected;
    };
    const Row rows[] = {
        {u"[]", {}},
        {u"", {}},
        {u"tsBold", {tsBold}},
        {u"[tsItalic, tsStrikeOut]", {tsItalic, tsStrikeOut}},
        {u"tsUnderline,tsbold", {tsBold, tsUnderline}},
    };
    for (const Row& row : rows) {
        SetSetProp(&widget, u"Style", row.Text);
        EXPECT_EQ(static_cast<std::uint64_t>(GetOrdProp(&widget, u"Style")), row.Expected.Bits())
            << StringToUtf8(row.Text);
    }
    SetOrdProp(&widget, u"Style", TTestStyles{tsBold, tsStrikeOut}.Bits());
    EXPECT_EQ(GetSetProp(&widget, u"Style"), u"tsBold,tsStrikeOut");
    EXPECT_EQ(GetSetProp(&widget, u"Style", true), u"[tsBold,tsStrikeOut]");
    EXPECT_THROW(SetSetProp(&widget, u"Style", u"[tsBold, tsWavy]"), EPropertyConvertError);
    SetOrdProp(&widget, u"Style", 0xFF);
    EXPECT_EQ(GetSetProp(&widget, u"Style"), u"tsBold,tsItalic,tsUnderline,tsStrikeOut")
        << "bits beyond the enumeration are dropped";
}

TEST(PublishedProperties, StoredTestsAndDefaults) {
    TWidget widget(nullptr);
    struct Row {
        const char16_t* Name;
        bool Stored;
        bool Default;
    };
    auto check = [&](std::initializer_list<Row> rows) {
        for (const Row& row : rows) {
            SCOPED_TRACE(StringToUtf8(row.Name));
            const TPropInfo* prop = FindPropInfo(&widget, row.Name);
            EXPECT_EQ(IsStoredProp(&widget, prop), row.Stored);
            EXPECT_EQ(IsDefaultPropertyValue(&widget, prop), row.Default);
        }
    };
    check({
        {u"Name", false, true},   // stored false
        {u"Tag", true, true},     // default 0
        {u"Width", true, true},   // default 0
        {u"Visible", true, true}, // default true
        {u"Alpha", true, true},   // default 255
        {u"Caption", false, true},
        {u"Left", false, false}, // stored by indexed method; nodefault
        {u"Ratio", true, true},  // floats default to 0
        {u"Accel", true, false}, // no default: always written
        {u"Style", true, true},
        {u"OnClick", true, true},
        {u"Buddy", true, true},
    });
    widget.SetTag(3);
    widget.SetWidth(5);
    SetOrdProp(&widget, u"Visible", 0);
    widget.StoreCaption = true;
    SetStrProp(&widget, u"Caption", u"x");
    SetOrdProp(&widget, u"Left", 9);
    SetFloatProp(&widget, u"Ratio", 0.5);
    SetSetProp(&widget, u"Style", u"tsBold");
    check({
        {u"Tag", true, false},
        {u"Width", true, false},
        {u"Visible", true, false},
        {u"Caption", true, false},
        {u"Left", true, false},
        {u"Top", false, false},
        {u"Ratio", true, false},
        {u"Style", true, false},
    });
}

TEST(PublishedMethods, EventsBindByMethodNameAndGiveTheNameBack) {
    TForm1 form(nullptr);
    auto* button = new TWidget(&form);

    TMethod click = MethodAddress(&form, u"button1click");
    ASSERT_TRUE(click.Assigned());
    SetMethodProp(button, u"OnClick", click);
    ASSERT_TRUE(button->OnClick().Assigned());
    button->OnClick()(button);
    EXPECT_EQ(form.ClickedBy, button);
    EXPECT_EQ(MethodName(button->OnClick()), u"Button1Click");
    EXPECT_EQ(GetMethodProp(button, u"OnClick"), click);

    // Methods of ancestors are found, and named, through the descendant.
    SetMethodProp(button, u"OnClick", MethodAddress(&form, u"FormClose"));
    button->OnClick()(button);
    EXPECT_EQ(form.Closed, 1);
    EXPECT_EQ(MethodName(GetMethodProp(button, u"OnClick")), u"FormClose");

    EXPECT_FALSE(MethodAddress(&form, u"NoSuchMethod").Assigned());
    try {
        SetMethodProp(button, u"OnClick", MethodAddress(&form, u"Resize"));
        FAIL() << "a method of another signature must not bind";
    } catch (const EPropertyConvertError& e) {
        EXPECT_EQ(e.Message(), u"Invalid property value");
    }
    EXPECT_EQ(MethodName(button->OnClick()), u"FormClose") << "a refused binding leaves the event";

    SetMethodProp(button, u"OnClick", TMethod{});
    EXPECT_FALSE(button->OnClick().Assigned());
    EXPECT_EQ(MethodName(button->OnClick()), u"");
    EXPECT_EQ(MethodName(TNotifyEvent(&form, &TForm1::Hidden)), u"") << "not published";
    EXPECT_EQ(MethodName(TNotifyEvent(button, static_cast<TNotifyEvent::Code>(&TForm1::Button1Click))), u"")
        << "published by the class of another object";
}

TEST(PublishedFields, ComponentNamesSetAndClearTheOwnersField) {
    TForm1 form(nullptr);
    auto* button = new TWidget(&form);
    EXPECT_EQ(form.Button1, nullptr);
    button->SetName(u"Button1");
    EXPECT_EQ(form.Button1, button);
    button->SetName(u"Button2");
    EXPECT_EQ(form.Button1, nullptr) << "renaming releases the field";
    button->SetName(u"button1");
    EXPECT_EQ(form.Button1, button) << "field names ignore case";

    // A component of another class may not take the field's name.
    auto* plain = new TComponent(&form);
    button->SetName(u"Other");
    EXPECT_THROW(plain->SetName(u"Button1"), EComponentError);
    EXPECT_EQ(plain->Name(), u"");
    EXPECT_EQ(form.Button1, nullptr);

    button->SetName(u"Button1");
    button->Free();
    EXPECT_EQ(form.Button1, nullptr) << "a freed component leaves no dangling field";
}
