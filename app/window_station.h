// Whether anyone can see this process's windows.
#pragma once

namespace nagitome {

// False on a window station that is not visible (a task run "whether the user is logged on
// or not", a service): a message box there would wait for ever.
bool WindowStationVisible();

}  // namespace nagitome
