// core/service.cpp -- the check of a record's members; see service.h.
#include "core/service.h"

#include <cstring>

bool ZmServiceState::complete() const {
  using Function = void (*)();
  const auto* bytes = static_cast<const unsigned char*>(current_);
  for (std::size_t at = 0; at < size_; at += sizeof(Function)) {
    Function function = nullptr;
    std::memcpy(&function, bytes + at, sizeof function);
    if (function == nullptr) return false;
  }
  return true;
}
