#include "lmx/bound_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <locale>
#include <sstream>
#include <vector>

namespace lmx {

void write_raw_element(c_xml_writer& writer, const char* name, const std::string& text) {
    writer(true) << '<' << name << '>' << text << "</" << name << '>' << writer.endl();
}

void write_empty_element(c_xml_writer& writer, const char* name) {
    writer(true) << '<' << name << "/>" << writer.endl();
}

namespace {

// `<name`, the namespace declarations on the outermost element only, and the attributes.
void write_start_tag(c_xml_writer& writer, const char* name, const s_ns_map* ns_map,
                     const c_bound_write& parts) {
    writer(true) << '<' << name;
    writer.conditionally_select_ns_map(ns_map);
    writer.conditionally_write_ns_attrs(false);
    parts.attributes(writer);
}

}  // namespace

elmx_error write_simple_content_element(c_xml_writer& writer, const char* name,
                                        const s_ns_map* ns_map, const c_bound_write& parts) {
    write_start_tag(writer, name, ns_map, parts);
    writer(false) << '>';
    const elmx_error error = parts.content(writer);
    if (error != ELMX_OK) return error;
    writer(false) << "</" << name << '>' << writer.endl();
    return ELMX_OK;
}

elmx_error write_attributes_element(c_xml_writer& writer, const char* name,
                                    const s_ns_map* ns_map, const c_bound_write& parts) {
    write_start_tag(writer, name, ns_map, parts);
    writer(false) << "/>" << writer.endl();
    return ELMX_OK;
}

elmx_error write_element(c_xml_writer& writer, const char* name, const s_ns_map* ns_map,
                         const c_bound_write& parts) {
    write_start_tag(writer, name, ns_map, parts);
    writer(false) << '>' << writer.endl();
    writer.indent();
    const elmx_error error = parts.content(writer);
    if (error != ELMX_OK) return error;
    writer.undent();
    writer(true) << "</" << name << '>' << writer.endl();
    return ELMX_OK;
}

namespace {

// A new file beside the target, removed unless it has been renamed over the target. It gets
// the target's permissions when the target exists, else those of any new file (the umask
// applies), without touching the process-wide umask.
class c_temporary_file {
public:
    explicit c_temporary_file(const std::string& target) {
        struct stat target_status;
        const bool target_exists = ::stat(target.c_str(), &target_status) == 0;
        const mode_t mode = target_exists ? (target_status.st_mode & 07777) : 0666;
        // O_EXCL makes every name ours alone, even against other threads saving the same file.
        for (unsigned attempt = 0; attempt < k_attempts && !m_created; ++attempt) {
            m_name = target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
            const int descriptor =
                ::open(m_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
            if (descriptor < 0) {
                if (errno != EEXIST) return;
                continue;
            }
            if (target_exists) ::fchmod(descriptor, mode);
            ::close(descriptor);
            m_created = true;
        }
    }
    c_temporary_file(const c_temporary_file&) = delete;
    c_temporary_file& operator=(const c_temporary_file&) = delete;
    ~c_temporary_file() {
        if (m_created) std::remove(m_name.c_str());
    }
    bool created() const { return m_created; }
    const std::string& name() const { return m_name; }
    // Puts the written bytes on the disk before the rename, so that a crash leaves either the
    // old document or the new one, never an empty file.
    bool sync() const {
        const int descriptor = ::open(m_name.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0) return false;
        const bool synced = ::fsync(descriptor) == 0;
        return ::close(descriptor) == 0 && synced;
    }
    bool replace(const char* target) {
        if (std::rename(m_name.c_str(), target) != 0) return false;
        m_created = false;
        return true;
    }

private:
    static constexpr unsigned k_attempts = 100;

    std::string m_name;
    bool m_created = false;
};

}  // namespace

elmx_error save_document_file(const char* file_name, document_writer write, const void* document) {
    if (!file_name || !*file_name) return ELMX_UNABLE_TO_OPEN_FILE;
    c_temporary_file temporary(file_name);
    if (!temporary.created()) return ELMX_UNABLE_TO_OPEN_FILE;
    std::ofstream os(temporary.name(), std::ios::binary | std::ios::trunc);
    if (!os.is_open()) return ELMX_UNABLE_TO_OPEN_FILE;
    os.imbue(std::locale::classic());
    const elmx_error error = write(os, document);
    if (error != ELMX_OK) return error;
    os.flush();
    const bool written = os.good();
    os.close();
    if (!written || os.fail() || !temporary.sync()) return ELMX_UNABLE_TO_OPEN_FILE;
    if (!temporary.replace(file_name)) return ELMX_UNABLE_TO_OPEN_FILE;
    return ELMX_OK;
}

elmx_error save_document_string(std::string* text, document_writer write, const void* document) {
    std::ostringstream os;
    os.imbue(std::locale::classic());
    const elmx_error error = write(os, document);
    if (error != ELMX_OK) return error;
    *text = os.str();
    return ELMX_OK;
}

}  // namespace lmx
