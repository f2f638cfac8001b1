#include "app/window_station.h"

#include <windows.h>

namespace nagitome {

bool WindowStationVisible() {
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  const HWINSTA station = GetProcessWindowStation();
  // When the question cannot be answered, behave as before: show what there is to show.
  if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, &needed)) return true;
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

}  // namespace nagitome
