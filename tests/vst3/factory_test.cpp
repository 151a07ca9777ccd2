// The plug-in factory (records, registration, the three info forms, createInstance, the kept
// module factory) and the plug-in view base.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "iplug/vst3/layer/vst3.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

const TUID kClassA = {'c', 'l', 'a', 's', 's', '-', 'a', 0, 1, 2, 3, 4, 5, 6, 7, 8};
const TUID kClassB = {'c', 'l', 'a', 's', 's', '-', 'b', 0, 1, 2, 3, 4, 5, 6, 7, 8};

int gCreated = 0;
int gDestroyed = 0;

struct Product : SingleComponentEffect {
  Product() { ++gCreated; }
  ~Product() override { ++gDestroyed; }
};

FUnknown* createProduct(void* context) {
  if (context) *static_cast<void**>(context) = context;
  return static_cast<IAudioProcessor*>(new Product);
}
FUnknown* createNothing(void*) { return nullptr; }
FUnknown* createThrowing(void*) { throw std::runtime_error("no room"); }

PClassInfo2 classInfo(const TUID cid, const char* name) {
  return makeClassInfo2(cid, PClassInfo::kManyInstances, kVstAudioEffectClass, name,
                        kSimpleModeSupported, "Fx|Tools", "Vemtra", "2.0.8", kVstVersionString);
}

struct Vst3Factory : ::testing::Test {
  void SetUp() override { gCreated = gDestroyed = 0; }
  IPtr<CPluginFactory> factory = IPtr<CPluginFactory>::adopt(
      new CPluginFactory(makeFactoryInfo("Vemtra", "https://vemtra.example", "info@vemtra.example")));
};

}  // namespace

TEST(Vst3FactoryRecords, TextsAreCutToTheirFieldsAndTheFlagsAreUnicode) {
  const std::string vendor64(64, 'v');
  const PFactoryInfo info = makeFactoryInfo(vendor64.c_str(), "u", "e", PFactoryInfo::kClassesDiscardable);
  EXPECT_EQ(std::string(info.vendor), std::string(63, 'v'));
  EXPECT_STREQ(info.url, "u");
  for (int i = 1; i < PFactoryInfo::kURLSize; ++i) ASSERT_EQ(info.url[i], 0) << i;
  EXPECT_EQ(info.flags, PFactoryInfo::kUnicode | PFactoryInfo::kClassesDiscardable);
  EXPECT_EQ(makeFactoryInfo("a", "b", "c").flags, 16);

  const PClassInfo2 c = classInfo(kClassA, "VemtraCorvane");
  EXPECT_EQ(std::memcmp(c.cid, kClassA, 16), 0);
  EXPECT_EQ(c.cardinality, 0x7FFFFFFF);
  EXPECT_STREQ(c.category, "Audio Module Class");
  EXPECT_STREQ(c.name, "VemtraCorvane");
  EXPECT_EQ(c.classFlags, 2u);
  EXPECT_STREQ(c.subCategories, "Fx|Tools");
  EXPECT_STREQ(c.version, "2.0.8");
  EXPECT_STREQ(c.sdkVersion, "VST 3.5.2");

  const PClassInfoW w = makeClassInfoW(kClassB, 1, "Audio Module Class", u"Wide", 0, "Fx",
                                       u"V", u"1.0", u"VST 3.5.2");
  EXPECT_EQ(std::u16string(w.name), u"Wide");
  EXPECT_EQ(std::u16string(w.sdkVersion), u"VST 3.5.2");
  EXPECT_STREQ(w.subCategories, "Fx");
}

