// The serial ports of the machine the tool runs on.
#pragma once

#include <memory>

#include "link/serial_device.h"

namespace morvik {

// termios on POSIX, the Win32 comm calls on Windows.
std::unique_ptr<SerialPlatform> MakeSystemSerialPlatform();

}  // namespace morvik
