// The kernel's virtual USB host controller, vhci_hcd, through sysfs: a USB/IP device is plugged
// into one of its ports by handing the kernel one end of a connected socket.
#pragma once

#include <string>
#include <vector>

inline constexpr const char* DOSSIER_VHCI = "/sys/devices/platform/vhci_hcd.0";

// The free ports of the high-speed hub (which takes full-speed devices) in the text of
// vhci_hcd's status file, in order.
std::vector<int> PortsVhciLibres(const std::string& etat);
// Plugs in, at full speed, the USB/IP device served at the other end of descripteur's socket;
// port tells where. False, with the reason, when vhci_hcd is missing, has no free port or
// refuses. The kernel keeps its own reference: descripteur may be closed afterwards.
bool AttacherVhci(int descripteur, int& port, std::string& erreur);
// Unplugs it; nothing when the port is already free.
void DetacherVhci(int port);
