#pragma once

#include "base/UECP_IO_Error.h"

#include <functional>
#include <string>

// Looks up the user-visible text of a result-code identifier ("IDS_ERR_...") in the current
// language. Installed once at start-up by the layer that owns the string tables.
using ErrorTextProvider = std::function<std::string(const char* identifier)>;

// Installs (or, with an empty function, removes) the text provider. Thread-safe.
void SetErrorTextProvider(ErrorTextProvider provider);

// Text of a result code: the provider's text for ErrorCodeName(code). Without a provider, or
// when the provider has no text (empty result), the identifier itself is returned.
std::string ErrorCodeText(UECP_IO_Error code);
