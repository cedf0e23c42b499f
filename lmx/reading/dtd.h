// The document type declaration: collects the entities declared in the internal subset and
// skips everything else. External entities and external subsets are never loaded.
#ifndef LMX_DTD_H
#define LMX_DTD_H

#include <string>

#include "lmx/reading/entities.h"

namespace lmx {

// Reading helpers over the getter, which is not owned.
class c_dtd_util {
public:
    explicit c_dtd_util(c_get_for_xml& getter) : m_getter(getter) {}

    int get() { return m_getter.get(); }
    void unget(int c) { m_getter.unget(c); }
    c_get_for_xml& getter() { return m_getter; }

    // After optional white space, a word up to white space or ">"; "%name;" inside it is
    // replaced by the parameter entity's text. False at end of input before the word.
    bool get_entity_value(std::string* out);
    // A literal in single or double quotes, with parameter entities and character references
    // replaced; "&name;" is kept as written. False without an opening quote or on a fatal error.
    bool get_quoted_entity_value(std::string* out);
    // After "%": pushes the parameter entity's text as input. An unknown name is an error and
    // reads as empty text; false only when the text is already being read.
    bool select_parameter_entity();

    // Skips white space and returns the character after it.
    int get_non_ws();
    // Reads to the next ">" that is outside single or double quotes; false at end of input.
    bool skip_to_tag_end();

private:
    c_get_for_xml& m_getter;
};

class c_internal_dtd {
public:
    explicit c_internal_dtd(c_get_for_xml& getter) : m_getter(getter) {}

    // Called after "<!DOCTYPE". Reads to the end of the declaration, storing the entities of
    // the internal subset in the getter's tables.
    bool read_doctype_decl();
    void reset() {}

private:
    bool read_internal_subset(c_dtd_util& util);
    bool read_markup_declaration(c_dtd_util& util);
    bool read_entity_declaration(c_dtd_util& util);
    void fail(const std::string& message);

    c_get_for_xml& m_getter;
};

}  // namespace lmx

#endif  // LMX_DTD_H
