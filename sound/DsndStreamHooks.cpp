#include "sound/DsndStreamHooks.h"

#include <atomic>

namespace mirel {
namespace {

DsndStreamHooks defaultHooks;
std::atomic<DsndStreamHooks*> installedHooks{nullptr};

}  // namespace

void DsndSetStreamHooks(DsndStreamHooks* hooks) { installedHooks = hooks; }

DsndStreamHooks& DsndGetStreamHooks() {
    DsndStreamHooks* hooks = installedHooks;
    return hooks ? *hooks : defaultHooks;
}

}  // namespace mirel
