#include "model/undefined_domain.h"

#include <atomic>
#include <mutex>

#include "foundation/quire_status.h"
#include "model/quire_standard_domain.h"

namespace {

class UndefinedStandardDomain final : public QuireStandardDomain {
 public:
  UndefinedStandardDomain() : QuireStandardDomain("Undefined") {}
  // It has no classes.
  void loadSchema(QuireStatus& status) override { status = QuireStatus(); }
};

// Plain statics without destructors: undefined class handles may reach the domain while other
// statics are torn down at exit, so only DestroyUndefinedDomain ever deletes it.
std::atomic<QuireAbstractDomain*> g_domain{nullptr};
std::mutex g_creation;

}  // namespace

QuireAbstractDomain& UndefinedDomain() {
  if (QuireAbstractDomain* domain = g_domain.load(std::memory_order_acquire)) return *domain;
  std::lock_guard<std::mutex> lock(g_creation);
  QuireAbstractDomain* domain = g_domain.load(std::memory_order_relaxed);
  if (domain == nullptr) {
    domain = new UndefinedStandardDomain;
    g_domain.store(domain, std::memory_order_release);
  }
  return *domain;
}

void DestroyUndefinedDomain() {
  std::lock_guard<std::mutex> lock(g_creation);
  delete g_domain.exchange(nullptr, std::memory_order_acq_rel);
}

bool IsUndefinedDomain(const QuireAbstractDomain& domain) {
  return &domain == g_domain.load(std::memory_order_acquire);
}
