#include "ports/source_ports.h"

#include <cstring>

// strcoll follows LC_COLLATE as the program set it; in the C locale this is byte order.
int ComparerEntrees(const std::string& a, const std::string& b) { return std::strcoll(a.c_str(), b.c_str()); }
