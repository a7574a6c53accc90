// Rows beyond the count, read for a backup: the analyser stores them and a
// write of more rows than the count replaces them, so a backup that is to
// bring them back must hold them too.
#include "fuel/fuel_ops.h"
#include "fuel/transfer_scope.h"

namespace quelt {

bool FuelListOps::ReadRowsBeyondCount(StoredTable& stored, int through) {
  TransferScope transfer(*this);
  stored.rowsBeyondCount.clear();
  for (int k = static_cast<int>(stored.rows.size()) + 1; k <= through; ++k) {
    auto reply = RequestRow(k);
    if (!reply) {
      if (!glb_.ConnectProblem().empty() || glb_.Aborted()) return false;
      // No answer past the count is an answer too: that row holds nothing
      // to keep. A late reply must not pass for the next row's.
      glb_.ClearFailure();
      glb_.Drain();
    }
    stored.rowsBeyondCount.push_back(std::move(reply));
  }
  return true;
}

}  // namespace quelt
