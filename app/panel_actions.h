#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "app/print_service.h"
#include "platform/panel.h"

namespace talvex::app {

// What each button of the panel asks of the service, for either system's panel. `service` gives
// the service, or null once it has ended: a click that comes after does nothing.
std::vector<std::pair<platform::PanelButton, std::function<void()>>> panel_actions(
    std::function<PrintService*()> service);

}  // namespace talvex::app
