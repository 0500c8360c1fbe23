#include "cli/port_reasons.h"

namespace morvik {
namespace {

// Joining the device's group helps when that group may open it (or the mode
// is unknown); else only its owner, or root, may.
Saying NoPermission(const RefusedDevice& device) {
  if (!device.mode || GroupMayOpen(device)) {
    if (device.group.empty()) return {Said::kPortNoPermissionJoinOwners};
    return {Said::kPortNoPermissionJoinGroup, {device.group}};
  }
  const bool ownerMayOpen = (*device.mode & 0600) == 0600 && !device.owner.empty();
  return {Said::kPortNoPermissionOnly, {ownerMayOpen ? device.owner : std::string("root")}};
}

}  // namespace

Saying PortReason(const TriedPort& tried) {
  switch (tried.problem) {
    case PortProblem::kNoPermission:
      return NoPermission(tried.refused.value_or(RefusedDevice{{}, RefusedDevice::Reason::kPermission}));
    case PortProblem::kBusy:
      if (tried.refused && !tried.refused->holders.empty()) return {Said::kPortBusyBy, {tried.refused->holders}};
      return {Said::kPortBusy};
    case PortProblem::kNoSuchPort: return {Said::kPortNoSuchPort};
    case PortProblem::kNotSerial: return {Said::kPortNotSerial};
    case PortProblem::kNoAnswer: return {Said::kPortNoAnswer};
    case PortProblem::kDamaged: return {Said::kPortDamaged};
  }
  return {Said::kPortNoAnswer};
}

}  // namespace morvik
