// Order of the port list on Windows: the user's locale collation, case-sensitive.
#include "ports/source_ports.h"

#include <windows.h>

#include <climits>

int ComparerEntrees(const std::string& a, const std::string& b) {
    if (a.size() <= INT_MAX && b.size() <= INT_MAX) {
        const int r = CompareStringA(LOCALE_USER_DEFAULT, 0, a.data(), static_cast<int>(a.size()), b.data(),
                                     static_cast<int>(b.size()));
        if (r != 0) return r - CSTR_EQUAL;
    }
    // Without a collation the list still needs a total order.
    const int c = a.compare(b);
    return (c > 0) - (c < 0);
}
