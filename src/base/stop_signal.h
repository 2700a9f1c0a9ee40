// Whether the work of a run still has a taker. The long loops of the scan,
// the search and the report ask it, so that a run whose output can no longer
// be written ends early instead of doing work nobody sees.
#pragma once

namespace romscope {

class StopSignal {
 public:
  virtual ~StopSignal() = default;
  virtual bool Stopped() const = 0;
};

// For work whose results are kept rather than shown: it never stops early.
class NeverStopped : public StopSignal {
 public:
  bool Stopped() const override { return false; }
};

}  // namespace romscope
