#pragma once

#include <QString>

#include "vornutils_export.h"

// Where temporary files go. They hold the user's pictures, so the folder is
// private to the user and to the process, never a predictable shared path.
// Any thread.
class VORNUTILS_EXPORT KXFileIOManager
{
public:
    // This process's private folder for temporary files, the same for every
    // call: made with PrivateFolder under the user's runtime folder
    // ($XDG_RUNTIME_DIR when it is a private directory of the user's), else
    // the user's cache folder, else the system's temporary folder. Empty when
    // no private folder can be made anywhere (callers then write nothing).
    // The folder is removed at exit when it is empty.
    static QString GetTemporaryPath();

    // Makes a fresh folder, mode 0700, for this process under
    // base/"vornhistory-<uid>": that per-user folder is used only when it is
    // a real directory (not a link) owned by the user with no access for
    // anyone else; otherwise (or when it cannot be made) the process folder
    // goes into a fresh private folder made in base itself. Before that,
    // process folders left in the per-user folder by processes that no
    // longer run are removed with their files. Empty on failure.
    static QString PrivateFolder(const QString& base);

    // True when path is a real directory, not a link, owned by this user,
    // with no permission for group or others.
    static bool IsPrivateDirectory(const QString& path);
};
