// Placeholder until the pool lands.
#include "engine/completion_port_pool.h"

void CompletionPortPool::Destroy() {}
