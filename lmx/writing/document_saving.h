// Saving a document to a file so that the file always holds either the old document or the new
// one, never a partial one.
#ifndef LMX_DOCUMENT_SAVING_H
#define LMX_DOCUMENT_SAVING_H

#include <ostream>
#include <string>

#include "lmx/errors.h"

namespace lmx {

using document_writer = elmx_error (*)(std::ostream& os, const void* document);

// Writes a document into the file through a temporary file in the same directory that replaces
// the target only once everything is written and on the disk.
// - A symbolic link is followed: the file it names is replaced and the link stays a link.
// - An existing target keeps its permissions, and its owner and group where the process may
//   set them.
// - The temporary name fits beside any valid target name; temporaries that an interrupted save
//   of the same target left behind are removed by the next save of it.
// - Not kept: other hard links to the target, which go on naming the old document.
// Any failure gives ELMX_UNABLE_TO_OPEN_FILE unless the document's own write failed, whose code
// is returned, or memory ran out (ELMX_UNDEFINED_ERROR); the target is then unchanged and no
// temporary file remains.
elmx_error save_document_file(const char* file_name, document_writer write,
                              const void* document) noexcept;

// The file a save of path replaces: path with every symbolic link along its last component
// followed (a link that names no file yet gives the name it points to).
std::string resolve_save_target(const std::string& path);

// The prefix of every temporary file that a save of target (a resolved path) creates, within
// target's directory; the rest of the name is "<pid>-<attempt>.tmp".
std::string temporary_name_prefix(const std::string& target);

}  // namespace lmx

#endif  // LMX_DOCUMENT_SAVING_H
