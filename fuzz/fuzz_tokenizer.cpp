// The reader over a document in memory, driven through every kind of event the bound classes
// use: element names, attributes read in each white-space mode or skipped, simple and captured
// values, skipped elements, read-ahead that is taken back, and the end of the document.
//
// Input: four bytes of choices (which call to make next), then the document. Properties: no
// crash or sanitizer report, and every error event comes with a recorded error.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "lmx/runtime.h"

namespace {

using namespace lmx;

enum events { EV_ROOT = 13, EV_ITEM, EV_SCHEMA_ITEM, EV_ID, EV_VALUE };

const s_event_map k_table[] = {
    {k_ns_id_no_namespace, "root", 4, EV_ROOT},
    {k_ns_id_no_namespace, "item", 4, EV_ITEM},
    {1000, "item", 4, EV_SCHEMA_ITEM},
    {k_ns_id_no_namespace, "id", 2, EV_ID},
    {1000, "value", 5, EV_VALUE},
    {0, nullptr, 0, ELXP_UNKNOWN},
};

const s_ns_map k_namespaces[] = {
    {1000, "", "urn:schema"},
    {0, nullptr, nullptr},
};

const elmx_whitespace k_modes[] = {ELMX_WS_PRESERVE, ELMX_WS_REPLACE, ELMX_WS_COLLAPSE};

class driver {
public:
    driver(lmx_fuzz::choices& choose, const char* data, std::size_t size)
        : m_choose(choose), m_reader(data, static_cast<unsigned>(size)) {
        m_reader.set_ns_map(k_namespaces);
        // Small limits now and then, so that the paths that meet them run too.
        if (m_choose.pick(8) == 0) m_reader.set_max_depth(1 + m_choose.pick(8));
        if (m_choose.pick(8) == 0) m_reader.set_max_value_bytes(m_choose.pick(64));
        m_scopes.push_back(std::make_unique<c_xml_reader_local>(m_reader));
    }
    driver(const driver&) = delete;
    driver& operator=(const driver&) = delete;
    // Scopes must end innermost first, and a vector promises no order of destruction.
    ~driver() {
        while (!m_scopes.empty())
            m_scopes.pop_back();
    }

    void run(std::size_t step_limit) {
        for (std::size_t step = 0; step < step_limit; ++step) {
            if (!next_element_event()) return;
        }
    }

private:
    // Records a broken property if an error event came without a recorded error.
    void check_error_event(int event, elmx_error reported) {
        if (!c_xml::is_error_event(event)) return;
        lmx_fuzz::require(reported != ELMX_OK, "error event without an error code");
        lmx_fuzz::require(m_reader.get_error() != ELMX_OK, "error event without a recorded error");
    }

    bool is_fatal() const {
        elmx_error_type type = ELMX_TYPE_NONE;
        elmx_error code = ELMX_OK;
        int line = 0;
        return m_reader.get_error_info(&type, &code, &line) && type == ELMX_TYPE_FATAL;
    }

    elmx_whitespace mode() { return k_modes[m_choose.pick(3)]; }

    // False when the document is over or the reader can go no further.
    bool next_element_event() {
        // Read ahead one event and come back now and then, as a choice of content does.
        if (m_choose.pick(16) == 0) {
            const c_xml::bookmark place = m_reader.mark();
            const int event_before = m_reader.get_current_event();
            elmx_error error = ELMX_OK;
            m_reader.get_element_event(k_table, &error, &m_name);
            check_error_event(m_reader.get_current_event(), error);
            m_reader.return_to(place);
            m_reader.restore_event(event_before);
        }
        elmx_error error = ELMX_OK;
        m_reader.get_element_event(m_choose.flip() ? k_table : nullptr, &error, &m_name);
        const int event = m_reader.get_current_event();
        check_error_event(event, error);
        if (c_xml::is_error_event(event)) return !is_fatal();
        switch (event) {
            case ELXP_END_OF_DOCUMENT:
                return false;
            case ELXP_CHARACTERS:
                return true;
            case ELXP_END_TAG:
                if (m_scopes.size() > 1) m_scopes.pop_back();
                if (m_scopes.size() == 1 && m_choose.pick(4) == 0) m_reader.read_document_end();
                return true;
            default:
                return element(m_name);
        }
    }

