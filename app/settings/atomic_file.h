// AtomicFile: replaces a file's whole contents so that, whatever instant the process dies,
// the file holds either its old or its new contents. The bytes go to a temporary file in the
// same folder ("." + file name + ".tmp-<pid>-<n>"), are flushed to disk, the temporary is
// renamed over the file, and the folder is flushed so the rename itself is durable.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace morvanta {

class AtomicFile {
public:
    // False with a one-line reason in *error; the old file is then untouched.
    static bool write(const std::filesystem::path& file, std::string_view bytes,
                      std::string* error);
    // Removes temporaries of this file left behind by processes that no longer run.
    static void removeStaleTemporaries(const std::filesystem::path& file);
    // Flushes a folder's entries (after a rename or an unlink in it).
    static void syncFolder(const std::filesystem::path& folder);
};

} // namespace morvanta
