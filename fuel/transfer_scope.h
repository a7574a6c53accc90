// Scopes shared by the operations' source files: closing steps that run
// however a step ends, and the transfer lock.
#pragma once

#include <utility>

#include "fuel/fuel_ops.h"

namespace quelt {

// Runs `fn` when the scope ends, however it ends (also by an exception).
template <typename Fn>
class Finally {
 public:
  explicit Finally(Fn fn) : fn_(std::move(fn)) {}
  ~Finally() { fn_(); }
  Finally(const Finally&) = delete;
  Finally& operator=(const Finally&) = delete;

 private:
  Fn fn_;
};

// Marks a transfer: the front end locks every control that starts a transfer
// or changes the table until the transfer has ended, whatever its outcome.
class FuelOperations::TransferScope {
 public:
  explicit TransferScope(FuelOperations& ops) : ops_(ops), outer_(!ops.busy_) {
    if (!outer_) return;
    ops_.busy_ = true;
    ops_.aborting_ = false;
    ops_.link_.ClearAbort();
    ops_.view_.SetTransferActive(true);
  }
  ~TransferScope() {
    if (!outer_) return;
    ops_.busy_ = false;
    ops_.view_.SetTransferActive(false);
  }
  TransferScope(const TransferScope&) = delete;
  TransferScope& operator=(const TransferScope&) = delete;

 private:
  FuelOperations& ops_;
  bool outer_;
};

}  // namespace quelt
