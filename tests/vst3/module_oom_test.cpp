// No exception reaches the host from the module: a host session (factory, class information,
// creation, initialisation, set-up, a block, the state, the editor view, the teardown) is run
// again and again with one more allocation made to fail each time, until a run gets through
// without a failed allocation. Every entry point must answer with a result code or a null
// pointer, and nothing of the module's own may be left behind (the leak checker of the
// sanitized build watches).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "tools/vst3host/Vst3Host.h"

namespace {

std::atomic<long> gAllocations{0};
std::atomic<long> gFailAt{-1};

void* Allocate(std::size_t n) {
  const long failAt = gFailAt.load(std::memory_order_relaxed);
  if (failAt >= 0 && gAllocations.fetch_add(1, std::memory_order_relaxed) == failAt) return nullptr;
  return std::malloc(n ? n : 1);
}

}  // namespace

// The replacements pair malloc with free throughout.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

extern "C" void* GetPluginFactory();

namespace {

using namespace published;

const unsigned char kClassId[16] = {0x0D, 0xE7, 0xAE, 0xF2, 0x4E, 0x4F, 0xDE, 0x00,
                                    'r',  'T',  'm',  'V',  'n',  'v',  'r',  'C'};

// The host's own memory is set aside before the plug-in is called, so that every failure the
// plug-in sees is its own. True when the whole session ran with every call answering success.
bool Session(rawhost::HostObjects& host, rawhost::StreamFace& stream, vst3host::ProcessBlock& block,
             const std::vector<unsigned char>& setup) {
  void* factory = GetPluginFactory();
  if (!factory) return false;
  bool ok = call<int32_t>(factory, slot::countClasses) == 1;
  vst3host::Instance plug;  // holds no memory until Create
  void* obj = nullptr;
  ok = ok && call<int32_t>(factory, slot::createInstance, reinterpret_cast<const char*>(kClassId),
                           reinterpret_cast<const char*>(kIComponent), &obj) == kOk;
  if (ok) {
    plug.component = obj;
    plug.processor = query(obj, kIAudioProcessor);
    plug.controller = query(obj, kIEditController);
    ok = plug.processor && plug.controller;
  }
  ok = ok && call<int32_t>(plug.component, slot::initialize, static_cast<void*>(&host.application)) == kOk;
  uint64_t ins[] = {0x3, 0x3};
  uint64_t outs[] = {0x3};
  ok = ok && call<int32_t>(plug.processor, slot::setBusArrangements, ins, int32_t(2), outs, int32_t(1)) == kOk;
  for (int32_t dir : {0, 1}) {
    for (int32_t index = 0; index <= 1 - dir; ++index)
      ok = ok && call<int32_t>(plug.component, slot::activateBus, int32_t(0), dir, index, uint8_t(1)) == kOk;
  }
  ok = ok && call<int32_t>(plug.processor, slot::setupProcessing, static_cast<const void*>(setup.data())) == kOk;
  ok = ok && call<int32_t>(plug.component, slot::setActive, uint8_t(1)) == kOk;
  ok = ok && call<int32_t>(plug.processor, slot::process, block.Data()) == kOk;
  stream.pos = 0;
  ok = ok && call<int32_t>(plug.component, slot::componentGetState, static_cast<void*>(&stream)) == kOk;
  stream.pos = 0;
  ok = ok && call<int32_t>(plug.component, slot::componentSetState, static_cast<void*>(&stream)) == kOk;
  void* view = ok ? call<void*>(plug.controller, slot::createView, "editor") : nullptr;
  ok = ok && view;
  if (view) {
    int parent = 0;
    ok = call<int32_t>(view, slot::attached, static_cast<void*>(&parent), "HWND") == kOk &&
         call<int32_t>(view, slot::removed) == kOk;
    release(view);
  }
  if (plug.component) {
    call<int32_t>(plug.component, slot::setActive, uint8_t(0));
    call<int32_t>(plug.component, slot::terminate);
  }
  plug.Release();
  release(factory);
  return ok;
}

TEST(ModuleUnderMemoryPressure, EveryFailedAllocationIsAnsweredWithoutAnException) {
  rawhost::HostObjects host;
  rawhost::StreamFace stream;
  stream.bytes.reserve(1 << 16);
  vst3host::ProcessBlock block(false, 64, {2, 2}, {2});
  for (int i = 0; i < 64; ++i) block.SetInput(0, 0, i, 0.1 * (i % 7));
  const std::vector<unsigned char> setup = vst3host::ProcessSetupRecord(0, 0, 64, 44100.0);

  gFailAt = -1;
  ASSERT_TRUE(Session(host, stream, block, setup)) << "the session must succeed without failures";
  long failures = 0;
  for (long failAt = 0;; ++failAt) {
    gAllocations = 0;
    gFailAt = failAt;
    bool completed = false;
    try {
      completed = Session(host, stream, block, setup);
    } catch (...) {
      gFailAt = -1;
      FAIL() << "an exception reached the host when allocation " << failAt << " failed";
    }
    const long made = gAllocations.load();
    gFailAt = -1;
    if (made <= failAt) {
      EXPECT_TRUE(completed);  // nothing failed, so everything must have worked
      break;
    }
    failures += completed ? 0 : 1;
    ASSERT_LT(failAt, 200000) << "the session never ends";
  }
  EXPECT_GT(failures, 0);
  for (rawhost::Face* face : {&host.application, &host.handler, &host.frame}) EXPECT_EQ(face->refs, 1);
}

}  // namespace
