// Stub.
#include "control/com/tests/EarlyBound.h"

namespace vellumark::com::early {

void TestConnectionPoints(IUnknown*) {}

}  // namespace vellumark::com::early
