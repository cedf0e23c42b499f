#include "lmx/bound_write.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Removes the temporary file unless it has been renamed over the target.
class c_temporary_file {
public:
    explicit c_temporary_file(const std::string& target) : m_name(target + ".XXXXXX") {
        std::vector<char> pattern(m_name.begin(), m_name.end());
        pattern.push_back('\0');
        const int descriptor = mkstemp(pattern.data());
        if (descriptor < 0) return;
        ::close(descriptor);
        m_name = pattern.data();
        m_created = true;
    }
    c_temporary_file(const c_temporary_file&) = delete;
    c_temporary_file& operator=(const c_temporary_file&) = delete;
    ~c_temporary_file() {
        if (m_created) std::remove(m_name.c_str());
    }
    bool created() const { return m_created; }
    const std::string& name() const { return m_name; }
    bool replace(const char* target) {
        if (std::rename(m_name.c_str(), target) != 0) return false;
        m_created = false;
        return true;
    }

private:
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
    if (!written || os.fail()) return ELMX_UNABLE_TO_OPEN_FILE;
    // mkstemp creates the file readable by its owner only; give it the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temporary.name().c_str(), 0666 & ~mask);
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
