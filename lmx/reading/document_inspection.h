// Looking ahead in a document without moving the reader: must-understand flags and the
// namespace of the next element.
#ifndef LMX_DOCUMENT_INSPECTION_H
#define LMX_DOCUMENT_INSPECTION_H

#include <string>

#include "lmx/reading/reader.h"
#include "lmx/values/conversions.h"

namespace lmx {

// Maps the text of a flag attribute to a verdict; bool_must_understand is the usual one.
using must_understand_judge = elmx_must_understand (*)(const std::string& value);

// Whether the element at the reader's position, or any element inside it, carries the
// attribute attribute_name of namespace namespace_uri with a value the judge does not call
// off. Gives the first nonzero verdict, ELMX_MUST_UNDERSTAND_OFF when none, and
// ELMX_MUST_UNDERSTAND_INVALID when there is no element or it is malformed. The reader is left
// where it was. An empty namespace_uri stands for unprefixed attributes.
elmx_must_understand has_must_understand(c_xml_reader& reader, const std::string& namespace_uri,
                                         const std::string& attribute_name,
                                         must_understand_judge judge);

// Stores the namespace URI of the next element in *uri and leaves the reader where it was.
// False when the next event is not a start tag or its namespace is undeclared.
bool get_instance_namespace(c_xml_reader& reader, std::string* uri);

}  // namespace lmx

#endif  // LMX_DOCUMENT_INSPECTION_H
