#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "iplug/vst3/layer/vst3_parameters.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

std::u16string text(const Parameter& p, ParamValue v) {
  String128 s;
  for (auto& u : s) u = u'#';
  p.toString(v, s);
  return s;
}

template <class P>
struct Released {
  void operator()(P* p) const { p->release(); }
};
template <class P>
using Owned = std::unique_ptr<P, Released<P>>;

}  // namespace

TEST(Vst3Parameter, ConstructorFillsTheDescription) {
  const std::u16string longTitle(150, u't');
  Owned<Parameter> p(new Parameter(longTitle.c_str(), 0x70727374u, u"", 0.25, 11,
                                   ParameterInfo::kIsProgramChange, 3));
  const ParameterInfo& info = p->getInfo();
  EXPECT_EQ(info.id, 0x70727374u);
  EXPECT_EQ(std::u16string(info.title), std::u16string(127, u't'));
  EXPECT_EQ(info.shortTitle[0], 0);
  EXPECT_EQ(info.units[0], 0);
  EXPECT_EQ(info.stepCount, 11);
  EXPECT_EQ(info.flags, ParameterInfo::kIsProgramChange);
  EXPECT_EQ(info.unitId, 3);
  EXPECT_EQ(info.defaultNormalizedValue, 0.25);
  EXPECT_EQ(p->getNormalized(), 0.25);
  EXPECT_EQ(p->getPrecision(), 4);
}

TEST(Vst3Parameter, SetNormalizedClampsAndRefusesNaN) {
  Owned<Parameter> p(new Parameter(u"P", 1));
  EXPECT_TRUE(p->setNormalized(0.5));
  EXPECT_FALSE(p->setNormalized(0.5));  // unchanged
  EXPECT_TRUE(p->setNormalized(1.7));
  EXPECT_EQ(p->getNormalized(), 1.0);
  EXPECT_TRUE(p->setNormalized(-3.0));
  EXPECT_EQ(p->getNormalized(), 0.0);
  EXPECT_FALSE(p->setNormalized(kNaN));
  EXPECT_EQ(p->getNormalized(), 0.0);
  Owned<Parameter> q(new Parameter(u"Q", 2, nullptr, kNaN));
  EXPECT_EQ(q->getInfo().defaultNormalizedValue, 0.0);
}

TEST(Vst3Parameter, TextOfToggleAndNumber) {
  Owned<Parameter> toggle(new Parameter(u"T", 1, nullptr, 0., 1));
  EXPECT_EQ(text(*toggle, 0.5), u"Off");
  EXPECT_EQ(text(*toggle, 0.51), u"On");
  Owned<Parameter> preset(new Parameter(u"Preset", 2, nullptr, 0., 11));
  EXPECT_EQ(text(*preset, 0.5), u"0.5000");
  preset->setPrecision(1);
  EXPECT_EQ(text(*preset, 0.26), u"0.3");
  preset->setPrecision(2);
  EXPECT_EQ(text(*preset, -0.126), u"-0.13");
}

TEST(Vst3Parameter, FromStringReadsALeadingNumberAndClamps) {
  Owned<Parameter> p(new Parameter(u"P", 1));
  ParamValue v = -1.;
  EXPECT_TRUE(p->fromString(u"  0.25 dB", v));
  EXPECT_EQ(v, 0.25);
  EXPECT_TRUE(p->fromString(u"7", v));
  EXPECT_EQ(v, 1.0);
  v = 0.5;
  EXPECT_FALSE(p->fromString(u"abc", v));
  EXPECT_FALSE(p->fromString(u"", v));
  EXPECT_FALSE(p->fromString(u"   ", v));
  EXPECT_FALSE(p->fromString(u"nan", v));
  EXPECT_FALSE(p->fromString(nullptr, v));
  EXPECT_EQ(v, 0.5);
}

TEST(Vst3RangeParameter, ContinuousConversions) {
  Owned<RangeParameter> p(new RangeParameter(u"Low pass", 7, u"Hz", 20., 20000., 1000.));
  EXPECT_DOUBLE_EQ(p->toPlain(0.5), 10010.);
  EXPECT_DOUBLE_EQ(p->toNormalized(10010.), 0.5);
  EXPECT_DOUBLE_EQ(p->getInfo().defaultNormalizedValue, (1000. - 20.) / 19980.);
  EXPECT_DOUBLE_EQ(p->getNormalized(), p->getInfo().defaultNormalizedValue);
  EXPECT_EQ(std::u16string(p->getInfo().units), u"Hz");
  EXPECT_EQ(p->getInfo().stepCount, 0);
  p->setPrecision(1);
  EXPECT_EQ(text(*p, 1.0), u"20000.0");
  EXPECT_EQ(text(*p, 0.0), u"20.0");

  ParamValue v = -1.;
  EXPECT_TRUE(p->fromString(u"10010", v));
  EXPECT_DOUBLE_EQ(v, 0.5);
  EXPECT_TRUE(p->fromString(u"50000", v));
  EXPECT_EQ(v, 1.0);
  EXPECT_TRUE(p->fromString(u"-5", v));
  EXPECT_EQ(v, 0.0);
  EXPECT_FALSE(p->fromString(u"fast", v));
}

