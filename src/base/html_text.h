// Text for an HTML page: every character that could open markup or an
// attribute escaped, control bytes as numbered references. Portable.
#pragma once
#include <string>

std::string HtmlText(const std::string& text);

// Bytes as base64, for a picture carried inside the page itself.
std::string Base64(const std::string& bytes);