TEST_F(Vst3Factory, FactoryAnswersItsThreeInterfacesAsOneObject) {
  EXPECT_EQ(factory->getRefCount(), 1);
  for (const char* iid : {IPluginFactory::iid, IPluginFactory2::iid, IPluginFactory3::iid, FUnknown::iid}) {
    void* obj = nullptr;
    ASSERT_EQ(factory->queryInterface(iid, &obj), kResultOk);
    EXPECT_EQ(obj, static_cast<IPluginFactory*>(factory.get()));
    factory->release();
  }
  void* obj = factory.get();
  EXPECT_EQ(factory->queryInterface(IComponent::iid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  EXPECT_EQ(factory->getRefCount(), 1);
  EXPECT_EQ(factory->setHostContext(nullptr), kNotImplemented);
  PFactoryInfo info{};
  EXPECT_EQ(factory->getFactoryInfo(&info), kResultOk);
  EXPECT_STREQ(info.vendor, "Vemtra");
  EXPECT_EQ(factory->getFactoryInfo(nullptr), kResultOk);
}

TEST_F(Vst3Factory, RegistrationFromEachFormAndTheInfoTheHostReads) {
  const PClassInfo2 eight = classInfo(kClassA, "Eight");
  EXPECT_FALSE(factory->registerClass(&eight, nullptr));
  EXPECT_FALSE(factory->registerClass(static_cast<const PClassInfo2*>(nullptr), createProduct));
  ASSERT_TRUE(factory->registerClass(&eight, createProduct));
  const PClassInfo plain = makeClassInfo(kClassB, 1, "Audio Module Class", "Plain");
  ASSERT_TRUE(factory->registerClass(&plain, createProduct));
  const PClassInfoW wide = makeClassInfoW(kClassB, 1, "Audio Module Class", u"Wide", 0, "Fx",
                                          u"V", u"1", u"VST 3.5.2");
  ASSERT_TRUE(factory->registerClass(&wide, createProduct));
  EXPECT_EQ(factory->countClasses(), 3);

  PClassInfo info{};
  EXPECT_EQ(factory->getClassInfo(0, &info), kResultOk);
  EXPECT_STREQ(info.name, "Eight");
  PClassInfo2 info2{};
  EXPECT_EQ(factory->getClassInfo2(0, &info2), kResultOk);
  EXPECT_EQ(std::memcmp(&info2, &eight, sizeof info2), 0);
  EXPECT_EQ(factory->getClassInfo2(1, &info2), kResultOk);
  EXPECT_STREQ(info2.name, "Plain");
  EXPECT_EQ(info2.subCategories[0], 0);  // the extension of a plain record is zero

  PClassInfoW infoW{};
  EXPECT_EQ(factory->getClassInfoUnicode(0, &infoW), kResultOk);
  EXPECT_EQ(std::u16string(infoW.name), u"Eight");
  EXPECT_EQ(std::u16string(infoW.vendor), u"Vemtra");
  EXPECT_EQ(std::u16string(infoW.version), u"2.0.8");
  EXPECT_EQ(std::u16string(infoW.sdkVersion), u"VST 3.5.2");
  EXPECT_STREQ(infoW.category, "Audio Module Class");
  EXPECT_STREQ(infoW.subCategories, "Fx|Tools");
  EXPECT_EQ(infoW.classFlags, 2u);
  EXPECT_EQ(infoW.cardinality, 0x7FFFFFFF);

  // A class entered as Unicode has no 8-bit record.
  std::memset(&info, 0x55, sizeof info);
  EXPECT_EQ(factory->getClassInfo(2, &info), kResultFalse);
  EXPECT_EQ(info.cardinality, 0);
  EXPECT_EQ(factory->getClassInfo2(2, &info2), kResultFalse);
  EXPECT_EQ(factory->getClassInfoUnicode(2, &infoW), kResultOk);
  EXPECT_EQ(std::u16string(infoW.name), u"Wide");

  EXPECT_EQ(factory->getClassInfo(3, &info), kInvalidArgument);
  EXPECT_EQ(factory->getClassInfo(-1, &info), kInvalidArgument);
  EXPECT_EQ(factory->getClassInfo(0, nullptr), kInvalidArgument);
  EXPECT_EQ(factory->getClassInfo2(3, &info2), kInvalidArgument);
  EXPECT_EQ(factory->getClassInfoUnicode(3, &infoW), kInvalidArgument);
  EXPECT_EQ(factory->getClassInfoUnicode(0, nullptr), kInvalidArgument);
}

TEST_F(Vst3Factory, FullEightBitFieldsAreWidenedWithoutSpilling) {
  PClassInfo2 full = classInfo(kClassA, "x");
  std::memset(full.name, 'n', sizeof full.name);  // unterminated, as a host-made record could be
  std::memset(full.vendor, 'v', sizeof full.vendor);
  ASSERT_TRUE(factory->registerClass(&full, createProduct));
  PClassInfoW w{};
  ASSERT_EQ(factory->getClassInfoUnicode(0, &w), kResultOk);
  EXPECT_EQ(std::u16string(w.name), std::u16string(63, u'n'));
  EXPECT_EQ(w.classFlags, 2u);  // the field after the name is intact
  EXPECT_EQ(std::u16string(w.vendor), std::u16string(63, u'v'));
  EXPECT_EQ(std::u16string(w.version), u"2.0.8");
}

TEST_F(Vst3Factory, CreateInstanceHandsOverOneReferenceOrNothing) {
  const PClassInfo2 a = classInfo(kClassA, "A");
  const PClassInfo2 b = classInfo(kClassB, "B");
  void* context = nullptr;
  ASSERT_TRUE(factory->registerClass(&a, createProduct, &context));
  ASSERT_TRUE(factory->registerClass(&b, createNothing));

  void* obj = nullptr;
  ASSERT_EQ(factory->createInstance(kClassA, IComponent::iid, &obj), kResultOk);
  EXPECT_EQ(context, &context);  // the registered context reached the create function
  auto* component = static_cast<IComponent*>(obj);
  auto* product = static_cast<Product*>(component);
  EXPECT_EQ(product->getRefCount(), 1);  // only the caller's
  EXPECT_EQ(component->release(), 0u);
  EXPECT_EQ(gDestroyed, 1);

  // Interface not offered: the new object is destroyed at once.
  obj = &obj;
  EXPECT_EQ(factory->createInstance(kClassA, IPlugView::iid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  EXPECT_EQ(gCreated, 2);
  EXPECT_EQ(gDestroyed, 2);

  const TUID unknown = {0};
  obj = &obj;
  EXPECT_EQ(factory->createInstance(unknown, IComponent::iid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  obj = &obj;
  EXPECT_EQ(factory->createInstance(kClassB, IComponent::iid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  EXPECT_EQ(factory->createInstance(kClassA, IComponent::iid, nullptr), kInvalidArgument);
  EXPECT_EQ(factory->createInstance(nullptr, IComponent::iid, &obj), kInvalidArgument);
  EXPECT_EQ(factory->createInstance(kClassA, nullptr, &obj), kInvalidArgument);
  EXPECT_EQ(gCreated, 2);
}

TEST_F(Vst3Factory, TheFirstRegisteredClassWinsAndExceptionsStayInside) {
  const PClassInfo2 a = classInfo(kClassA, "A");
  ASSERT_TRUE(factory->registerClass(&a, createThrowing));
  ASSERT_TRUE(factory->registerClass(&a, createProduct));
  void* obj = &obj;
  EXPECT_EQ(factory->createInstance(kClassA, IAudioProcessor::iid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
  EXPECT_EQ(gCreated, 0);
}

namespace {
int gBuilt = 0;
bool gBuildThrows = false;
CPluginFactory* buildFactory() {
  if (gBuildThrows) throw std::bad_alloc();
  ++gBuilt;
  return new CPluginFactory(makeFactoryInfo("Vemtra", "", ""));
}
CPluginFactory* buildNothing() { return nullptr; }
}  // namespace

TEST(Vst3ModuleFactory, KeptWhileReferencedAndForgottenWhenDestroyed) {
  gBuilt = 0;
  ASSERT_EQ(keptPluginFactory(), nullptr);
  IPluginFactory* first = obtainPluginFactory(buildFactory);
  ASSERT_NE(first, nullptr);
  IPluginFactory* second = obtainPluginFactory(buildFactory);
  EXPECT_EQ(second, first);
  EXPECT_EQ(gBuilt, 1);
  EXPECT_EQ(static_cast<CPluginFactory*>(first)->getRefCount(), 2);
  EXPECT_EQ(keptPluginFactory(), first);
  second->release();
  EXPECT_EQ(first->release(), 0u);
  EXPECT_EQ(keptPluginFactory(), nullptr);  // the destroyed factory is not handed out again

  IPluginFactory* fresh = obtainPluginFactory(buildFactory);
  EXPECT_EQ(gBuilt, 2);
  EXPECT_EQ(static_cast<CPluginFactory*>(fresh)->getRefCount(), 1);
  fresh->release();

  EXPECT_EQ(obtainPluginFactory(buildNothing), nullptr);
  gBuildThrows = true;
  EXPECT_EQ(obtainPluginFactory(buildFactory), nullptr);
  gBuildThrows = false;
  EXPECT_EQ(keptPluginFactory(), nullptr);
}

namespace {
struct CountedFrame : FObject, IPlugFrame {
  tresult CORVANE_VST3_CALL queryInterface(const TUID iid, void** obj) override {
    if (queryAnswer<IPlugFrame>(iid, obj, this)) return kResultOk;
    return FObject::queryInterface(iid, obj);
  }
  CORVANE_VST3_REFCOUNT_METHODS(FObject)
  tresult CORVANE_VST3_CALL resizeView(IPlugView*, ViewRect*) override { return kResultOk; }
};

struct HookedView : CPluginView {
  using CPluginView::CPluginView;
  void attachedToParent() override { hooks += "a"; }
  void removedFromParent() override { hooks += isAttached() ? "r" : "?"; }
  std::string hooks;
};
}  // namespace

TEST(Vst3PluginView, DefaultAnswers) {
  IPtr<HookedView> view = IPtr<HookedView>::adopt(new HookedView);
  ViewRect r{1, 2, 3, 4};
  EXPECT_EQ(view->getSize(&r), kResultTrue);
  EXPECT_EQ(r.left | r.top | r.right | r.bottom, 0);
  EXPECT_EQ(view->getSize(nullptr), kInvalidArgument);
  EXPECT_EQ(view->isPlatformTypeSupported(kPlatformTypeHWND), kNotImplemented);
  EXPECT_EQ(view->onWheel(1.f), kResultFalse);
  EXPECT_EQ(view->onKeyDown(u'a', 65, 0), kResultFalse);
  EXPECT_EQ(view->onKeyUp(u'a', 65, 0), kResultFalse);
  EXPECT_EQ(view->onFocus(1), kResultFalse);
  EXPECT_EQ(view->canResize(), kResultFalse);
  EXPECT_EQ(view->checkSizeConstraint(&r), kResultFalse);

  int window = 0;
  EXPECT_EQ(view->attached(&window, "anything"), kResultOk);
  EXPECT_TRUE(view->isAttached());
  EXPECT_EQ(view->getSystemWindow(), &window);
  EXPECT_EQ(view->removed(), kResultOk);
  EXPECT_FALSE(view->isAttached());
  EXPECT_EQ(view->hooks, "ar");

  ViewRect size{0, 0, 800, 500};
  EXPECT_EQ(view->onSize(&size), kResultTrue);
  EXPECT_EQ(view->onSize(nullptr), kResultTrue);
  EXPECT_EQ(view->getSize(&r), kResultTrue);
  EXPECT_EQ(r.getWidth(), 800);
  EXPECT_EQ(r.getHeight(), 500);

  const ViewRect initial{0, 0, 10, 20};
  IPtr<CPluginView> sized = IPtr<CPluginView>::adopt(new CPluginView(&initial));
  EXPECT_EQ(sized->getRect().bottom, 20);
  void* obj = nullptr;
  ASSERT_EQ(sized->unknownCast()->queryInterface(IPlugView::iid, &obj), kResultOk);
  EXPECT_EQ(obj, static_cast<IPlugView*>(sized.get()));
  sized->release();
  EXPECT_STREQ(sized->className(), "CPluginView");
}

TEST(Vst3PluginView, FrameIsHeldWithAReferenceUntilReplacedOrDestroyed) {
  IPtr<CountedFrame> frame = IPtr<CountedFrame>::adopt(new CountedFrame);
  IPtr<CountedFrame> other = IPtr<CountedFrame>::adopt(new CountedFrame);
  auto* view = new CPluginView;
  EXPECT_EQ(view->setFrame(frame.get()), kResultTrue);
  EXPECT_EQ(view->getFrame(), static_cast<IPlugFrame*>(frame.get()));
  EXPECT_EQ(frame->getRefCount(), 2);
  view->setFrame(other.get());
  EXPECT_EQ(frame->getRefCount(), 1);
  EXPECT_EQ(other->getRefCount(), 2);
  view->release();
  EXPECT_EQ(other->getRefCount(), 1);
}
