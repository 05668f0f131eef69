// Where the update check looks and which key it trusts: HKCU\Software\Kolvex\Update, read at every check, over
// the defaults the build was configured with. Any thread.
#pragma once
#include <cstdint>
#include <vector>

#include "update/update_core.h"

struct UpdateSettings {
    ServerAddress primary;
    ServerAddress secondary;
    std::vector<uint8_t> publicKey; // a PUBLICKEYBLOB; empty when no usable key is configured
};

// "PrimaryServer" and "SecondaryServer" (REG_SZ) and "PublicKey" (REG_BINARY); a missing or malformed value
// means the built-in default. A build with a built-in key ignores the registry's.
UpdateSettings ReadUpdateSettings();
