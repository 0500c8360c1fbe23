// Where a port name ("COMn") lives on a POSIX system.
//
// With MORVIK_PORT_DIR set, COMn is $MORVIK_PORT_DIR/COMn (a link to any tty:
// a simulator's pseudo-terminal, /dev/rfcomm0, ...). Otherwise a fixed table:
// COM1-COM10 -> /dev/ttyUSB0-9, COM11-COM20 -> /dev/ttyACM0-9,
// COM21-COM31 -> /dev/ttyS0-10.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvik {

// The port number of "COMn" (n >= 1, decimal, no leading zero; "com" in any
// case, as Windows takes it), else nullopt.
std::optional<int> ComPortNumber(std::string_view portName);

// The POSIX device for a Windows device path "\\.\COMn"; nullopt when the path
// names no port this table knows. portDir is MORVIK_PORT_DIR or null.
std::optional<std::string> PosixDeviceForPath(std::string_view devicePath, const char* portDir);

}  // namespace morvik