TEST(Vst3RangeParameter, DefaultOutsideTheRangeAndAnEmptyRangeStayNormalised) {
  Owned<RangeParameter> outside(new RangeParameter(u"G", 1, nullptr, 0., 10., 25.));
  EXPECT_EQ(outside->getInfo().defaultNormalizedValue, 1.0);
  Owned<RangeParameter> empty(new RangeParameter(u"E", 2, nullptr, 3., 3., 3.));
  EXPECT_EQ(empty->toNormalized(3.), 0.0);
  EXPECT_EQ(empty->getInfo().defaultNormalizedValue, 0.0);
  EXPECT_EQ(empty->toPlain(0.7), 3.0);
  ParamValue v = -1.;
  EXPECT_TRUE(empty->fromString(u"3", v));
  EXPECT_EQ(v, 0.0);
}

TEST(Vst3RangeParameter, ToggleTextUsesThePlainValue) {
  Owned<RangeParameter> p(new RangeParameter(u"Switch", 1, nullptr, 0., 1., 0., 1));
  EXPECT_EQ(text(*p, 0.0), u"Off");
  EXPECT_EQ(text(*p, 1.0), u"On");
}

TEST(Vst3RangeParameter, SteppedConversionsAndText) {
  Owned<RangeParameter> p(new RangeParameter(u"Steps", 3, nullptr, 0., 10., 4., 10));
  EXPECT_EQ(p->toPlain(0.55), 6.);  // truncate (0.55 * 11)
  EXPECT_EQ(p->toPlain(1.0), 10.);
  EXPECT_EQ(p->toPlain(0.0), 0.);
  EXPECT_DOUBLE_EQ(p->toNormalized(4.), 0.4);
  EXPECT_DOUBLE_EQ(p->getInfo().defaultNormalizedValue, 0.4);
  EXPECT_EQ(text(*p, 0.55), u"6");
  EXPECT_EQ(p->toPlain(kNaN), 0.);  // no undefined conversion of NaN
  EXPECT_EQ(p->toPlain(4.0), 10.);

  ParamValue v = -1.;
  EXPECT_TRUE(p->fromString(u"3", v));
  EXPECT_DOUBLE_EQ(v, 0.3);
  EXPECT_TRUE(p->fromString(u"99", v));
  EXPECT_EQ(v, 1.0);
  EXPECT_FALSE(p->fromString(u"x", v));
  EXPECT_FALSE(p->fromString(u"99999999999999999999999", v));

  Owned<RangeParameter> negative(new RangeParameter(u"N", 4, nullptr, -5., 5., 0., 10));
  EXPECT_EQ(text(*negative, 0.0), u"-5");
  EXPECT_EQ(text(*negative, 0.5), u"0");
}

TEST(Vst3StringListParameter, ListTextsAndIndices) {
  Owned<StringListParameter> p(new StringListParameter(u"Automation", 44));
  EXPECT_EQ(p->getInfo().stepCount, -1);
  EXPECT_EQ(p->getInfo().flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsList);
  p->appendString(u"Ignore");
  p->appendString(u"Read");
  p->appendString(u"Write");
  EXPECT_EQ(p->getInfo().stepCount, 2);
  EXPECT_EQ(text(*p, 0.5), u"Read");
  EXPECT_EQ(text(*p, 0.0), u"Ignore");
  EXPECT_EQ(text(*p, 1.0), u"Write");
  EXPECT_EQ(p->toPlain(0.99), 2.);
  EXPECT_EQ(p->toPlain(0.33), 0.);
  EXPECT_DOUBLE_EQ(p->toNormalized(1.), 0.5);

  ParamValue v = -1.;
  EXPECT_TRUE(p->fromString(u"Write", v));
  EXPECT_EQ(v, 1.0);
  EXPECT_FALSE(p->fromString(u"write", v));
  EXPECT_FALSE(p->fromString(u"Rea", v));

  EXPECT_TRUE(p->replaceString(1, u"Play"));
  EXPECT_EQ(text(*p, 0.5), u"Play");
  EXPECT_FALSE(p->replaceString(3, u"x"));
  EXPECT_FALSE(p->replaceString(-1, u"x"));
}

