#pragma once
// The effect-parameters object's two helpers: ParameterManager, which owns the host parameters
// in host index order and finds them by identifier, and PacketDispatcher, which turns
// parameter changes into data packets posted to the host.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "iplug/aax/AAX_IParameter.h"
#include "iplug/aax/OwnerMutex.h"

class AAX_IAutomationDelegate;
class AAX_IController;
class AAX_CEffectParameters;

// Host identifiers are read up to one character beyond the longest we hand out, so a host text
// is never read far and a longer one can never match.
std::string_view AAX_IdentifierView(const char* identifier);

class ParameterManager {
 public:
  ParameterManager() = default;
  ~ParameterManager();
  ParameterManager(const ParameterManager&) = delete;
  ParameterManager& operator=(const ParameterManager&) = delete;

  // Handed to every parameter added afterwards; parameters already in the list keep theirs.
  void SetAutomationDelegate(AAX_IAutomationDelegate* automation) { mAutomation = automation; }
  // Takes ownership in every case: a parameter whose identifier is already in the list is
  // deleted, not added, and false is returned. Null is ignored (false).
  bool AddParameter(AAX_IParameter* parameter);
  int32_t Count() const { return static_cast<int32_t>(mParameters.size()); }
  AAX_IParameter* ParameterAt(int32_t index) const;
  int32_t IndexOf(const char* identifier) const;           // linear; -1 when absent or null
  AAX_IParameter* FindParameter(const char* identifier) const;  // null when absent or null
  // Deletes every parameter (each detaches itself from its automation delegate).
  void RemoveAll();

 private:
  AAX_IAutomationDelegate* mAutomation = nullptr;
  std::vector<AAX_IParameter*> mParameters;  // owned
  std::map<std::string, AAX_IParameter*, std::less<>> mById;
};

struct AaxPacket {
  uint32_t fieldIndex = 0;
  bool dirty = false;
  uint32_t dataSize = 0;
  std::unique_ptr<unsigned char[]> data;
};

// Fills a packet for the parameter that made it dirty; 0 lets the packet be posted.
class AaxPacketHandler {
 public:
  virtual ~AaxPacketHandler() = default;
  virtual int32_t Handle(const char* identifier, AaxPacket& packet) = 0;
};

class PacketDispatcher {
 public:
  PacketDispatcher() = default;
  ~PacketDispatcher() = default;
  PacketDispatcher(const PacketDispatcher&) = delete;
  PacketDispatcher& operator=(const PacketDispatcher&) = delete;

  void SetTargets(AAX_IController* controller, AAX_CEffectParameters* effectParameters);
  // Makes a packet of dataSize bytes for the field (one per field) and lets the handler fill it
  // whenever the parameter with that identifier changes.
  void RegisterPacket(const char* identifier, uint32_t fieldIndex, uint32_t dataSize,
                      std::unique_ptr<AaxPacketHandler> handler);
  int32_t SetDirty(const char* identifier, bool dirty = true);
  // Posts every dirty packet whose handler accepts it; the first failing post's code is the
  // result, so a later success does not hide it. No allocation.
  int32_t Dispatch();

 private:
  struct Handler {
    AaxPacket* packet;
    std::unique_ptr<AaxPacketHandler> handler;
  };
  // Takes the lock unless this thread already holds it; releases only what it took.
  class Guard {
   public:
    explicit Guard(OwnerMutex& mutex) : mMutex(mutex), mTaken(mutex.Lock()) {}
    ~Guard() { if (mTaken) mMutex.Unlock(); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

   private:
    OwnerMutex& mMutex;
    bool mTaken;
  };

  std::map<uint32_t, std::unique_ptr<AaxPacket>> mPackets;
  std::multimap<std::string, Handler, std::less<>> mHandlers;
  AAX_IController* mController = nullptr;
  AAX_CEffectParameters* mEffectParameters = nullptr;
  OwnerMutex mLock;
};
