// Hands a URL (web page or "mailto:") to the desktop's browser or mail program.
#pragma once

#include <functional>
#include <string>

// True when the desktop took the URL.
using OuvreurUrl = std::function<bool(const std::string& url)>;

// The desktop's default handler for the URL.
bool OuvrirUrlBureau(const std::string& url);
