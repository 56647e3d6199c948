#include "service/data_holder.h"

namespace {

// A namespace-scope object: built during static initialisation, before the entry point runs,
// and destroyed after it returns, which saves the settings file.
DataHolder g_data_holder;

}  // namespace

DataHolder& TheDataHolder() { return g_data_holder; }