TEST(Vst3StringListParameter, TwoTextsMakeAToggleAndAnEmptyListIsSafe) {
  Owned<StringListParameter> bypass(new StringListParameter(
      u"Bypass", 0x62706173u, nullptr,
      ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsBypass));
  EXPECT_EQ(bypass->getInfo().flags, 0x10009);
  bypass->appendString(u"off");
  bypass->appendString(u"on");
  EXPECT_EQ(bypass->getInfo().stepCount, 1);
  EXPECT_EQ(text(*bypass, 0.7), u"on");

  Owned<StringListParameter> none(new StringListParameter(u"None", 1));
  EXPECT_EQ(text(*none, 0.5), u"");
  EXPECT_EQ(none->toPlain(1.0), 0.);
  EXPECT_EQ(none->toNormalized(3.), 0.);
  none->appendString(std::u16string(200, u'w').c_str());
  EXPECT_EQ(text(*none, 0.0), std::u16string(127, u'w'));
}

namespace {
struct CountedParameter : Parameter {
  explicit CountedParameter(ParamID id, int* destroyed) : Parameter(u"C", id), destroyed_(destroyed) {}
  ~CountedParameter() override { ++*destroyed_; }
  int* destroyed_;
};
}  // namespace

TEST(Vst3ParameterContainer, OrderLookupAndOwnership) {
  int destroyed = 0;
  {
    ParameterContainer c;
    EXPECT_EQ(c.getParameterCount(), 0);
    EXPECT_EQ(c.getParameterByIndex(0), nullptr);
    Parameter* a = c.addParameter(new CountedParameter(0x70727374u, &destroyed));
    Parameter* b = c.addParameter(new CountedParameter(0x62706173u, &destroyed));
    Parameter* d = c.addParameter(u"Third", u"dB", 0, 0.5);
    EXPECT_EQ(a->getRefCount(), 1);  // the container took over the reference
    EXPECT_EQ(c.getParameterCount(), 3);
    EXPECT_EQ(c.getParameterByIndex(0), a);
    EXPECT_EQ(c.getParameterByIndex(1), b);
    EXPECT_EQ(d->getInfo().id, 2u);  // no tag: the count at the time
    EXPECT_EQ(c.getParameter(0x62706173u), b);
    EXPECT_EQ(c.getParameter(99), nullptr);
    EXPECT_EQ(c.getParameterByIndex(3), nullptr);
    EXPECT_EQ(c.getParameterByIndex(-1), nullptr);
    EXPECT_EQ(c.addParameter(nullptr, u"dB"), nullptr);
    EXPECT_EQ(c.getParameterCount(), 3);

    Parameter* again = c.addParameter(new CountedParameter(0x70727374u, &destroyed));
    EXPECT_EQ(c.getParameter(0x70727374u), again);  // the newer one takes over the id
    EXPECT_EQ(c.getParameterCount(), 4);

    c.removeAll();
    EXPECT_EQ(destroyed, 3);
    EXPECT_EQ(c.getParameter(0x62706173u), nullptr);
    c.addParameter(new CountedParameter(1, &destroyed));
  }
  EXPECT_EQ(destroyed, 4);
}

TEST(Vst3ParameterContainer, AddFromInfoKeepsTheDescription) {
  ParameterContainer c;
  ParameterInfo info{};
  info.id = 42;
  info.stepCount = 3;
  info.defaultNormalizedValue = 1. / 3.;
  info.flags = ParameterInfo::kIsReadOnly;
  Parameter* p = c.addParameter(info);
  EXPECT_EQ(p->getInfo().id, 42u);
  EXPECT_EQ(p->getInfo().flags, ParameterInfo::kIsReadOnly);
  EXPECT_EQ(p->getNormalized(), 1. / 3.);
}

TEST(Vst3Parameter, TypeNamesFollowTheClassChain) {
  Owned<RangeParameter> r(new RangeParameter(u"R", 1));
  EXPECT_STREQ(r->className(), "RangeParameter");
  EXPECT_TRUE(r->isTypeOf("Parameter"));
  EXPECT_TRUE(r->isTypeOf("FObject"));
  EXPECT_FALSE(r->isTypeOf("Parameter", false));
  EXPECT_TRUE(r->isA("RangeParameter"));
  EXPECT_FALSE(r->isTypeOf("StringListParameter"));
  EXPECT_FALSE(r->isTypeOf(nullptr));
}
