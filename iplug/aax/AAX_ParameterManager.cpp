// The host parameter list with its identifier map, and the packet dispatcher that posts
// parameter-driven data to the host under its owner mutex.

#include "iplug/aax/AAX_ParameterManager.h"

#include <cstring>

#include "iplug/aax/AAX_VProxies.h"

std::string_view AAX_IdentifierView(const char* identifier) {
  if (!identifier) return {};
  return std::string_view(identifier, strnlen(identifier, kAAXMaxIdentifierLength + 1));
}

ParameterManager::~ParameterManager() { RemoveAll(); }

bool ParameterManager::AddParameter(AAX_IParameter* parameter) {
  if (!parameter) return false;
  std::unique_ptr<AAX_IParameter> owned(parameter);
  const std::string_view id = AAX_IdentifierView(parameter->GetIdentifier());
  const auto found = mById.find(id);
  if (found != mById.end() && found->second) return false;  // the duplicate is deleted
  // Make room first, so that nothing after the attach can fail and leave a half-added entry.
  mParameters.reserve(mParameters.size() + 1);
  if (found == mById.end())
    mById.emplace(std::string(id), parameter);
  else
    found->second = parameter;
  parameter->AttachAutomationDelegate(mAutomation);
  mParameters.push_back(owned.release());
  return true;
}

AAX_IParameter* ParameterManager::ParameterAt(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return mParameters[static_cast<size_t>(index)];
}

int32_t ParameterManager::IndexOf(const char* identifier) const {
  if (!identifier) return -1;
  const std::string_view id = AAX_IdentifierView(identifier);
  for (size_t i = 0; i < mParameters.size(); ++i)
    if (AAX_IdentifierView(mParameters[i]->GetIdentifier()) == id) return static_cast<int32_t>(i);
  return -1;
}

AAX_IParameter* ParameterManager::FindParameter(const char* identifier) const {
  if (!identifier) return nullptr;
  const auto found = mById.find(AAX_IdentifierView(identifier));
  return found == mById.end() ? nullptr : found->second;
}

void ParameterManager::RemoveAll() {
  // Emptied before the deletes, so that nothing a parameter's destructor reaches can find a
  // parameter that is half gone.
  std::vector<AAX_IParameter*> parameters;
  parameters.swap(mParameters);
  mById.clear();
  for (AAX_IParameter* parameter : parameters) delete parameter;
}

void PacketDispatcher::SetTargets(AAX_IController* controller,
                                  AAX_CEffectParameters* effectParameters) {
  mController = controller;
  mEffectParameters = effectParameters;
}

void PacketDispatcher::RegisterPacket(const char* identifier, uint32_t fieldIndex,
                                      uint32_t dataSize,
                                      std::unique_ptr<AaxPacketHandler> handler) {
  Guard guard(mLock);
  std::unique_ptr<AaxPacket>& packet = mPackets[fieldIndex];
  if (!packet) {
    packet = std::make_unique<AaxPacket>();
    packet->fieldIndex = fieldIndex;
  }
  if (packet->dataSize < dataSize) {
    packet->data = std::make_unique<unsigned char[]>(dataSize);
    packet->dataSize = dataSize;
  }
  mHandlers.emplace(std::string(AAX_IdentifierView(identifier)),
                    Handler{packet.get(), std::move(handler)});
}

int32_t PacketDispatcher::SetDirty(const char* identifier, bool dirty) {
  Guard guard(mLock);
  const auto range = mHandlers.equal_range(AAX_IdentifierView(identifier));
  for (auto it = range.first; it != range.second; ++it) it->second.packet->dirty = dirty;
  return 0;
}

int32_t PacketDispatcher::Dispatch() {
  Guard guard(mLock);
  int32_t result = 0;
  for (auto& [identifier, entry] : mHandlers) {
    AaxPacket& packet = *entry.packet;
    if (!packet.dirty) continue;
    if (entry.handler && entry.handler->Handle(identifier.c_str(), packet) == 0) {
      const int32_t posted = mController
                                 ? mController->PostPacket(packet.fieldIndex, packet.data.get(),
                                                           packet.dataSize)
                                 : AAX_ERROR_NULL_OBJECT;
      if (result == 0) result = posted;
    }
    packet.dirty = false;
  }
  return result;
}
