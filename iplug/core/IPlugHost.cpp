// Host identification: the host's product name is matched against a keyword table.

#include <cstring>

#include "iplug/core/IPlugBase.h"

namespace {

struct HostKeyword {
  const char* mKeyword;
  HostCode mCode;
};

// Tested in this order; the first keyword found in the name decides.
constexpr HostKeyword kHostKeywords[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostCakewalk},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFruity},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVstManLib},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigital},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostPreSonus},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"openmpt", kHostOpenMPT},
    {"renoise", kHostRenoise},
    {"standalone", kHostStandalone},
    {"wavelab", kHostWaveLab},
};

constexpr int kHostNameSize = 256;  // names are judged on their first 255 characters

}  // namespace

HostCode IdentifyHost(const char* productName) {
  char name[kHostNameSize];
  CopyTextField(name, kHostNameSize, productName);
  for (char* p = name; *p; ++p) {
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
  }
  for (const HostKeyword& entry : kHostKeywords) {
    if (std::strstr(name, entry.mKeyword)) return entry.mCode;
  }
  return kHostUnknown;
}

void IPlugBase::SetHost(const char* productName, int packedVersion) {
  mHost = IdentifyHost(productName);
  mHostVersion = packedVersion;
}