    // The start tag of name has been read; one of the ways of reading the element follows.
    bool element(std::string name) {
        elmx_error error = ELMX_OK;
        bool is_empty = false;
        std::string value;
        std::string end_name;
        switch (m_choose.pick(8)) {
            case 0:
                return m_reader.get_simple_type_value(name, mode(), &value, &error, &is_empty) ||
                       !is_fatal();
            case 1:
                return m_reader.get_element_ur_value(name, &value, &error, &is_empty) ||
                       !is_fatal();
            case 2:
                return m_reader.skip_rest_of_element(name) || !is_fatal();
            case 3:
                return m_reader.skip_rest_of_empty_element(name) || !is_fatal();
            case 4:
                if (!m_reader.move_to_start_tag_end(&is_empty)) return !is_fatal();
                if (is_empty) return true;
                switch (m_choose.pick(3)) {
                    case 0:
                        m_reader.get_nested_element_value(&value, &end_name, mode(),
                                                          m_choose.flip());
                        break;
                    case 1:
                        m_reader.get_any_element(name, &value, mode(), m_choose.flip());
                        break;
                    default:
                        m_reader.skip_element_body(name);
                        break;
                }
                return !is_fatal();
            default:
                return attributes_then_content(name);
        }
    }

    bool attributes_then_content(const std::string& name) {
        int ns_id = 0;
        std::string text;
        if (m_choose.pick(4) == 0) m_reader.get_xsi_type(&ns_id, &text);
        for (;;) {
            elmx_error error = ELMX_OK;
            const bool more = m_reader.get_attribute_event(m_choose.flip() ? k_table : nullptr,
                                                           &error, &m_attribute_name);
            const int event = m_reader.get_current_event();
            check_error_event(event, error);
            if (c_xml::is_error_event(event)) return !is_fatal();
            if (!more) break;
            if (event == ELXP_END_OF_DOCUMENT) return false;
            switch (m_choose.pick(4)) {
                case 0:
                    m_reader.skip_attribute_value();
                    break;
                case 1:
                    m_reader.is_valid_qname(m_attribute_name);
                    m_reader.is_xsi_attribute(m_attribute_name);
                    m_reader.get_namespace(m_attribute_name, &text);
                    break;
                default:
                    m_reader.get_attribute_value(&text, mode());
                    break;
            }
        }
        if (m_reader.get_current_event() == ELXP_END_TAG) return true;  // "/>"
        // ">": simple content, captured content or child elements.
        std::string value;
        std::string end_name;
        switch (m_choose.pick(4)) {
            case 0:
                if (m_reader.get_element_value(&value, mode(), m_choose.flip()))
                    m_reader.is_element_end_tag(name);
                return !is_fatal();
            case 1:
                m_reader.get_nested_element_value(&value, &end_name, mode(), m_choose.flip());
                return !is_fatal();
            default:
                m_scopes.push_back(std::make_unique<c_xml_reader_local>(m_reader));
                return true;
        }
    }

    lmx_fuzz::choices& m_choose;
    c_xml_reader_memory m_reader;
    // One namespace scope per open element level; destroyed innermost first.
    std::vector<std::unique_ptr<c_xml_reader_local>> m_scopes;
    std::string m_name;
    std::string m_attribute_name;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t script = size < 4 ? size : 4;
    lmx_fuzz::choices choose(data, script);
    driver reader(choose, reinterpret_cast<const char*>(data) + script, size - script);
    // Events are at most about one per byte; the bound only keeps a reader that stopped
    // advancing from spinning.
    reader.run(size + 16);
    return 0;
}
