// Stub.
#include "control/com/tests/EarlyBound.h"

namespace vellumark::com::early {

void TestAboutBox(IUnknown*) {}

}  // namespace vellumark::com::early
