#include "lmx/reading/document_inspection.h"

#include <memory>
#include <vector>

namespace lmx {

namespace {

// Reads ahead from a bookmark and returns to it when done, whatever happens on the way.
class reading_ahead {
public:
    explicit reading_ahead(c_xml_reader& reader)
        : m_reader(reader), m_place(reader.mark()), m_event(reader.get_current_event()) {}
    ~reading_ahead() {
        m_reader.return_to(m_place);
        m_reader.restore_event(m_event);
    }
    reading_ahead(const reading_ahead&) = delete;
    reading_ahead& operator=(const reading_ahead&) = delete;

private:
    c_xml_reader& m_reader;
    c_xml::bookmark m_place;
    int m_event;
};

std::string namespace_of(const c_xml& reader, const c_xml_local& scope, const std::string& qname,
                         bool is_attribute) {
    c_cracked_name name(scope, qname);
    if (is_attribute && !name.get_has_ns_prefix()) return "";
    const char* uri = reader.find_namespace_from_id(name.get_ns_id());
    return uri ? uri : c_xml_reader::k_namespace_not_found;
}

// The verdict of the attributes of the start tag just read; *is_empty tells "/>" from ">".
elmx_must_understand judge_attributes(c_xml_reader& reader, const c_xml_local& scope,
                                      const std::string& namespace_uri,
                                      const std::string& attribute_name,
                                      must_understand_judge judge, bool* is_empty) {
    std::string name, local, value;
    elxp_xml_event event;
    while ((event = reader.get_attribute_name(&name, false)) == ELXP_NAME) {
        get_local_name(name, &local);
        if (local != attribute_name || namespace_of(reader, scope, name, true) != namespace_uri) {
            reader.skip_attribute_value();
            continue;
        }
        if (!reader.get_attribute_value(&value, ELMX_WS_PRESERVE))
            return ELMX_MUST_UNDERSTAND_INVALID;
        const elmx_must_understand verdict = judge(value);
        if (verdict != ELMX_MUST_UNDERSTAND_OFF) return verdict;
    }
    if (event != ELXP_START_TAG_END && event != ELXP_END_TAG) return ELMX_MUST_UNDERSTAND_INVALID;
    *is_empty = event == ELXP_END_TAG;
    return ELMX_MUST_UNDERSTAND_OFF;
}

elmx_must_understand scan_for_must_understand(c_xml_reader& reader,
                                              const std::string& namespace_uri,
                                              const std::string& attribute_name,
                                              must_understand_judge judge) {
    // One scope per open element, so declarations stay with their element; kept on the heap
    // so that hostile nesting costs no stack.
    std::vector<std::unique_ptr<c_xml_local>> scopes;
    std::vector<std::string> open_names;
    scopes.push_back(std::make_unique<c_xml_local>(*reader.get_reader_local()));
    std::string name;
    for (;;) {
        c_xml_local& scope = *scopes.back();
        scope.clear();
        const elxp_xml_event event = reader.get_element_name(&scope, &name);
        if (event == ELXP_CHARACTERS && !open_names.empty()) continue;
        if (event == ELXP_END_TAG && !open_names.empty() && name == open_names.back()) {
            open_names.pop_back();
            scopes.pop_back();
            if (open_names.empty()) return ELMX_MUST_UNDERSTAND_OFF;
            continue;
        }
        if (event != ELXP_NAME) return ELMX_MUST_UNDERSTAND_INVALID;
        bool is_empty = false;
        const elmx_must_understand verdict =
            judge_attributes(reader, scope, namespace_uri, attribute_name, judge, &is_empty);
        if (verdict != ELMX_MUST_UNDERSTAND_OFF) return verdict;
        if (is_empty) {
            if (open_names.empty()) return ELMX_MUST_UNDERSTAND_OFF;
            continue;
        }
        if (!reader.allows_nesting(open_names.size() + 1, name))
            return ELMX_MUST_UNDERSTAND_INVALID;
        open_names.push_back(name);
        scopes.push_back(std::make_unique<c_xml_local>(scope));
    }
}

}  // namespace

elmx_must_understand has_must_understand(c_xml_reader& reader, const std::string& namespace_uri,
                                         const std::string& attribute_name,
                                         must_understand_judge judge) {
    reading_ahead ahead(reader);
    return scan_for_must_understand(reader, namespace_uri, attribute_name, judge);
}

bool get_instance_namespace(c_xml_reader& reader, std::string* uri) {
    reading_ahead ahead(reader);
    c_xml_local scope(*reader.get_reader_local());
    std::string name;
    if (reader.get_element_name(&scope, &name) != ELXP_NAME) return false;
    *uri = namespace_of(reader, scope, name, false);
    return *uri != c_xml_reader::k_namespace_not_found;
}

}  // namespace lmx
