// Stub.
#include "control/com/tests/EarlyBound.h"

namespace vellumark::com::early {

void TestEmbedding(IUnknown*) {}

}  // namespace vellumark::com::early
