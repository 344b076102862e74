// Stub.
#include "control/com/tests/EarlyBound.h"

namespace vellumark::com::early {

void TestPersistence(IUnknown*) {}

}  // namespace vellumark::com::early
