#include "SimEventTap.h"

#include "Platform/Sim/SimHost.h"

// The tap arrives with the global shortcut.
std::unique_ptr<EventTapPort> SimEventTap::createTap(EventTapCallback)
{
    return nullptr;
}
