#pragma once

#include <QString>

#include "vornutils_export.h"

// Where the library puts its temporary files (stateless; any thread).
class VORNUTILS_EXPORT KXFileIOManager
{
public:
    // A per-user folder for temporary files that exists and is writable:
    // "vornhistory-<user>" inside the system's temporary folder, created on
    // first use with owner-only permissions. Falls back to the system's
    // temporary folder itself when that fails.
    static QString GetTemporaryPath();
};
