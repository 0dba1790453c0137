// The tools of the main window, created once with it.
#pragma once

#include "app/ToolHost.h"

#include <memory>
#include <vector>

namespace vesk {

// Creates every tool's entry, in the program's start-up order.
std::vector<std::unique_ptr<TToolEntry>> CreateToolEntries(TToolHost& host);

} // namespace vesk
