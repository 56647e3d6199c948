// Ownership of the engine's released-by-call interfaces (managers, collections, parameters).
#pragma once

#include <memory>

struct EngineReleaser {
  template <typename Interface>
  void operator()(Interface* inter) const {
    inter->release();
  }
};

template <typename Interface>
using EnginePtr = std::unique_ptr<Interface, EngineReleaser>;
