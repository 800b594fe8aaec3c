#pragma once

#include "common/TaskLoop.h"

namespace harkwell::testing {

// Stands in for the interface thread's event loop: the test runs the posted
// tasks on its own thread when it chooses.
using ManualInterfaceThread = TaskLoop;

}  // namespace harkwell::testing
