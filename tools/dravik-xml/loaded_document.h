// A document of any schema, loaded through its bound root class, behind one interface so the
// commands need not know which schema they hold.
#ifndef DRAVIK_XML_LOADED_DOCUMENT_H
#define DRAVIK_XML_LOADED_DOCUMENT_H

#include <memory>
#include <string>

#include "lmx/reading/reader.h"

namespace dravik_xml {

class loaded_document {
public:
    virtual ~loaded_document() = default;
    virtual lmx::elmx_error unmarshal(lmx::c_xml_reader& reader) = 0;
    virtual bool is_occurs_ok() const = 0;
    virtual lmx::elmx_error marshal(std::string* text) const = 0;
    // Replaces the file only once the whole document is written.
    virtual lmx::elmx_error marshal(const char* file_name) const = 0;
};

template <typename Root>
class bound_document final : public loaded_document {
public:
    lmx::elmx_error unmarshal(lmx::c_xml_reader& reader) override {
        return m_root.unmarshal(reader);
    }
    bool is_occurs_ok() const override { return m_root.is_occurs_ok(); }
    lmx::elmx_error marshal(std::string* text) const override { return m_root.marshal(text); }
    lmx::elmx_error marshal(const char* file_name) const override {
        return m_root.marshal(file_name);
    }

private:
    Root m_root;
};

using document_factory = std::unique_ptr<loaded_document> (*)();

template <typename Root>
std::unique_ptr<loaded_document> make_document() {
    return std::make_unique<bound_document<Root>>();
}

}  // namespace dravik_xml

#endif  // DRAVIK_XML_LOADED_DOCUMENT_H
