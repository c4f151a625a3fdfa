#include "engine/Smoothing.h"

namespace orvanix {

TSmoothing::TSmoothing(uint32_t size, uint16_t type, uint16_t correction)
    : size_(size), type_(type), correction_(correction) {}
void TSmoothing::Rebuild(uint32_t, uint16_t, uint16_t) {}
void TSmoothing::SetSize(uint32_t) {}
void TSmoothing::SetType(uint16_t) {}
std::string TSmoothing::TypeName(uint16_t) { return {}; }
void TSmoothing::Apply(const float*, float*) const {}
void TSmoothing::ApplyInPlace(float*) const {}
void TSmoothing::Remove(const float*, float*) const {}
void TSmoothing::RemoveInPlace(float*) const {}
void TSmoothing::Build() {}

}  // namespace orvanix
